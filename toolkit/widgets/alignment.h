#pragma once

#include <cstdint>

// Horizontal alignment of text in a control or cell.
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

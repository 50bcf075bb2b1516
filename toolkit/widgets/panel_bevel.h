#pragma once

#include <cstdint>

// A one-pixel 3-D edge: none, sunken (shadow top-left) or raised (highlight top-left).
enum class TPanelBevel : std::uint8_t { bvNone, bvLowered, bvRaised };

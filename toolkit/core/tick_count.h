#pragma once

#include <cstdint>

// Milliseconds on a steady clock in 32 bits, as the classic system tick count:
// it wraps after about 49.7 days, so compare two readings by their unsigned
// difference (now - then), never by order.
std::uint32_t GetTickCount();

#pragma once

#include <cstdint>
#include <string>

// What the modem's store summary (AT+MSR=0) tells the window.
struct TStoreSummary {
  int32_t MsgCount = 0;
  bool HighMark = false;
  bool HasWelcome = false;
  bool HasFullWelcome = false;

  bool operator==(const TStoreSummary&) const = default;
};

// Message numbers go to the modem as three digits, so no store holds more.
constexpr int32_t MaxStoredMessages = 999;

// Reads fields 1 to 8 of a summary reply (comma-separated): HighMark from
// field 1 (>= 100), MsgCount from fields 3 + 5, HasWelcome and HasFullWelcome
// from fields 7 and 8 (> 0); later fields are ignored. Raises EConvertError
// for a missing or non-numeric field, and for a count outside 0..999.
TStoreSummary ParseStoreSummary(std::string reply);

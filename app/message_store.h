#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/core/date_time.h"

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

// When the modem's clock stamped a message; 255 days: the clock was off.
struct TMessageStamp {
  uint16_t Days = 0;
  uint16_t Hours = 0;
  uint16_t Minutes = 0;
};

// Reads a message reply (AT+MSR=nnn): its type text goes to column 1 and its
// length text to column 2 through setCell, each as soon as it is known, so a
// malformed later field leaves what came before it shown. Raises EConvertError
// for a missing or non-numeric field.
TMessageStamp ReadMessageReply(std::string reply, const std::function<void(int column, const QString& text)>& setCell);

// The receive time of a stamp (days other than 255) as the grid shows it.
// Raises EConvertError for an hour above 23 or a minute above 59.
QString ReceiveTimeText(const TMessageStamp& stamp, TDateTime clockRef);

#pragma once

// What the modem's replies about its message store say, read apart from the
// window that shows them: the store summary (AT+MSR=0), one message's fields
// (AT+MSR=nnn) and the clock's reading (AT+MCC?), and the receive time of a
// message. Replies are the channel's Response: fields separated by commas.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/core/convert_error.h"
#include "toolkit/core/date_time.h"

// A reply that could not be read: the conversion error's message, and the
// command and reply it came from, for telling the user.
class EReplyError : public EConvertError {
 public:
  EReplyError(const EConvertError& cause, std::string command, std::string reply)
      : EConvertError(cause.Message), Command(std::move(command)), Reply(std::move(reply)) {}
  std::string Command;
  std::string Reply;
};

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

// Field 1 of the clock's reading: the days it has counted, 255 when it is off.
// Raises EConvertError when that field is missing or not a number.
int ClockDays(std::string reply);

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

// The receive time of a stamp (days other than 255) as the grid shows it;
// nothing when it falls outside the calendar (years 1 to 9999), which only a
// reference near its end can bring about. Raises EConvertError for an hour
// above 23 or a minute above 59.
std::optional<QString> ReceiveTimeText(const TMessageStamp& stamp, TDateTime clockRef);

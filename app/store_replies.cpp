#include "app/store_replies.h"

#include "app/utils.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/str_to_int.h"

namespace {

void SkipField(std::string& text) {
  std::string token;
  ExtractToken(text, ',', token);
}

// A garbled reply can carry any number; taken as a count it would make the
// reading loop for hours or grow the grid without bound, so it is rejected
// like any other malformed field.
int CheckedCount(int value, const std::string& text) {
  if (value < 0 || value > MaxStoredMessages)
    throw EConvertError("'" + text + "' is not a valid message count");
  return value;
}

int NextCount(std::string& text) {
  std::string token;
  ExtractToken(text, ',', token);
  return CheckedCount(StrToInt(token), token);
}

}  // namespace

TStoreSummary ParseStoreSummary(std::string reply) {
  TStoreSummary s;
  s.HighMark = NextNumber(reply) >= 100;
  SkipField(reply);
  const int first = NextCount(reply);
  SkipField(reply);
  const int second = NextCount(reply);
  s.MsgCount = CheckedCount(first + second, std::to_string(first + second));
  SkipField(reply);
  s.HasWelcome = NextNumber(reply) > 0;
  s.HasFullWelcome = NextNumber(reply) > 0;
  return s;
}

int ClockDays(std::string reply) { return NextNumber(reply); }

TMessageStamp ReadMessageReply(std::string reply,
                               const std::function<void(int column, const QString& text)>& setCell) {
  SkipField(reply);
  std::string code;
  ExtractToken(reply, ',', code);
  if (code == "001") {
    setCell(1, "Fax");
    setCell(2, QString::number(NextNumber(reply)) + " pag.");
  } else if (code == "002") {
    setCell(1, "Voice");
    setCell(2, QString::number(NextNumber(reply)) + " sec.");
  } else {
    // "000" and "003" carry no length. Any other code is no known type: it
    // is shown as undefined rather than leaving the previous row's type
    // there (which could offer a fax for playing), and the stamp is read
    // from the same fields as for every other type.
    setCell(1, code == "003" ? "Data" : "Undef");
    setCell(2, "");
    SkipField(reply);
  }
  SkipField(reply);
  SkipField(reply);
  TMessageStamp stamp;
  stamp.Days = static_cast<uint16_t>(NextNumber(reply));
  stamp.Hours = static_cast<uint16_t>(NextNumber(reply));
  stamp.Minutes = static_cast<uint16_t>(NextNumber(reply));
  return stamp;
}

std::optional<QString> ReceiveTimeText(const TMessageStamp& stamp, TDateTime clockRef) {
  const TDateTime received = clockRef + stamp.Days + EncodeTime(stamp.Hours, stamp.Minutes, 0, 0);
  if (!(received >= EncodeDate(1, 1, 1) && received < EncodeDate(9999, 12, 31) + 1)) return std::nullopt;
  return QString::fromStdString(FormatDateTime("dddddd t", received));
}

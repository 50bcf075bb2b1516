// The store's reply parsing (field splitter, summary, a message's reply and its receive time) fed whatever a
// modem might send: anything but a conversion error escaping, or a crash, is a fault.

#include <QCoreApplication>
#include <QRegularExpression>

#include <tuple>

#include "app/store_replies.h"
#include "app/utils.h"
#include "tests/fuzz/fuzz_input.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/date_time.h"

using fuzz::Check;

namespace {

void SplitOnce(const std::string& reply, char delimiter) {
  std::string text = reply, token = "stale";
  ExtractToken(text, delimiter, token);
  const std::size_t p = reply.find(delimiter);
  if (p == std::string::npos) Check(token == reply && text.empty(), "no delimiter: the whole text is the token");
  else Check(token == reply.substr(0, p) && text == reply.substr(p + 1), "token and rest");
}

void Summary(const std::string& reply) {
  TStoreSummary s;
  try {
    s = ParseStoreSummary(reply);
  } catch (const EConvertError&) {
    return;
  }
  Check(s.MsgCount >= 0 && s.MsgCount <= MaxStoredMessages, "message count out of range");
  Check(ParseStoreSummary(reply + ",9,x") == s, "later fields changed the summary");
}

struct TRow {
  std::vector<int> Columns;
  QString Type, Length;
  TMessageStamp Stamp;
  bool Parsed = false;
};

TRow Message(const std::string& reply) {
  TRow row;
  try {
    row.Stamp = ReadMessageReply(reply, [&](int column, const QString& text) {
      row.Columns.push_back(column);
      (column == 1 ? row.Type : row.Length) = text;
    });
    row.Parsed = true;
  } catch (const EConvertError&) {
  }
  return row;
}

void MessageRow(const std::string& reply) {
  const TRow row = Message(reply);
  // The type comes first, then the length, never anything else.
  const auto& c = row.Columns;
  Check(c.size() <= 2 && (c.empty() || c[0] == 1) && (c.size() < 2 || c[1] == 2), "cells written out of order");
  if (!row.Columns.empty())
    Check(row.Type == "Fax" || row.Type == "Voice" || row.Type == "Data" || row.Type == "Undef", "type text");
  static const QRegularExpression length(R"(^(-?\d+ (pag|sec)\.)?$)");
  if (row.Columns.size() == 2) Check(length.match(row.Length).hasMatch(), "length text");
  if (!row.Parsed) return;
  Check(row.Columns.size() == 2, "a parsed reply fills both cells");
  const TRow longer = Message(reply + ",7,x");
  const auto stamp = [](const TRow& r) { return std::tuple(r.Stamp.Days, r.Stamp.Hours, r.Stamp.Minutes); };
  Check(longer.Parsed && longer.Type == row.Type && longer.Length == row.Length && stamp(longer) == stamp(row),
        "later fields changed the row");

  if (row.Stamp.Days == 255) return;
  // Any reference the settings file can hold, from the first to the last day.
  const TDateTime refs[] = {EncodeDate(1, 1, 1), EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 0, 0),
                            EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 0, 0)};
  const bool timeValid = row.Stamp.Hours <= 23 && row.Stamp.Minutes <= 59;
  for (TDateTime ref : refs) {
    try {
      const std::optional<QString> text = ReceiveTimeText(row.Stamp, ref);
      Check(timeValid, "an impossible time accepted");
      Check(!text || !text->isEmpty(), "empty receive time");
      // Only a reference near the calendar's end leaves no time to show.
      Check(text || ref != refs[1], "no receive time from an ordinary reference");
    } catch (const EConvertError&) {
      Check(!timeValid, "a valid stamp rejected");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  SplitOnce(reply, ',');
  if (!reply.empty()) SplitOnce(reply, reply.back());
  Summary(reply);
  MessageRow(reply);
  return 0;
}

// Reading the modem's message store into the grid, and the clock reference
// that turns the modem's day/hour/minute stamps into dates.

#include "app/message_store.h"

#include <QLabel>
#include <QString>

#include <cstdio>

#include "app/clock_reference.h"
#include "app/comm_port.h"
#include "app/form_main.h"
#include "app/utils.h"
#include "grid/cell_grid.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/message_box.h"
#include "toolkit/core/str_to_int.h"

namespace {

constexpr int kReplyTimeOut = 1000;
constexpr int kFirstGrowingRow = 5;  // the window's grid has five message rows
const char* const kClockOff = "Clock was OFF";

int NextNumber(std::string& text) {
  std::string token;
  ExtractToken(text, ',', token);
  return StrToInt(token);
}

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

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TStoreSummary ParseStoreSummary(std::string reply) {
  TStoreSummary s;
  std::string token;
  s.HighMark = NextNumber(reply) >= 100;
  SkipField(reply);
  ExtractToken(reply, ',', token);
  const int first = CheckedCount(StrToInt(token), token);
  SkipField(reply);
  ExtractToken(reply, ',', token);
  const int second = CheckedCount(StrToInt(token), token);
  s.MsgCount = CheckedCount(first + second, std::to_string(first + second));
  SkipField(reply);
  s.HasWelcome = NextNumber(reply) > 0;
  s.HasFullWelcome = NextNumber(reply) > 0;
  return s;
}

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

QString ReceiveTimeText(const TMessageStamp& stamp, TDateTime clockRef) {
  return Q(FormatDateTime("dddddd t", clockRef + stamp.Days + EncodeTime(stamp.Hours, stamp.Minutes, 0, 0)));
}

void TFormMain::WriteClockReference() { ::WriteClockReference(ClockRef, SettingsFileForWriting()); }

void TFormMain::LoadClockReference() {
  try {
    ClockRef = ReadClockReference(settingsFile_);
  } catch (const EConvertError& e) {
    // The connect fails on this; the user has to know which file to mend.
    throw EConvertError("Section [ClockReset] of " + settingsFile_ +
                        " holds no valid clock reference: " + e.Message);
  }
  ClockValid = true;
}

void TFormMain::RefreshMessageStore() {
  TExchange exchange(*this);

  // Summary.
  CommPort->Command("AT+MSR=0", kReplyTimeOut);
  const TStoreSummary fresh = ParseStoreSummary(CommPort->Response());

  // Clock reference.
  CommPort->Command("AT+MCC?", kReplyTimeOut);
  std::string clock = CommPort->Response();
  const int clockDays = NextNumber(clock);
  if (clockDays == 255 || fresh.MsgCount == 0) {
    ClockRef = Now();
    ClockValid = false;
    CommPort->Command("AT+MCC", kReplyTimeOut);
    if (fresh.MsgCount != 0)
      ShowMessageBox(TMsgBoxType::mbtWarning, "Warning", "Modem clock had to be resetted", {"OK"}, 0, 0);
    WriteClockReference();
  } else if (ClockRef == 0) {
    LoadClockReference();
  }

  // Change test.
  if (fresh == Summary) return;
  Summary = fresh;
  if (Summary.MsgCount == 0) {
    LabelMsgStoreCnt->setText("No received message");
    return;
  }

  FillMessageRows();
}

void TFormMain::FillMessageRows() {
  TCellGrid& grid = *GridMsgStore;
  grid.SetRow(1);
  LabelMsgStoreCnt->setText("");
  int r = 0;
  for (int n = 1; n <= Summary.MsgCount; ++n) {
    ++r;
    if (r > kFirstGrowingRow && grid.RowCount() <= r) grid.SetRowCount(grid.RowCount() + 1);

    char command[32];
    std::snprintf(command, sizeof command, "AT+MSR=%3.3d", n);
    CommPort->Command(command, kReplyTimeOut);

    grid.SetCells(0, r, QString::number(n));
    const TMessageStamp stamp =
        ReadMessageReply(CommPort->Response(), [&](int column, const QString& text) { grid.SetCells(column, r, text); });

    if (stamp.Days == 255 || !ClockValid) {
      grid.SetCells(3, r, kClockOff);
      continue;
    }
    const QString received = ReceiveTimeText(stamp, ClockRef);
    grid.SetCells(3, r, received);
    // Messages stamped in the same minute show as one row: the later one.
    if (r > 1 && received == grid.Cells(3, r - 1)) {
      for (int c = 0; c <= 3; ++c) grid.SetCells(c, r - 1, grid.Cells(c, r));
      for (int c = 0; c <= 3; ++c) grid.SetCells(c, r, "");
      --r;
    }
  }
  LabelMsgStoreCnt->setText(r == 1 ? QString("1 received message") : QString::number(r) + " received messages");
}

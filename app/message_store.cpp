// Reading the modem's message store into the grid, and the clock reference
// that turns the modem's day/hour/minute stamps into dates.

#include <QLabel>
#include <QString>

#include <cstdio>

#include "app/clock_reference.h"
#include "app/comm_port.h"
#include "app/form_main.h"
#include "app/store_replies.h"
#include "grid/cell_grid.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/message_box.h"

namespace {

constexpr int kReplyTimeOut = 1000;
constexpr int kFirstGrowingRow = 5;  // the window's grid has five message rows
const char* const kClockOff = "Clock was OFF";

// Runs a reading of the reply to `command`; a conversion error carries the
// command and the reply on, for the box that tells the user.
template <class F>
auto ReadReply(const std::string& command, const std::string& reply, F read) {
  try {
    return read(reply);
  } catch (const EConvertError& e) {
    throw EReplyError(e, command, reply);
  }
}

}  // namespace

void TFormMain::WriteClockReference() { ::WriteClockReference(ClockRef, SettingsFileForWriting()); }

void TFormMain::LoadClockReference() {
  try {
    ClockRef = ReadClockReference(settingsFile_);
    ClockValid = true;
  } catch (const EConvertError&) {
    // No usable reference (missing, damaged, out of range). Failing the
    // connect on it would lock the user out of the messages until the file
    // is mended by hand; they are listed without their times instead. The
    // modem's clock keeps running; a reference is written anew the next time
    // it is reset (the store found empty, or the clock off).
    ClockRef = 0;
    ClockValid = false;
  }
}

void TFormMain::RefreshMessageStore() {
  TExchange exchange(*this);

  // Summary.
  CommPort->Command("AT+MSR=0", kReplyTimeOut);
  const TStoreSummary fresh = ReadReply("AT+MSR=0", CommPort->Response(), ParseStoreSummary);
  if (showOnMessages_ && fresh.MsgCount > 0) {
    showOnMessages_ = false;
    ShowAndActivate();
  }

  // Clock reference.
  CommPort->Command("AT+MCC?", kReplyTimeOut);
  const int clockDays = ReadReply("AT+MCC?", CommPort->Response(), ClockDays);
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
    const std::optional<QString> time = ReadReply(command, CommPort->Response(), [&](const std::string& reply) {
      const TMessageStamp stamp =
          ReadMessageReply(reply, [&](int column, const QString& text) { grid.SetCells(column, r, text); });
      return stamp.Days == 255 || !ClockValid ? std::nullopt : ReceiveTimeText(stamp, ClockRef);
    });
    if (!time) {
      grid.SetCells(3, r, kClockOff);
      continue;
    }
    const QString& received = *time;
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

// The modem operations behind the buttons, and the rule that enables the
// controls from the window's state.

#include <QLabel>

#include "app/comm_port.h"
#include "app/failure_detail.h"
#include "app/form_main.h"
#include "grid/cell_grid.h"
#include "toolkit/core/message_box.h"
#include "toolkit/core/str_to_int.h"
#include "toolkit/widgets/application.h"
#include "toolkit/widgets/speed_button.h"

namespace {

constexpr int kSetupTimeOut = 1000;
constexpr int kNoTimeOut = -1;
constexpr int kEraseTimeOut = 100000;
const char* const kEraseCommand = "AT+MEM";

const char* const kSetupCommands[] = {"AT+MCS=1", "AT+MCD=1", "AT+MCM=1", "AT+MCR=3", "AT+MCW"};

// A play has no time-out; a close gives up on it (EWaitAbandoned), which ends
// the play like any other way, only without a box.
void Play(TCommPort& port, const std::string& command) {
  try {
    port.Command(command, kNoTimeOut);
  } catch (const EWaitAbandoned&) {
  }
}

}  // namespace

void TFormMain::UpdateControls(bool Busy) {
  const bool connected = BtnSelfControl->Down();
  const bool hasMessages = Summary.MsgCount > 0;
  const int row = GridMsgStore->Row();
  QWidget* const focused = focusWidget();
  BtnSelfControl->SetEnabled(!Busy);
  BtnPlay->SetEnabled(row >= 1 && !Busy && hasMessages && GridMsgStore->Cells(1, row) == "Voice" && connected);
  BtnPlayWelcome->SetEnabled(!Busy && Summary.HasWelcome && connected);
  BtnPlayFull->SetEnabled(!Busy && Summary.HasFullWelcome && connected);
  BtnErase->SetEnabled(!Busy && hasMessages && connected);
  GridMsgStore->SetEnabled(!Busy && hasMessages && connected);
  KeepFocus(focused);
  // The window's own cursor, not the application's: a box raised meanwhile
  // is a window of its own and keeps the normal one.
  if (Busy)
    setCursor(Qt::BusyCursor);
  else
    unsetCursor();
}

void TFormMain::SetupSelfMode(bool stopWhenSilent) {
  TExchange exchange(*this);
  for (const char* command : kSetupCommands)
    if (CommPort->Command(command, kSetupTimeOut) == TCommandOutcome::coNoAnswer && stopWhenSilent) break;
}

void TFormMain::BtnSelfControlClick(QObject*) {
  if (HoldClick(THeldKind::Connect, BtnSelfControl, &TFormMain::BtnSelfControlClick)) return;
  TExchange exchange(*this);
  if (BtnSelfControl->Down()) {
    std::exception_ptr failure;
    try {
      if (!CommPort->PortOpen()) OpenModemPort();
      if (CommPort->ModemSignal(2)) {
        SetupSelfMode();
        RefreshMessageStore();
      } else {
        BtnSelfControl->SetDown(false);
        CommPort->ClosePort();
        ShowErrorBox("Modem if OFF or not connected");
      }
    } catch (const EWaitAbandoned&) {
      // A close gave up on the modem; it tells the user what it finds itself.
    } catch (...) {
      failure = std::current_exception();
    }
    if (failure) {
      BtnSelfControl->SetDown(false);
      ShowErrorBox("COM Port is used by another application",
                   PortFailureDetail(failure, CommPort->DeviceName(), SettingsFile()));
    }
  } else {
    CommPort->ClosePort();
  }
  UpdateControls(false);
}

void TFormMain::BtnPlayClick(QObject*) {
  if (HoldClick(THeldKind::Play, BtnPlay, &TFormMain::BtnPlayClick)) return;
  TExchange exchange(*this);
  UpdateControls(true);
  try {
    const int number = StrToInt(GridMsgStore->Cells(0, GridMsgStore->Row()).toStdString());
    Play(*CommPort, "AT+MVP=" + IntToStr(number));
    // The next row is selected so that repeated Enter presses play the list.
    if (GridMsgStore->Row() < GridMsgStore->RowCount() - 1) GridMsgStore->SetRow(GridMsgStore->Row() + 1);
  } catch (...) {
    // The error is the caller's to show; the controls must not stay disabled.
    UpdateControls(false);
    throw;
  }
  UpdateControls(false);
}

void TFormMain::BtnPlayWelcomeClick(QObject*) {
  if (HoldClick(THeldKind::PlayWelcome, BtnPlayWelcome, &TFormMain::BtnPlayWelcomeClick)) return;
  TExchange exchange(*this);
  UpdateControls(true);
  Play(*CommPort, "AT+MVP=0");
  UpdateControls(false);
}

void TFormMain::BtnPlayFullClick(QObject*) {
  if (HoldClick(THeldKind::PlayFull, BtnPlayFull, &TFormMain::BtnPlayFullClick)) return;
  TExchange exchange(*this);
  UpdateControls(true);
  Play(*CommPort, "AT+MVP=255");
  UpdateControls(false);
}

void TFormMain::BtnEraseClick(QObject*) {
  if (HoldClick(THeldKind::Erase, BtnErase, &TFormMain::BtnEraseClick)) return;
  TExchange exchange(*this);
  UpdateControls(true);
  std::exception_ptr failure;
  try {
    CommPort->SendCommand(kEraseCommand);
    CommPort->WaitResponse(kEraseTimeOut);
    Summary.MsgCount = 0;
    LabelMsgStoreCnt->setText("No messages");
    for (int r = 1; r < GridMsgStore->RowCount(); ++r)
      for (int c = 0; c <= 3; ++c) GridMsgStore->SetCells(c, r, "");
    GridMsgStore->SetRowCount(6);
    GridMsgStore->SetRow(1);
    ClockValid = true;
  } catch (const EWaitAbandoned&) {
    // A close gave up on the erase: nothing to report, nothing to read again.
  } catch (...) {
    failure = std::current_exception();
  }
  if (failure) {
    ShowErrorBox("Error on COM Port during Erase operation",
                 CommandFailureDetail(failure, kEraseCommand, kEraseTimeOut));
    try {
      RefreshMessageStore();
    } catch (const EWaitAbandoned&) {
    } catch (...) {
      // Shown as any unhandled error would be, but the window must not be
      // left with every control disabled.
      HandleException();
    }
  }
  UpdateControls(false);
}

void TFormMain::GridMsgStoreClick(QObject*) {
  BtnPlay->SetEnabled(GridMsgStore->Cells(1, GridMsgStore->Row()) == "Voice");
}

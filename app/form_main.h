#pragma once

// The program's one window: the button bar, the message list and the count
// label; the command channel to the modem; start-up, shutdown, minimise,
// restore and the Enter key; the modem actions behind the buttons.

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/store_replies.h"
#include "toolkit/core/date_time.h"

class QLabel;
class TCellGrid;
class TCommPort;
class TPanel;
class TReconnectWatch;
class TSpeedButton;

class TFormMain : public QWidget {
 public:
  // commandLine: the program's arguments as the operating system gave them,
  // without the program name (any argument turns on the auto-close rule).
  // settingsFile: the settings file to use; empty means SettingsFileName().
  // FormCreate runs before the constructor returns: without an argument the
  // window shows before the port is opened; with one, once the modem's
  // summary counts messages (never, if it counts none).
  explicit TFormMain(std::vector<std::string> commandLine, std::string settingsFile = {},
                     QWidget* parent = nullptr);
  ~TFormMain() override;
  TFormMain(const TFormMain&) = delete;
  TFormMain& operator=(const TFormMain&) = delete;

  // How long a close waits for a running modem exchange that may never end
  // (a play has no time-out) before it gives up on it.
  static constexpr std::chrono::milliseconds CloseGrace{2000};

  // ---- Controls (owned by the window through Qt parenthood) ----
  TCellGrid* GridMsgStore = nullptr;
  TPanel* PanelCmd = nullptr;
  TSpeedButton* BtnSelfControl = nullptr;
  TSpeedButton* BtnPlay = nullptr;
  TSpeedButton* BtnPlayWelcome = nullptr;
  TSpeedButton* BtnPlayFull = nullptr;
  TSpeedButton* BtnErase = nullptr;
  QLabel* LabelMsgStoreCnt = nullptr;

  // ---- State ----
  std::unique_ptr<TCommPort> CommPort;
  TStoreSummary Summary;
  TDateTime ClockRef = 0;
  bool ClockValid = false;

  // ---- Window events ----
  void FormCreate(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void AppMinimize(QObject* Sender);
  void AppRestore(QObject* Sender);
  // Key: a virtual-key code (13 = Enter), 0 for a key without one. Runs once
  // per press and release of a key in this window, never for auto-repeat.
  void FormKeyUp(QObject* Sender, uint16_t& Key, Qt::KeyboardModifiers Shift);

  // ---- Message store and clock reference ----
  void RefreshMessageStore();

  // ---- Modem actions and control state ----
  void UpdateControls(bool Busy);
  // stopWhenSilent: a command that gets no answer at all ends the set-up
  // (the shutdown's: a silent modem would only make each command wait out its
  // time-out and show its box).
  void SetupSelfMode(bool stopWhenSilent = false);
  void BtnSelfControlClick(QObject* Sender);
  void BtnPlayClick(QObject* Sender);
  void BtnPlayWelcomeClick(QObject* Sender);
  void BtnPlayFullClick(QObject* Sender);
  void BtnEraseClick(QObject* Sender);
  void GridMsgStoreClick(QObject* Sender);
  // A cell whose text is cut gets its whole text as a hint (message_grid_hints.h).
  void GridMsgStoreShowCellHint(QObject* Sender, int Col, int Row, QString& Hint, QPoint& TopLeft);

  // ---- A device that goes away and comes back ----
  // The serial component found the device gone (OnLineLost of CommPort).
  void CommPortLineLost(TCommPort* Sender);
  // True while the window waits for the device to come back, after it went
  // away while connected.
  bool AwaitingDevice() const;
  const TReconnectWatch& Reconnect() const { return *reconnect_; }

  // The settings file in use (read and written).
  const std::string& SettingsFile() const { return settingsFile_; }
  // True while a handler that talks to the modem is running.
  bool InExchange() const { return exchangeDepth_ > 0; }
  // Number of requests held until the running exchange ends.
  std::size_t HeldRequests() const { return held_.size(); }
  // True once a close has been accepted; later close requests do nothing.
  bool Closed() const { return closed_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The waits of the command channel handle window events, so a request can
  // arrive in the middle of a modem exchange. Running its handler there would
  // send commands inside a running wait or close the device under it; such
  // requests are held and run, in order, once the exchange has ended.
  enum class THeldKind { Close, Minimize, Restore, Connect, Play, PlayWelcome, PlayFull, Erase, LineLost, Reconnect };
  struct THeldRequest {
    THeldKind Kind;
    std::function<void()> Run;
  };
  // Marks a handler that talks to the modem for its whole run.
  class TExchange {
   public:
    explicit TExchange(TFormMain& form) : form_(form) { ++form_.exchangeDepth_; }
    ~TExchange() {
      if (--form_.exchangeDepth_ == 0) form_.ScheduleHeld();
    }
    TExchange(const TExchange&) = delete;
    TExchange& operator=(const TExchange&) = delete;

   private:
    TFormMain& form_;
  };

  bool Hold(THeldKind kind, std::function<void()> run);
  void DropHeld(THeldKind kind);
  void ScheduleHeld();
  void RunHeld();
  bool HoldClick(THeldKind kind, TSpeedButton* button, void (TFormMain::*handler)(QObject*));

  void CreateControls();
  // Called by UpdateControls with the focus it found before it changed them.
  void KeepFocus(QWidget* focusedBefore);
  void ReadCommSettings();
  std::string SettingsFileForWriting() const;
  void ShowAndActivate();
  // Opens the port and raises RTS, then DTR: what every connect does first.
  void OpenModemPort();
  // The shutdown's: a device still away leaves the port closed (DSR off).
  void OpenDeviceForShutdown();
  // The device went away: released, and if it was connected, the button up
  // and the wait for it to come back.
  void ReleaseLostDevice(bool wasConnected);
  // One try of the wait: true when it is over.
  bool ReconnectAttempt();
  void WriteClockReference();
  void LoadClockReference();
  void FillMessageRows();

  std::vector<std::string> commandLine_;
  std::string settingsFile_;
  bool settingsFileGiven_ = false;
  int exchangeDepth_ = 0;
  std::vector<THeldRequest> held_;
  bool heldScheduled_ = false;
  bool closed_ = false;
  bool autoClose_ = false;  // the auto-close rule's close has been posted and not refused yet
  QPointer<QWidget> focusHome_;  // had the focus when UpdateControls disabled it
  bool shuttingDown_ = false;  // FormCloseQuery is talking to the modem
  bool showOnMessages_ = false;  // start-up with an argument: shown once the summary counts messages
  bool minimised_ = false;  // between AppMinimize and AppRestore
  std::unique_ptr<TReconnectWatch> reconnect_;
};

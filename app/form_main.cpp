#include "app/form_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <cctype>

#include "app/comm_port.h"
#include "app/failure_detail.h"
#include "app/glyphs.h"
#include "app/message_grid_hints.h"
#include "app/reconnect_watch.h"
#include "app/settings_file.h"
#include "grid/cell_grid.h"
#include "toolkit/core/ini_profile.h"
#include "toolkit/core/message_box.h"
#include "toolkit/widgets/application.h"
#include "toolkit/widgets/font_substitutes.h"
#include "toolkit/widgets/key_preview.h"
#include "toolkit/widgets/panel.h"
#include "toolkit/widgets/speed_button.h"

namespace {

const char* const kTitle = "Tarvelle Memnova Self-mode Manager";
const char* const kGeneral = "General";
const char* const kModemOff = "Modem if OFF or not connected";
const char* const kPortUsed = "COM Port is used by another application";
constexpr uint16_t kVkReturn = 13;

TBaudRate BaudRateSetting(int value) {
  switch (value) {
    case 14400: return TBaudRate::cbr14400;
    case 19200: return TBaudRate::cbr19200;
    case 38400: return TBaudRate::cbr38400;
    case 56000: return TBaudRate::cbr56000;
    case 57600: return TBaudRate::cbr57600;
    case 115200: return TBaudRate::cbr115200;
    case 128000: return TBaudRate::cbr128000;
    default: return TBaudRate::cbr9600;
  }
}

TStopbits StopbitsSetting(int tenths) {
  switch (tenths) {
    case 15: return TStopbits::sb15;
    case 20: return TStopbits::sb20;
    default: return TStopbits::sb10;
  }
}

TParity ParitySetting(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (text == "even") return TParity::paEven;
  if (text == "odd") return TParity::paOdd;
  return TParity::paNone;
}

// The virtual-key code of a released key, as far as the window cares: both
// Enter keys are VK_RETURN; letters and digits share their codes.
uint16_t VirtualKey(int qtKey) {
  if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) return kVkReturn;
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return static_cast<uint16_t>(qtKey);
  return 0;
}

// Shows a choice between "Cancel" and "&Ignore" (Escape: Cancel); true on Ignore.
bool AskIgnore(const char* text, const std::string& detail = {}) {
  return ShowMessageBox(TMsgBoxType::mbtError, "Error", text, {"Cancel", "&Ignore"}, -1, 0, detail) == 1;
}

// The saved definition of one of the window's controls, built into the program.
QByteArray WindowDefinition(const QString& control) {
  QFile file(":/forms/" + control + ".json");
  if (!file.open(QIODevice::ReadOnly))
    throw Exception("The window definition of " + control.toStdString() + " is missing from the program");
  return file.readAll();
}

}  // namespace

// The definitions live in a static library: nothing else would pull them in.
static void InitWindowDefinitions() { Q_INIT_RESOURCE(form_main); }

TFormMain::TFormMain(std::vector<std::string> commandLine, std::string settingsFile, QWidget* parent)
    : QWidget(parent),
      commandLine_(std::move(commandLine)),
      settingsFileGiven_(!settingsFile.empty()) {
  settingsFile_ = settingsFileGiven_ ? std::move(settingsFile) : SettingsFileName();
  InitWindowDefinitions();
  CreateControls();
  FormCreate(this);
}

TFormMain::~TFormMain() {
  if (TApplication* app = Application()) {
    if (app->MainForm() == this || app->MainForm() == nullptr) {
      app->OnMinimize = nullptr;
      app->OnRestore = nullptr;
    }
  }
}

void TFormMain::CreateControls() {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(kTitle);
  setWindowIcon(AppIcon());
  setFixedSize(390, 172);
  QFont font(SubstituteFontFamily("MS Sans Serif"));
  font.setBold(true);
  // Height -11 at 96 pixels per inch, in points, so that a desktop's own
  // font resolution (Qt's scaling off) is followed as it is for the hints.
  font.setPointSizeF(8.25);
  setFont(font);
  // Key preview: the window sees the key releases of its controls.
  auto* keyPreview = new TKeyPreview(this);
  keyPreview->OnKeyUp = [this](int qtKey, Qt::KeyboardModifiers shift) {
    uint16_t key = VirtualKey(qtKey);
    try {
      FormKeyUp(this, key, shift);
    } catch (...) {
      HandleException();
    }
  };

  PanelCmd = new TPanel(this);
  PanelCmd->setObjectName("PanelCmd");
  PanelCmd->setGeometry(0, 0, 390, 44);

  auto button = [this](const char* name, int left, int width, const char* hint) {
    auto* b = new TSpeedButton(PanelCmd);
    b->setObjectName(name);
    b->setGeometry(left, 2, width, 39);
    b->SetHint(hint);
    b->SetFlat(true);
    return b;
  };
  BtnSelfControl = button("BtnSelfControl", 2, 45, "Connect and set up modem");
  BtnSelfControl->SetGroupIndex(1);
  BtnSelfControl->SetAllowAllUp(true);
  BtnSelfControl->SetGlyph(ConnectGlyph());
  BtnPlay = button("BtnPlay", 58, 39, "Play selected message");
  BtnPlay->SetGlyph(PlayGlyph(), PlayDisabledGlyph());
  BtnPlayWelcome = button("BtnPlayWelcome", 109, 39, "Play welcome message");
  BtnPlayWelcome->SetGlyph(PlayWelcomeGlyph());
  BtnPlayFull = button("BtnPlayFull", 148, 39, "Play welcome message (full memory)");
  BtnPlayFull->SetGlyph(PlayFullWelcomeGlyph());
  BtnErase = button("BtnErase", 199, 39, "Delete all messages");
  BtnErase->SetGlyph(EraseGlyph(), EraseDisabledGlyph());

  LabelMsgStoreCnt = new QLabel("No message", PanelCmd);
  LabelMsgStoreCnt->setObjectName("LabelMsgStoreCnt");
  LabelMsgStoreCnt->setGeometry(246, 15, 135, 13);
  LabelMsgStoreCnt->setAutoFillBackground(false);
  LabelMsgStoreCnt->setAttribute(Qt::WA_TranslucentBackground);

  GridMsgStore = new TCellGrid(this);
  GridMsgStore->setObjectName("GridMsgStore");
  GridMsgStore->setGeometry(0, 44, 390, 128);
  GridMsgStore->LoadDefinitionText(WindowDefinition("GridMsgStore"));
  GridMsgStore->setAccessibleName("Message list");

  // Keyboard alone: Tab goes through the buttons left to right, then the
  // list; the list has the focus at start, so the arrow keys and Enter work
  // without a click.
  GridMsgStore->setFocusPolicy(Qt::StrongFocus);
  setTabOrder(BtnSelfControl, BtnPlay);
  setTabOrder(BtnPlay, BtnPlayWelcome);
  setTabOrder(BtnPlayWelcome, BtnPlayFull);
  setTabOrder(BtnPlayFull, BtnErase);
  setTabOrder(BtnErase, GridMsgStore);
  GridMsgStore->setFocus(Qt::OtherFocusReason);

  BtnSelfControl->OnClick = [this](QObject* s) {
    // The user's own click ends any wait for the device to come back.
    if (reconnect_) reconnect_->Stop();
    BtnSelfControlClick(s);
  };
  BtnPlay->OnClick = [this](QObject* s) { BtnPlayClick(s); };
  BtnPlayWelcome->OnClick = [this](QObject* s) { BtnPlayWelcomeClick(s); };
  BtnPlayFull->OnClick = [this](QObject* s) { BtnPlayFullClick(s); };
  BtnErase->OnClick = [this](QObject* s) { BtnEraseClick(s); };
  GridMsgStore->OnClick = [this](QObject* s) { GridMsgStoreClick(s); };
  GridMsgStore->OnShowCellHint = [this](QObject* s, int c, int r, QString& hint, QPoint& topLeft) {
    GridMsgStoreShowCellHint(s, c, r, hint, topLeft);
  };
  new TCutCellTooltips(GridMsgStore);
}

void TFormMain::GridMsgStoreShowCellHint(QObject*, int Col, int Row, QString& Hint, QPoint& TopLeft) {
  ShowCutCellHint(*GridMsgStore, Col, Row, Hint, TopLeft);
}

void TFormMain::ReadCommSettings() {
  const TProfileSections settings(settingsFile_, {kGeneral});
  CommPort->SetDeviceName(settings.String(kGeneral, "DeviceName", "com1", 1024));
  CommPort->SetBaudRate(BaudRateSetting(settings.Integer(kGeneral, "BaudRate", 9600)));
  CommPort->SetDatabits(settings.Integer(kGeneral, "DataBits", 8) == 7 ? TDatabits::da7 : TDatabits::da8);
  CommPort->SetStopbits(StopbitsSetting(settings.Integer(kGeneral, "StopBits", 10)));
  CommPort->SetParity(ParitySetting(settings.String(kGeneral, "Parity", "none", 1024)));
}

std::string TFormMain::SettingsFileForWriting() const {
  return settingsFileGiven_ ? settingsFile_ : SettingsFileForWrite();
}

void TFormMain::OpenModemPort() {
  CommPort->OpenPort();
  CommPort->SetRTS(true);
  CommPort->SetDTR(true);
}

void TFormMain::ShowAndActivate() {
  show();
  raise();
  activateWindow();
}

// ---- Start-up ------------------------------------------------------------------

void TFormMain::FormCreate(QObject*) {
  if (TApplication* app = Application()) {
    app->OnMinimize = [this](QObject* s) { AppMinimize(s); };
    app->OnRestore = [this](QObject* s) { AppRestore(s); };
    // The window shows during its start-up: a minimise then must already be
    // the main window's.
    if (!app->MainForm()) app->SetMainForm(this);
  }
  CommPort = std::make_unique<TCommPort>();
  CommPort->OnLineLost = [this](TCommPort* s) { CommPortLineLost(s); };
  reconnect_ = std::make_unique<TReconnectWatch>([this] { return ReconnectAttempt(); });
  ReadCommSettings();
  ClockRef = 0;
  ClockValid = false;
  UpdateControls(true);
  // The window is in sight while the modem is set up and read, the rows
  // appearing as they come. Started with an argument, it stays hidden until
  // the summary says whether there is anything to show (RefreshMessageStore).
  const bool autoCloseRule = !commandLine_.empty();
  if (autoCloseRule)
    showOnMessages_ = true;
  else
    ShowAndActivate();
  BtnSelfControl->SetDown(true);
  BtnSelfControlClick(BtnSelfControl);
  showOnMessages_ = false;

  if (Summary.MsgCount <= 0 && autoCloseRule) {
    // Started by a script with nothing to show: close without ever showing.
    autoClose_ = true;
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    return;
  }
  GridMsgStore->SetRow(1);
  if (!isVisible()) ShowAndActivate();
}

// ---- Shutdown ------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  bool canClose = true;
  try {
    FormCloseQuery(this, canClose);
  } catch (...) {
    canClose = false;
    HandleException();
  }
  if (canClose) {
    closed_ = true;
    held_.clear();
    reconnect_->Stop();
    event->accept();
  } else {
    event->ignore();
    // Refused by the user (Cancel) or by a failure, not held for a running
    // exchange: a program that closes by itself would now run on with no
    // window, holding the device. It shows instead, to be used and closed
    // like any other start.
    if (autoClose_ && !InExchange()) {
      autoClose_ = false;
      GridMsgStore->SetRow(1);
      ShowAndActivate();
    }
  }
}

void TFormMain::FormCloseQuery(QObject*, bool& CanClose) {
  if (Hold(THeldKind::Close, [this] { close(); })) {
    CanClose = false;
    // The running exchange may never end by itself (a play has no time-out,
    // a modem may stop answering): it gets a moment to finish, then it is
    // given up so that the close can go ahead. Not so for the shutdown's own
    // exchange: a second close request is the same request.
    if (!shuttingDown_) CommPort->AbandonWaitsAfter(CloseGrace);
    return;
  }
  CommPort->ResumeWaits();
  TExchange exchange(*this);
  shuttingDown_ = true;
  struct ShutdownDone {
    bool& flag;
    ~ShutdownDone() { flag = false; }
  } shutdownDone{shuttingDown_};
  UpdateControls(true);
  std::exception_ptr portFailure;
  try {
    if (!CommPort->PortOpen()) OpenDeviceForShutdown();
    if (CommPort->ModemSignal(2)) {
      SetupSelfMode(true);
      CanClose = true;
    } else {
      BtnSelfControl->SetDown(false);
      CanClose = AskIgnore(kModemOff);
    }
    CommPort->ClosePort();
    UpdateControls(CanClose);
  } catch (...) {
    portFailure = std::current_exception();
  }
  if (portFailure) {
    CanClose = AskIgnore(kPortUsed, PortFailureDetail(portFailure, CommPort->DeviceName(), settingsFile_));
    UpdateControls(CanClose);
  }
  // Close requests made while this one was answered are the same request.
  DropHeld(THeldKind::Close);
}

void TFormMain::OpenDeviceForShutdown() {
  try {
    OpenModemPort();
  } catch (...) {
    // A device that went away and has not come back is a modem not
    // connected, as it was while the dead device was still held.
    if (!AwaitingDevice()) throw;
    CommPort->ReleasePort();
  }
}

// ---- Minimise and restore ------------------------------------------------------

void TFormMain::AppMinimize(QObject* Sender) {
  minimised_ = true;
  // A network port's attempts end here; a device path is still watched, but
  // only a restore opens it (below).
  if (reconnect_->Network()) reconnect_->Stop();
  if (Hold(THeldKind::Minimize, [this, Sender] { AppMinimize(Sender); })) return;
  CommPort->ClosePort();
}

void TFormMain::AppRestore(QObject* Sender) {
  minimised_ = false;
  if (Hold(THeldKind::Restore, [this, Sender] { AppRestore(Sender); })) return;
  TExchange exchange(*this);
  ShowAndActivate();
  if (CommPort->PortOpen()) return;
  try {
    OpenModemPort();
    if (CommPort->ModemSignal(2)) {
      CommPort->Command("AT+MCS?", 1000);
      const std::string& reply = CommPort->Response();
      BtnSelfControl->SetDown(!reply.empty() && reply[0] == '1');
      if (BtnSelfControl->Down()) RefreshMessageStore();
    } else {
      BtnSelfControl->SetDown(false);
      CommPort->ClosePort();
      ShowErrorBox(kModemOff);
    }
  } catch (...) {
    BtnSelfControl->SetDown(false);
  }
  if (CommPort->PortOpen()) reconnect_->Stop();
  UpdateControls(false);
}

// ---- Keys ----------------------------------------------------------------------

void TFormMain::FormKeyUp(QObject*, uint16_t& Key, Qt::KeyboardModifiers) {
  if (Key == kVkReturn && BtnPlay->Enabled()) BtnPlay->Click();
}

// ---- Focus ----------------------------------------------------------------------

void TFormMain::KeepFocus(QWidget* focusedBefore) {
  // Disabling the focused control (every operation disables them all) takes
  // the keyboard focus away; it comes back when the controls are enabled:
  // to that control, or the list, or the first control that can take it.
  QWidget* now = focusWidget();
  if (focusedBefore && !focusedBefore->isEnabled() && !(now && now->isEnabled())) focusHome_ = focusedBefore;
  if (!focusHome_) return;
  for (QWidget* w : {focusHome_.data(), static_cast<QWidget*>(GridMsgStore), static_cast<QWidget*>(BtnSelfControl)}) {
    if (w && w->isEnabled()) {
      focusHome_ = nullptr;
      w->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

// ---- Held requests --------------------------------------------------------------

bool TFormMain::Hold(THeldKind kind, std::function<void()> run) {
  if (exchangeDepth_ == 0 || closed_) return closed_;
  const bool queued = std::any_of(held_.begin(), held_.end(), [kind](const THeldRequest& r) { return r.Kind == kind; });
  if (!queued || (kind != THeldKind::Close && held_.back().Kind != kind)) held_.push_back({kind, std::move(run)});
  return true;
}

void TFormMain::DropHeld(THeldKind kind) {
  std::erase_if(held_, [kind](const THeldRequest& r) { return r.Kind == kind; });
}

void TFormMain::ScheduleHeld() {
  if (held_.empty() || heldScheduled_) return;
  heldScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    heldScheduled_ = false;
    RunHeld();
  });
}

void TFormMain::RunHeld() {
  while (!held_.empty() && exchangeDepth_ == 0 && !closed_) {
    THeldRequest request = std::move(held_.front());
    held_.erase(held_.begin());
    try {
      request.Run();
    } catch (...) {
      HandleException();
    }
  }
}

bool TFormMain::HoldClick(THeldKind kind, TSpeedButton* button, void (TFormMain::*handler)(QObject*)) {
  // The user could click the button only while it was enabled; by the time
  // the click runs, the exchange may have disabled it.
  return Hold(kind, [this, button, handler] {
    if (button->Enabled()) (this->*handler)(button);
  });
}

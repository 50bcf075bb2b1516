#pragma once

// Main window tests' shared pieces: settings file, emulator or pty modem, scripted boxes, the dialogue.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <atomic>
#include <utility>
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

#include "app/comm_port.h"
#include "app/form_main.h"
#include "grid/cell_grid.h"
#include "tests/common/files.h"
#include "tests/common/modem_sim.h"
#include "tests/common/pty_pair.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/common/wait.h"
#include "toolkit/core/date_time.h"
#include "toolkit/widgets/qt_message_boxes.h"
#include "toolkit/widgets/speed_button.h"

namespace formmain_test {

using namespace std::chrono_literals;
using orvix::test::HandleEventsFor;
using orvix::test::WaitUntil;

inline const std::vector<std::string> kSetup = {"AT+MCS=1", "AT+MCD=1", "AT+MCM=1", "AT+MCR=3", "AT+MCW"};
inline const std::string kNoDevice = "/nonexistent/orvix-tty";

// Rows 1 and 3 are voice messages, row 2 a fax; then two more voice messages.
inline const std::string kThreeMessages =
    "clock running 5 0 0\nmessage voice 14 0 9 12\nmessage fax 2 0 14 3\nmessage voice 7 1 8 45\n";
inline const std::string kFiveMessages = kThreeMessages + "message voice 31 1 17 20\nmessage voice 3 2 0 0\n";

inline std::vector<std::string> From(std::vector<std::string> v, std::size_t n) {
  v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(std::min(n, v.size())));
  return v;
}

inline std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline QPoint Middle(const TCellGrid& g, int c, int r) {
  const TRect cell = g.CellRect(c, r);
  return QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
}

// The main window, also while its constructor still runs.
inline TFormMain* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* form = dynamic_cast<TFormMain*>(w)) return form;
  return nullptr;
}

// Counts the times the main window is shown, running onShow at each.
class ShowWatch : public QObject {
 public:
  explicit ShowWatch(std::function<void(TFormMain&)> onShow = [](TFormMain&) {}) : onShow_(std::move(onShow)) {
    qApp->installEventFilter(this);
  }
  ~ShowWatch() override { qApp->removeEventFilter(this); }
  int Shows = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (auto* f = dynamic_cast<TFormMain*>(watched); f && event->type() == QEvent::Show) ++Shows, onShow_(*f);
    return false;
  }

 private:
  std::function<void(TFormMain&)> onShow_;
};

// Real boxes while it lives; every 10 ms the box open, if any, is handed to onBox, which must answer it.
class RealBoxes {
 public:
  RealBoxes(ScriptedMessageBoxes& scripted, std::function<void(QMessageBox&)> onBox) : scripted_(scripted) {
    SetMessageBoxes(&real_);
    QObject::connect(&poll_, &QTimer::timeout, [onBox = std::move(onBox)] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) onBox(*box);
    });
    poll_.start(10);
  }
  ~RealBoxes() { SetMessageBoxes(&scripted_); }
  void Stop() { poll_.stop(); }

 private:
  ScriptedMessageBoxes& scripted_;
  TQtMessageBoxes real_;
  QTimer poll_;
};

using orvix::test::ReadFile;
using orvix::test::WriteFile;

// The receive time of a message stamped this long after WriteSettings' reference, 14 March 2025 09:05.
inline QString Stamp(int days, int hours, int minutes) {
  return QString::fromStdString(FormatDateTime(
      "dddddd t", EncodeDate(2025, 3, 14) + EncodeTime(9, 5, 0, 0) + days + EncodeTime(hours, minutes, 0, 0)));
}

// A clock reference as the settings file keeps it.
inline std::string ClockSection(TDateTime t) {
  int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(t, y, m, d);
  DecodeTime(t, h, mi, s, ms);
  const auto n = [](int v) { return std::to_string(v); };
  return "[ClockReset]\nDate=" + n(y) + "," + n(m) + "," + n(d) + "\nTime=" + n(h) + "," + n(mi) + "\n";
}

// A pty modem answering each line with what the handler returns, framed ("" OK, "ERROR", nullopt: silence).
class PtyModem {
 public:
  using THandler = std::function<std::optional<std::string>(const std::string& command)>;

  explicit PtyModem(THandler handler) : handler_(std::move(handler)), thread_([this] { Serve(); }) {}
  ~PtyModem() { stop_ = true; thread_.join(); }
  const std::string& Device() const { return pty_.SlaveName(); }
  std::vector<std::string> Commands() const { std::lock_guard lock(mutex_); return commands_; }
  void SetHandler(THandler handler) { std::lock_guard lock(mutex_); handler_ = std::move(handler); }

 private:
  void Serve() {
    std::string line;
    while (!stop_) {
      pollfd p{pty_.Master(), POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      char buf[256];
      const ssize_t n = read(pty_.Master(), buf, sizeof buf);
      if (n <= 0) continue;
      for (ssize_t i = 0; i < n; ++i) {
        if (buf[i] != '\r') {
          if (buf[i] != '\n') line += buf[i];
          continue;
        }
        std::optional<std::string> reply;
        {
          std::lock_guard lock(mutex_);
          commands_.push_back(line);
          reply = handler_(std::exchange(line, {}));
        }
        if (reply && *reply == "ERROR") pty_.WriteMaster("\r\nERROR\r\n");
        else if (reply) pty_.WriteMaster((reply->empty() ? "" : "\r\n" + *reply + "\r\n") + "\r\nOK\r\n");
      }
    }
  }

  PtyPair pty_;
  THandler handler_;
  mutable std::mutex mutex_;
  std::vector<std::string> commands_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class FormMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ini_ = dir_.filePath("OrvixManager.ini").toStdString();
  }
  void TearDown() override { form_.reset(); sim_.reset(); }

  // The emulator as a network serial port, so the modem has its lines; the settings file pointed at it.
  void StartModem(const std::string& scenario, std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
    sim_ = std::make_unique<orvix::test::ModemSim>(args, scenario);
    WriteSettings(sim_->Device());
  }

  // The device, and a clock reference of 14 March 2025 09:05 unless clockSection says otherwise.
  void WriteSettings(const std::string& device,
                     const std::string& clockSection = "[ClockReset]\nDate=2025,3,14\nTime=9,5\n") {
    WriteFile(ini_, "[General]\nDeviceName=" + device + "\n" + clockSection);
  }

  void CreateForm(std::vector<std::string> args = {}) { form_ = std::make_unique<TFormMain>(std::move(args), ini_); }
  // The title bar's close button: a close request delivered by whatever event loop runs next.
  void PostClose() { QCoreApplication::postEvent(form_->windowHandle(), new QCloseEvent); }

  // Plays take a hundredth of their time unless args say otherwise.
  void CreateFormWithModem(const std::string& scenario, std::vector<std::string> args = {"--speed", "0.01"}) {
    StartModem(scenario, std::move(args));
    CreateForm();
  }
  void CreateFormWithoutDevice() { WriteSettings(kNoDevice); CreateForm(); }
  void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // Command lines the emulator received, in order, from the n-th on.
  std::vector<std::string> Dialogue(std::size_t from = 0) const {
    std::vector<std::string> out;
    for (const auto& line : sim_->LogEvents("RX")) {
      const auto p = line.find(" RX ");
      out.push_back(p == std::string::npos ? line : line.substr(p + 4));
    }
    return From(std::move(out), from);
  }
  std::size_t DialogueSize() const { return Dialogue().size(); }
  // The command lines the emulator received while `act` ran.
  std::vector<std::string> SaidDuring(const std::function<void()>& act) {
    const std::size_t mark = DialogueSize();
    act();
    return Dialogue(mark);
  }

  // Message rows only.
  std::vector<QString> Column(int c) const {
    std::vector<QString> out;
    for (int r = 1; r < form_->GridMsgStore->RowCount(); ++r) out.push_back(form_->GridMsgStore->Cells(c, r));
    return out;
  }
  QString Label() const { return form_->LabelMsgStoreCnt->text(); }
  std::vector<std::string> Details() const {
    std::vector<std::string> details;
    for (const auto& r : boxes_.Requests) details.push_back(r.Detail);
    return details;
  }

  // Enabled state of connect, play, welcome, full welcome, erase, grid.
  static std::vector<bool> EnabledOf(const TFormMain& f) {
    return {f.BtnSelfControl->Enabled(), f.BtnPlay->Enabled(),  f.BtnPlayWelcome->Enabled(),
            f.BtnPlayFull->Enabled(),    f.BtnErase->Enabled(), f.GridMsgStore->Enabled()};
  }
  std::vector<bool> Enabled() const { return EnabledOf(*form_); }

  // The error box that asks before a close whether to close anyway.
  static void ExpectCloseQuestion(const TMessageBoxRequest& ask, const std::string& text) {
    EXPECT_EQ(ask.Type, TMsgBoxType::mbtError);
    EXPECT_EQ(ask.Title, "Error");
    EXPECT_EQ(ask.Text, text);
    EXPECT_EQ(ask.Buttons, (std::vector<std::string>{"Cancel", "&Ignore"}));
    EXPECT_EQ(ask.DefaultButton, -1);
    EXPECT_EQ(ask.EscapeButton, 0);
  }

  QTemporaryDir dir_;
  std::string ini_;
  ScriptedMessageBoxes boxes_;
  std::unique_ptr<orvix::test::ModemSim> sim_;
  std::unique_ptr<TFormMain> form_;
};

}  // namespace formmain_test

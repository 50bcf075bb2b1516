// The window at once: shown before the port is opened, every control
// disabled; boxes of the start-up; the busy cursor while the program talks
// to the modem. (When it shows with an argument is x11_startup_flow.sh's.)

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "tests/app/form_main_fixture.h"
#include "tests/common/shown_window.h"
#include "toolkit/widgets/qt_message_boxes.h"

namespace formmain_test {
namespace {

const char* const kThreeMessages =
    "clock running 3 0 0\n"
    "message voice 14 0 9 12\n"
    "message fax 2 0 14 3\n"
    "message voice 7 1 8 45\n";

// The main window while its constructor still runs.
TFormMain* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* form = dynamic_cast<TFormMain*>(w)) return form;
  return nullptr;
}

// What held at the moment the main window was shown.
class ShowWatch : public QObject {
 public:
  explicit ShowWatch(std::function<void(TFormMain&)> onShow) : onShow_(std::move(onShow)) {
    qApp->installEventFilter(this);
  }
  ~ShowWatch() override { qApp->removeEventFilter(this); }
  int Shows = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (auto* form = dynamic_cast<TFormMain*>(watched); form && event->type() == QEvent::Show) {
      ++Shows;
      onShow_(*form);
    }
    return false;
  }

 private:
  std::function<void(TFormMain&)> onShow_;
};

class FormMainAtOnce : public FormMainTest {
 protected:
  // Enabled state of connect, play, welcome, full welcome, erase, grid.
  static std::vector<bool> EnabledOf(const TFormMain& f) {
    return {f.BtnSelfControl->Enabled(), f.BtnPlay->Enabled(),  f.BtnPlayWelcome->Enabled(),
            f.BtnPlayFull->Enabled(),    f.BtnErase->Enabled(), f.GridMsgStore->Enabled()};
  }
  bool Connected() const { return sim_->WaitForLog("CONNECT", 0ms).has_value(); }
};

TEST_F(FormMainAtOnce, WithoutAnArgumentTheWindowShowsBeforeThePortIsOpened) {
  StartModem(kThreeMessages);
  WriteSettings(sim_->Device());
  bool connectedAtShow = true;
  std::vector<bool> enabledAtShow;
  ShowWatch watch([&](TFormMain& f) {
    connectedAtShow = Connected();
    enabledAtShow = EnabledOf(f);
  });
  CreateForm();
  EXPECT_EQ(watch.Shows, 1);
  EXPECT_FALSE(connectedAtShow) << "the port was opened before the window showed";
  EXPECT_EQ(enabledAtShow, std::vector<bool>(6, false));
  EXPECT_EQ(Label(), "3 received messages");
}

// Boxes raised during start-up: over the shown window without an argument,
// with no window with one.
TEST_F(FormMainAtOnce, BoxesDuringStartUp) {
  WriteSettings("/nonexistent/orvix-tty");
  std::vector<bool> visibleAtBox;
  boxes_.OnShow = [&](const TMessageBoxRequest&) { visibleAtBox.push_back(MainWindow()->isVisible()); };
  CreateForm();
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"COM Port is used by another application"});
  EXPECT_EQ(visibleAtBox, std::vector<bool>{true});
  form_.reset();

  visibleAtBox.clear();
  boxes_.Answer("OK");
  boxes_.Answer("&Ignore");
  CreateForm({"x"});
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(3, "COM Port is used by another application"));
  EXPECT_EQ(visibleAtBox, (std::vector<bool>{false, false}));
  EXPECT_TRUE(boxes_.Mismatches.empty());
}

TEST_F(FormMainAtOnce, TheCursorIsBusyWhileTheStartUpTalksToTheModem) {
  StartModem(kThreeMessages);
  WriteSettings(sim_->Device());
  std::vector<Qt::CursorShape> during;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, [&] {
    if (TFormMain* f = MainWindow(); f && f->InExchange()) during.push_back(f->cursor().shape());
  });
  sample.start(20);
  CreateForm();
  sample.stop();
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during, std::vector<Qt::CursorShape>(during.size(), Qt::BusyCursor));
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
}

// A play clicked with the mouse fails: the window is busy until it has
// ended, the box that says so keeps the normal cursor.
TEST_F(FormMainAtOnce, TheCursorIsBusyDuringAPlayButNotOverItsBox) {
  std::string scenario = kThreeMessages;
  scenario += "fault AT+MVP=1 error\n";
  CreateFormWithFastModem(scenario);
  TQtMessageBoxes real;
  SetMessageBoxes(&real);
  Qt::CursorShape windowAtBox = Qt::BlankCursor, box = Qt::BlankCursor;
  bool overridden = true;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!shown) return;
    windowAtBox = form_->cursor().shape();
    box = shown->cursor().shape();
    overridden = QApplication::overrideCursor() != nullptr;
    shown->buttons().front()->click();
  });
  poll.start(10);
  ASSERT_TRUE(orvix::test::ShowActive(*form_));
  QTest::mouseClick(form_->BtnPlay, Qt::LeftButton);
  SetMessageBoxes(&boxes_);
  EXPECT_EQ(Dialogue().back(), "AT+MVP=1");
  EXPECT_EQ(windowAtBox, Qt::BusyCursor);
  EXPECT_EQ(box, Qt::ArrowCursor);
  EXPECT_FALSE(overridden);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
}

// The window is in sight during the start-up's exchange, so a close can come
// in the middle of it: it waits for the reading, then shuts down as usual.
TEST_F(FormMainAtOnce, ACloseDuringTheStartUpRunsAfterTheReading) {
  StartModem(kThreeMessages);
  WriteSettings(sim_->Device());
  QTimer::singleShot(0, [] { MainWindow()->close(); });
  CreateForm();
  EXPECT_FALSE(form_->Closed());
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }));
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MSR=003"}, kSetup}));
  EXPECT_TRUE(boxes_.Requests.empty());
}

}  // namespace
}  // namespace formmain_test

// The window at once: boxes of the start-up, the busy cursor during a play,
// a close during the start-up. (The window shown before the port is opened
// and the busy cursor of the start-up are form_main_startup_test's; when it
// shows with an argument is x11_startup_flow.sh's.)

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "tests/app/form_main_fixture.h"
#include "tests/common/shown_window.h"
#include "toolkit/widgets/qt_message_boxes.h"

namespace formmain_test {
namespace {

class FormMainAtOnce : public FormMainTest {};

// Boxes raised during start-up: over the shown window without an argument
// (form_main_window_test's), with no window with one.
TEST_F(FormMainAtOnce, WithAnArgumentBoxesOfTheStartUpShowWithoutTheWindow) {
  WriteSettings(kNoDevice);
  std::vector<bool> visibleAtBox;
  boxes_.OnShow = [&](const TMessageBoxRequest&) { visibleAtBox.push_back(MainWindow()->isVisible()); };
  boxes_.Answer("OK");
  boxes_.Answer("&Ignore");
  CreateForm({"x"});
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(2, "COM Port is used by another application"));
  EXPECT_EQ(visibleAtBox, (std::vector<bool>{false, false}));
  EXPECT_TRUE(boxes_.Mismatches.empty());
}

// A play clicked with the mouse fails: the window is busy until it has
// ended, the box that says so keeps the normal cursor.
TEST_F(FormMainAtOnce, TheCursorIsBusyDuringAPlayButNotOverItsBox) {
  CreateFormWithModem(kThreeMessages + "fault AT+MVP=1 error\n");
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
  Click(form_->BtnPlay);
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

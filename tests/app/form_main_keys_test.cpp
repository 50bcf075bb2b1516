// Keys and focus as a user meets them, the keyboard alone included.

#include <QKeyEvent>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const std::string kWithWelcomes = kThreeMessages + "welcome 4\nfull-welcome 6\n";

class FormMainKeys : public FormMainTest {
 protected:
  void Start(const std::string& scenario) {
    CreateFormWithModem(scenario);
    ASSERT_TRUE(boxes_.Requests.empty());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  // A click in the middle of a message row, which gives the grid the focus.
  void ClickRow(int row) {
    QTest::mouseClick(form_->GridMsgStore->viewport(), Qt::LeftButton, {}, Middle(*form_->GridMsgStore, 1, row));
  }

  // Where the system sends a key: the focused control, or the window itself.
  QWidget* KeyTarget() const {
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == form_.get() ? focus : form_.get();
  }

  // With the time stamp and auto-repeat flag the display server gave it (QTest's own events carry neither).
  void SendKey(QEvent::Type type, int key, quint64 time, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Return ? "\r" : "", autoRepeat);
    event.setTimestamp(time);
    QApplication::sendEvent(KeyTarget(), &event);
  }

  std::vector<std::string> Plays(std::size_t from) const {
    auto plays = Dialogue(from);
    std::erase_if(plays, [](const std::string& line) { return line.rfind("AT+MVP", 0) != 0; });
    return plays;
  }

  // A key pressed and released `times` times where the system sends it; Backtab with its Shift.
  void Key(Qt::Key key, int times = 1) {
    const auto modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
    while (times-- > 0) QTest::keyClick(KeyTarget(), key, modifiers);
  }
  QWidget* Focus() const { return QApplication::focusWidget(); }
  // Commands sent from `act` on, once the exchange it started has ended.
  std::vector<std::string> SaidUntilSettled(const std::function<void()>& act) {
    return SaidDuring([&] {
      act();
      EXPECT_TRUE(WaitUntil([&] { return !form_->InExchange(); }));
      HandleEventsFor(100ms);  // anything that follows comes meanwhile
    });
  }
  void SettleAfterPlays(std::size_t from, std::size_t expected) {
    EXPECT_TRUE(WaitUntil([&] { return Plays(from).size() >= expected && !form_->InExchange(); }));
    HandleEventsFor(400ms);  // anything that follows comes meanwhile
  }
  // The plays `act` started, once one is answered and anything that would follow has had time to come.
  std::vector<std::string> PlaysAfter(const std::function<void()>& act) {
    const std::size_t mark = DialogueSize();
    act();
    SettleAfterPlays(mark, 1);
    return Plays(mark);
  }
};

// Enter on a focused row plays it once, also held: an X server then sends release+press pairs with one time
// stamp, only the first flagged auto-repeat by Qt (it sees a pair only if both halves are in when it looks).
TEST_F(FormMainKeys, OneEnterOnAFocusedRowPlaysThatRowOnceAlsoWhenHeld) {
  Start(kFiveMessages);
  ClickRow(3);
  ASSERT_EQ(form_->GridMsgStore->Row(), 3);
  ASSERT_EQ(Focus(), form_->GridMsgStore) << "a click on a row focuses the grid";
  ASSERT_TRUE(form_->BtnPlay->Enabled());
  EXPECT_EQ(PlaysAfter([&] { Key(Qt::Key_Return); }), std::vector<std::string>{"AT+MVP=3"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 4);

  // On the last row the selection stays, so a second play would repeat it.
  ClickRow(5);
  EXPECT_EQ(PlaysAfter([&] { Key(Qt::Key_Return); }), std::vector<std::string>{"AT+MVP=5"});
  EXPECT_TRUE(boxes_.Requests.empty());

  ClickRow(3);
  ASSERT_EQ(Focus(), form_->GridMsgStore);
  const std::size_t mark = DialogueSize();
  quint64 time = 500000;
  SendKey(QEvent::KeyPress, Qt::Key_Return, time);
  time += 660;
  SendKey(QEvent::KeyRelease, Qt::Key_Return, time, true);
  SendKey(QEvent::KeyPress, Qt::Key_Return, time, true);
  HandleEventsFor(40ms);  // a held key repeats every 40 ms
  for (int repeat = 0; repeat < 12; ++repeat) {
    time += 40;
    SendKey(QEvent::KeyRelease, Qt::Key_Return, time);
    SendKey(QEvent::KeyPress, Qt::Key_Return, time);
    HandleEventsFor(40ms);
  }
  HandleEventsFor(200ms);  // a play would start meanwhile
  EXPECT_EQ(Plays(mark), std::vector<std::string>{}) << "nothing plays while Enter is held";
  time += 25;
  SendKey(QEvent::KeyRelease, Qt::Key_Return, time);
  SettleAfterPlays(mark, 1);
  EXPECT_EQ(Plays(mark), std::vector<std::string>{"AT+MVP=3"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 4);
}

// A real modal box: Enter closes it on the press, the release goes to the window. A click starts the play,
// so that no Enter of the window's own is involved.
TEST_F(FormMainKeys, TheEnterThatClosesABoxDoesNotPlay) {
  Start(kFiveMessages + "fault AT+MVP=* error\n");
  // The first box is closed by Enter; any later one (a second play failing) by Escape, so the test cannot hang.
  std::vector<std::string> shown;
  bool released = false;
  RealBoxes real(boxes_, [&](QMessageBox& box) {
    box.activateWindow();
    if (!QTest::qWaitForWindowActive(&box)) return;
    shown.push_back(box.text().toStdString());
    if (shown.size() > 1) return QTest::keyClick(&box, Qt::Key_Escape);
    QTest::keyPress(&box, Qt::Key_Return);
    EXPECT_NE(box.clickedButton(), nullptr) << "Enter answers the box on its press";
    QTimer::singleShot(0, [&] { QTest::keyRelease(KeyTarget(), Qt::Key_Return); released = true; });
  });

  ClickRow(3);
  const std::size_t mark = DialogueSize();
  Click(form_->BtnPlay);
  ASSERT_TRUE(WaitUntil([&] { return released; }));
  SettleAfterPlays(mark, 1);
  real.Stop();
  EXPECT_EQ(shown, std::vector<std::string>{"Error on COM Port"});
  EXPECT_EQ(Plays(mark), std::vector<std::string>{"AT+MVP=3"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 4);
}

// The buttons take no focus, so the grid keeps it while one is clicked.
TEST_F(FormMainKeys, TheGridGetsTheFocusBackAfterAPlayAndAFailedErase) {
  Start(kFiveMessages + "fault AT+MEM error\n");
  ClickRow(3);
  ASSERT_EQ(Focus(), form_->GridMsgStore);
  EXPECT_EQ(PlaysAfter([&] { Click(form_->BtnPlay); }), std::vector<std::string>{"AT+MVP=3"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 4);
  EXPECT_EQ(Focus(), form_->GridMsgStore);
  Key(Qt::Key_Down);
  EXPECT_EQ(form_->GridMsgStore->Row(), 5) << "the arrow keys move the selection again";
  // A failed erase reads the store again and enables the grid once more.
  Click(form_->BtnErase);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port during Erase operation"});
  ASSERT_TRUE(form_->GridMsgStore->Enabled());
  EXPECT_EQ(Focus(), form_->GridMsgStore);
  const int row = form_->GridMsgStore->Row();
  Key(Qt::Key_Up);
  EXPECT_EQ(form_->GridMsgStore->Row(), row - 1);
}

// No click: the list has the focus at start, Tab and Shift+Tab go through the enabled buttons and the list,
// Space presses the focused button, Enter plays the selected message wherever the focus is.
TEST_F(FormMainKeys, EverythingIsReachableWithTheKeyboardAlone) {
  Start(kWithWelcomes);
  TFormMain& f = *form_;
  ASSERT_EQ(Focus(), f.GridMsgStore) << "the list has the focus at start";
  Key(Qt::Key_Down, 2);
  EXPECT_EQ(f.GridMsgStore->Row(), 3);
  EXPECT_TRUE(f.BtnPlay->Enabled());

  const std::vector<QWidget*> order = {f.BtnSelfControl, f.BtnPlay, f.BtnPlayWelcome, f.BtnPlayFull, f.BtnErase,
                                       f.GridMsgStore};
  for (QWidget* expected : order) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), expected) << (Focus() ? Focus()->objectName().toStdString() : "nothing");
  }
  for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Focus(), *it) << (Focus() ? Focus()->objectName().toStdString() : "nothing");
  }
  ASSERT_EQ(Focus(), f.BtnSelfControl);

  // Space on the welcome buttons plays them; Enter on a button still plays the selected message, focus kept.
  Key(Qt::Key_Tab, 2);
  ASSERT_EQ(Focus(), f.BtnPlayWelcome);
  EXPECT_EQ(SaidUntilSettled([&] { Key(Qt::Key_Space); }), std::vector<std::string>{"AT+MVP=0"});
  EXPECT_EQ(Focus(), f.BtnPlayWelcome) << "the focus comes back after the play";
  Key(Qt::Key_Tab);
  EXPECT_EQ(SaidUntilSettled([&] { Key(Qt::Key_Space); }), std::vector<std::string>{"AT+MVP=255"});
  EXPECT_EQ(SaidUntilSettled([&] { Key(Qt::Key_Return); }), std::vector<std::string>{"AT+MVP=3"});
  EXPECT_EQ(Focus(), f.BtnPlayFull);

  // Space toggles connect: up releases the port, down connects and reads. (Play, on an empty row, is skipped.)
  ASSERT_FALSE(f.BtnPlay->Enabled());
  Key(Qt::Key_Backtab, 2);
  ASSERT_EQ(Focus(), f.BtnSelfControl);
  Key(Qt::Key_Space);
  EXPECT_FALSE(f.BtnSelfControl->Down());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_EQ(Focus(), f.BtnSelfControl);
  const auto connect = SaidUntilSettled([&] { Key(Qt::Key_Space); EXPECT_TRUE(f.BtnSelfControl->Down()); });
  EXPECT_EQ(connect.front(), "AT+MCS=1");
  EXPECT_EQ(Label(), "3 received messages");

  // Erase goes off with the messages: the focus lands on connect, never on nothing. (Play is still off.)
  Key(Qt::Key_Tab, 3);
  ASSERT_EQ(Focus(), f.BtnErase);
  EXPECT_EQ(SaidUntilSettled([&] { Key(Qt::Key_Space); }), std::vector<std::string>{"AT+MEM"});
  EXPECT_EQ(Label(), "No messages");
  EXPECT_EQ(Focus(), f.BtnSelfControl);
  EXPECT_TRUE(boxes_.Requests.empty());
}

// A click works a button without taking the focus from the list; only the focused button shows a frame.
TEST_F(FormMainKeys, AClickLeavesTheFocusAndTheFocusedButtonShowsAFrame) {
  Start(kWithWelcomes);
  TFormMain& f = *form_;
  const QImage unfocused = f.BtnPlayWelcome->grab().toImage();
  EXPECT_EQ(SaidUntilSettled([&] { Click(f.BtnPlayWelcome); }), std::vector<std::string>{"AT+MVP=0"});
  EXPECT_EQ(Focus(), f.GridMsgStore);
  EXPECT_EQ(f.BtnPlayWelcome->grab().toImage(), unfocused);

  Key(Qt::Key_Tab, 3);
  ASSERT_EQ(Focus(), f.BtnPlayWelcome);
  const QImage focused = f.BtnPlayWelcome->grab().toImage();
  // The frame runs round the picture: changed pixels on all four sides, none in the middle.
  QRect changed;
  for (int y = 0; y < focused.height(); ++y)
    for (int x = 0; x < focused.width(); ++x)
      if (focused.pixel(x, y) != unfocused.pixel(x, y)) changed |= QRect(x, y, 1, 1);
  EXPECT_EQ(changed, QRect(2, 2, 35, 35));
  EXPECT_EQ(focused.pixel(19, 19), unfocused.pixel(19, 19));
}

}  // namespace
}  // namespace formmain_test

#include <QApplication>
#include <QKeyEvent>

#include <string>
#include <vector>

#include "tests/common/shown_window.h"
#include "toolkit/widgets/key_preview.h"

namespace {

using orvix::test::ShowActive;

// A control that takes the focus and leaves every key to its parents.
struct Control : QWidget {
  explicit Control(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
};

struct KeyPreview : ::testing::Test {
  void SetUp() override {
    form.resize(200, 100);
    control = new Control(&form);
    control->setGeometry(10, 10, 80, 30);
    preview = new TKeyPreview(&form);
    preview->OnKeyUp = [this](int key, Qt::KeyboardModifiers shift) { Record(key, shift); };
    ASSERT_TRUE(ShowActive(form));
    control->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), control);
  }

  void Record(int key, Qt::KeyboardModifiers s) { seen.push_back(QKeySequence(key | s).toString().toStdString()); }
  // A key event as a display server delivers it, to the focused control.
  void Send(QEvent::Type type, int key, quint64 time) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    QKeyEvent event(type, key, Qt::NoModifier);
    event.setTimestamp(time);
    QApplication::sendEvent(target, &event);
  }

  // Unflagged repeats of Return: a release and a press of one time stamp, every 40 ms.
  void RepeatsUntil(quint64 from, quint64 to) {
    for (quint64 t = from; t < to; t += 40) {
      Send(QEvent::KeyRelease, Qt::Key_Return, t);
      Send(QEvent::KeyPress, Qt::Key_Return, t);
    }
  }

  // Long enough for a release to be taken as the end of the key press.
  static void PastTheGrace() { QTest::qWait(static_cast<int>(TKeyPreview::RepeatGrace.count()) + 60); }

  QWidget form;
  Control* control = nullptr;
  TKeyPreview* preview = nullptr;
  std::vector<std::string> seen;
};

TEST_F(KeyPreview, APressAndReleaseIsReportedOnceWhereverTheReleaseTravels) {
  // Disabling the control takes the focus away; the release then goes on to the form as well.
  preview->OnKeyUp = [this](int key, Qt::KeyboardModifiers shift) { Record(key, shift); control->setEnabled(false); };
  QTest::simulateEvent(control, true, Qt::Key_Return, Qt::ShiftModifier, "\r", false);
  QTest::simulateEvent(control, false, Qt::Key_Return, Qt::ShiftModifier, "\r", false);
  EXPECT_EQ(seen, std::vector<std::string>{"Shift+Return"});
  EXPECT_NE(QApplication::focusWidget(), control);
  QTest::keyClick(&form, Qt::Key_A);
  EXPECT_EQ(seen, (std::vector<std::string>{"Shift+Return", "A"}));
}

TEST_F(KeyPreview, AReleaseWhosePressWentElsewhereOrAKeyHeldSinceAnotherWindowHadItIsNotReported) {
  // Enter pressed on a box that closed on the press, still held: only the repeats and the release come here.
  RepeatsUntil(2000, 2200);
  Send(QEvent::KeyRelease, Qt::Key_Return, 2230);
  PastTheGrace();
  EXPECT_TRUE(seen.empty());
  QTest::keyRelease(control, Qt::Key_Return);
  EXPECT_TRUE(seen.empty()) << "no press at all";

  QWidget box;
  box.resize(100, 50);
  ASSERT_TRUE(ShowActive(box));
  QTest::keyPress(&box, Qt::Key_Return);
  box.hide();
  ASSERT_TRUE(ShowActive(form));
  QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(seen.empty()) << "pressed in another window";

  QTest::keyPress(control, Qt::Key_Return);
  ASSERT_TRUE(ShowActive(box));
  box.hide();
  ASSERT_TRUE(ShowActive(form));
  QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(seen.empty()) << "another window was active in between";

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(seen, std::vector<std::string>{"Return"});
}

TEST_F(KeyPreview, AutoRepeatIsNotReported) {
  // Pairs of a release and a press that Qt flagged as auto-repeat.
  QTest::keyPress(control, Qt::Key_Return);
  for (int i = 0; i < 3; ++i) {
    QTest::simulateEvent(control, false, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(control, true, Qt::Key_Return, Qt::NoModifier, QString(), true);
  }
  EXPECT_TRUE(seen.empty());
  QTest::keyRelease(control, Qt::Key_Return);
  EXPECT_EQ(seen, std::vector<std::string>{"Return"});
  seen.clear();

  // Unflagged pairs of one time stamp: only the last release, once nothing pairs with it, ends the press.
  Send(QEvent::KeyPress, Qt::Key_Return, 1000);
  RepeatsUntil(1660, 1900);
  PastTheGrace();
  EXPECT_TRUE(seen.empty());
  Send(QEvent::KeyRelease, Qt::Key_Return, 1925);
  EXPECT_TRUE(seen.empty()) << "reported only once no press pairs with it";
  PastTheGrace();
  EXPECT_EQ(seen, std::vector<std::string>{"Return"});

  // Two quick presses of their own are two.
  seen.clear();
  Send(QEvent::KeyPress, Qt::Key_Return, 3000);
  Send(QEvent::KeyRelease, Qt::Key_Return, 3060);
  Send(QEvent::KeyPress, Qt::Key_Return, 3090);
  Send(QEvent::KeyRelease, Qt::Key_Return, 3150);
  PastTheGrace();
  EXPECT_EQ(seen, (std::vector<std::string>{"Return", "Return"}));
}

}  // namespace

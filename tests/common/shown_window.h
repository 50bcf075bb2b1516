#pragma once

// Widgets in a shown, active window, the focus where a click puts it: QTest input then travels as a user's.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace orvix::test {

// Shows a top-level window and activates it; false when the platform does not.
[[nodiscard]] inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// A window for the test's widgets (children of `window`) and an edit box to take the focus away to.
class ShownWindowTest : public ::testing::Test {
 protected:
  // Sizes, shows and activates the window, the edit box at `otherAt`; puts the focus in `focus` if given.
  void ShowWindow(QSize size, QRect otherAt, QWidget* focus = nullptr) {
    window.resize(size);
    other = new QLineEdit(&window);
    other->setGeometry(otherAt);
    ASSERT_TRUE(ShowActive(window));
    if (!focus) return;
    focus->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(focus->hasFocus());
  }

  QWidget window;
  QLineEdit* other = nullptr;
};

}  // namespace orvix::test

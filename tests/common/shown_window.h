#pragma once

// Widgets as a user meets them: in a shown, active top-level window, the
// focus where a click puts it. Keys and clicks sent with QTest then travel as
// a user's do (to the focused widget, through the active window).

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace orvix::test {

// Shows a top-level window and makes it the active one; false when the
// platform does not activate it.
[[nodiscard]] inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// A window of the test's widgets and an edit box to take the focus away to.
// The test makes its widgets children of `window`, then calls ShowWindow.
class ShownWindowTest : public ::testing::Test {
 protected:
  // Sizes the window, puts the edit box at `otherAt`, shows and activates
  // the window and, when given, clicks the focus into `focus`.
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

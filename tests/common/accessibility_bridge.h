#pragma once

// For tests run inside screen_reader_session.sh: Qt's AT-SPI bridge comes up
// a moment after the application object, and only then are accessibility
// events passed on.

#include <QAccessible>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

inline ::testing::AssertionResult AccessibilityBridgeActive() {
  QElapsedTimer clock;
  clock.start();
  while (!QAccessible::isActive() && clock.elapsed() < 10000) QTest::qWait(20);
  if (QAccessible::isActive()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no accessibility bridge: run through screen_reader_session.sh";
}

#pragma once

// Under screen_reader_session.sh Qt's AT-SPI bridge comes up after the application: only then do events pass.

#include <QAccessible>
#include <gtest/gtest.h>

#include "tests/common/wait.h"

inline ::testing::AssertionResult AccessibilityBridgeActive() {
  if (orvix::test::WaitUntil([] { return QAccessible::isActive(); })) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no accessibility bridge: run through screen_reader_session.sh";
}

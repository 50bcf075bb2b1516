#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Every test binary gets a QApplication: the serial hand-over, the command
// channel's waits and the widgets all need the window thread's event loop.
int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

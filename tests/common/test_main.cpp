#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// A QApplication for every test: the serial hand-over, the command waits and widgets need its event loop.
int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

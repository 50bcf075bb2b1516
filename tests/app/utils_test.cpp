#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <string>

#include "app/utils.h"
#include "tests/common/cpu_sampler.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

TEST(Delay, WaitsAtLeastTheGivenTimeAndHandlesEvents) {
  for (int ms : {1, 30, 120}) {
    SCOPED_TRACE(ms);
    int handled = 0;
    QTimer event;
    event.setSingleShot(true);
    QObject::connect(&event, &QTimer::timeout, [&] { ++handled; });
    event.start(0);
    const auto start = Clock::now();
    Delay(ms);
    EXPECT_GE(MsSince(start), ms);
    EXPECT_LT(MsSince(start), ms + 2000);
    EXPECT_EQ(handled, 1);
  }
}

TEST(Delay, HandlesPendingEventsEvenForZero) {
  for (int ms : {0, -5}) {
    bool handled = false;
    QTimer event;
    event.setSingleShot(true);
    QObject::connect(&event, &QTimer::timeout, [&] { handled = true; });
    event.start(0);
    Delay(ms);
    EXPECT_TRUE(handled);
  }
}

TEST(Delay, EventsArrivingDuringTheWaitAreHandledThenAndThere) {
  bool handled = false;
  double at = 0;
  const auto start = Clock::now();
  QTimer event;
  event.setSingleShot(true);
  QObject::connect(&event, &QTimer::timeout, [&] {
    handled = true;
    at = MsSince(start);
  });
  event.start(50);
  Delay(400);
  EXPECT_TRUE(handled);
  EXPECT_LT(at, 400) << "the event waited for the end of the delay";
  EXPECT_GE(MsSince(start), 400);
}

TEST(Delay, DoesNotSpin) {
  EXPECT_LT(orvix::test::LoadWhile([] { Delay(500); }), 0.1) << "CPU seconds per second of a delay";
}

TEST(ExtractToken, TakesFieldsOffTheFront) {
  std::string text = "100,0,3,,2";
  std::string token;
  const char* expected[] = {"100", "0", "3", "", "2"};
  for (const char* field : expected) {
    ExtractToken(text, ',', token);
    EXPECT_EQ(token, field);
  }
  EXPECT_EQ(text, "");
  ExtractToken(text, ',', token);
  EXPECT_EQ(token, "");
  EXPECT_EQ(text, "");
}

TEST(ExtractToken, DelimiterAtTheEdges) {
  std::string text = ",a,";
  std::string token = "old";
  ExtractToken(text, ',', token);
  EXPECT_EQ(token, "");
  EXPECT_EQ(text, "a,");
  ExtractToken(text, ',', token);
  EXPECT_EQ(token, "a");
  EXPECT_EQ(text, "");
}

TEST(ExtractToken, WithoutDelimiterTheWholeTextIsTheToken) {
  std::string text = "2026 12 7";
  std::string token;
  ExtractToken(text, ',', token);
  EXPECT_EQ(token, "2026 12 7");
  EXPECT_EQ(text, "");
}

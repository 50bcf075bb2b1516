#include <gtest/gtest.h>

#include <QTimer>

#include <string>
#include <utility>

#include "app/utils.h"
#include "tests/common/cpu_sampler.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A pending event is handled even by a delay of zero or less; a positive one waits its time, and not far more.
TEST(Delay, WaitsAtLeastTheGivenTimeAndHandlesPendingEvents) {
  for (int ms : {-5, 0, 1, 30, 120}) {
    SCOPED_TRACE(ms);
    int handled = 0;
    QTimer::singleShot(0, [&] { ++handled; });
    const auto start = Clock::now();
    Delay(ms);
    EXPECT_GE(MsSince(start), std::max(ms, 0));
    EXPECT_LT(MsSince(start), std::max(ms, 0) + 2000);
    EXPECT_EQ(handled, 1);
  }
}

TEST(Delay, EventsArrivingDuringTheWaitAreHandledThenAndThere) {
  double at = -1;
  const auto start = Clock::now();
  QTimer::singleShot(50, [&] { at = MsSince(start); });
  Delay(400);
  EXPECT_GE(at, 0) << "not handled";
  EXPECT_LT(at, 400) << "the event waited for the end of the delay";
  EXPECT_GE(MsSince(start), 400);
}

TEST(Delay, DoesNotSpin) {
  EXPECT_LT(orvix::test::LoadWhile([] { Delay(500); }), 0.1) << "CPU seconds per second of a delay";
}

// Fields taken off the front, empty ones too, with the rest after each; a text without delimiter is one token.
TEST(ExtractToken, TakesFieldsOffTheFront) {
  using TSteps = std::vector<std::pair<std::string, std::string>>;  // token, rest
  const std::pair<std::string, TSteps> cases[] = {
      {"100,0,3,,2", {{"100", "0,3,,2"}, {"0", "3,,2"}, {"3", ",2"}, {"", "2"}, {"2", ""}, {"", ""}}},
      {",a,", {{"", "a,"}, {"a", ""}}}, {"2026 12 7", {{"2026 12 7", ""}}}};
  for (const auto& [text, steps] : cases) {
    std::string rest = text, token = "old";
    TSteps got;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      ExtractToken(rest, ',', token);
      got.emplace_back(token, rest);
    }
    EXPECT_EQ(got, steps) << text;
  }
}

}  // namespace

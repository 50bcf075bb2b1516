#include "toolkit/core/date_time.h"
#include "tests/common/message_of.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

std::string EncodeError(auto f) { return MessageOf<EConvertError>(f); }

}  // namespace

TEST(DateTime, DayNumbering) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);
  EXPECT_EQ(EncodeDate(2026, 12, 7), 46363.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeDate(2024, 2, 29) - EncodeDate(2024, 2, 28), 1.0);
}

TEST(DateTime, TimeFraction) {
  EXPECT_EQ(EncodeTime(0, 0, 0, 0), 0.0);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), (86400000.0 - 1) / 86400000.0);
}

TEST(DateTime, EncodeErrors) {
  const std::string date = "Invalid argument to date encode";
  const std::string time = "Invalid argument to time encode";
  EXPECT_EQ(EncodeError([] { EncodeDate(2026, 2, 29); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(1900, 2, 29); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(2026, 13, 1); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(2026, 0, 1); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(2026, 4, 31); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(0, 1, 1); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(10000, 1, 1); }), date);
  EXPECT_EQ(EncodeError([] { EncodeDate(2026, 1, 0); }), date);
  EXPECT_EQ(EncodeError([] { EncodeTime(24, 0, 0, 0); }), time);
  EXPECT_EQ(EncodeError([] { EncodeTime(9, 60, 0, 0); }), time);
  EXPECT_EQ(EncodeError([] { EncodeTime(9, 0, 60, 0); }), time);
  EXPECT_EQ(EncodeError([] { EncodeTime(9, 0, 0, 1000); }), time);
  EXPECT_EQ(EncodeError([] { EncodeTime(-1, 0, 0, 0); }), time);
  EXPECT_EQ(EncodeError([] { EncodeDate(2024, 2, 29); }), "no error");
}

TEST(DateTime, DecodeRoundTripsAndRoundsToTheMillisecond) {
  int y, m, d, h, n, s, ms;
  const TDateTime v = EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 30, 250);
  DecodeDate(v, y, m, d);
  DecodeTime(v, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}), (std::vector<int>{2026, 12, 7, 9, 5, 30, 250}));

  // A hair below a whole minute is that minute, not the one before.
  DecodeTime(EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 0, 0) - 1e-9, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{h, n, s, ms}), (std::vector<int>{9, 5, 0, 0}));
  // ...and a hair below midnight is the next day.
  DecodeDate(EncodeDate(2026, 12, 7) + 1 - 1e-10, y, m, d);
  DecodeTime(EncodeDate(2026, 12, 7) + 1 - 1e-10, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n}), (std::vector<int>{2026, 12, 8, 0, 0}));
}

TEST(DateTime, NegativeValuesCountTheTimeForward) {
  int y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n}), (std::vector<int>{1899, 12, 29, 6, 0}));
  DecodeDate(-0.5, y, m, d);
  DecodeTime(-0.5, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n}), (std::vector<int>{1899, 12, 30, 12, 0}));
}

TEST(DateTime, NowIsTheLocalClock) {
  const QDateTime before = QDateTime::currentDateTime();
  const TDateTime now = Now();
  const QDateTime after = QDateTime::currentDateTime();
  int y, m, d, h, n, s, ms;
  DecodeDate(now, y, m, d);
  DecodeTime(now, h, n, s, ms);
  const QDateTime got(QDate(y, m, d), QTime(h, n, s, ms));
  EXPECT_LE(before.addMSecs(-1), got);
  EXPECT_LE(got, after.addMSecs(1));
}

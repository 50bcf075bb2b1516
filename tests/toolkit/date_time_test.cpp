#include "toolkit/core/date_time.h"
#include "tests/common/message_of.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <gtest/gtest.h>

namespace {

std::string EncodeError(auto f) { return MessageOf<EConvertError>(f); }

using Fields = std::vector<int>;  // year, month, day, hour, minute, second, millisecond
Fields Decoded(TDateTime v) {
  int y, m, d, h, n, s, ms;
  DecodeDate(v, y, m, d);
  DecodeTime(v, h, n, s, ms);
  return {y, m, d, h, n, s, ms};
}

}  // namespace

TEST(DateTime, DayNumberingTimeFractionAndEncodeErrors) {
  const struct { int y, m, d; double day; } days[] = {
      {1899, 12, 30, 0}, {1899, 12, 31, 1}, {1899, 12, 29, -1}, {1900, 3, 1, 61}, {2026, 12, 7, 46363},
      {1, 1, 1, -693593}, {9999, 12, 31, 2958465}};
  for (const auto& c : days) EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.day) << c.y << "-" << c.m << "-" << c.d;
  EXPECT_EQ(EncodeDate(2024, 2, 29) - EncodeDate(2024, 2, 28), 1.0);
  EXPECT_EQ((std::vector{EncodeTime(0, 0, 0, 0), EncodeTime(12, 0, 0, 0), EncodeTime(6, 0, 0, 0)}),
            (std::vector{0.0, 0.5, 0.25}));
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), (86400000.0 - 1) / 86400000.0);
  const int dates[][3] = {{2026, 2, 29}, {1900, 2, 29}, {2026, 13, 1},  {2026, 0, 1},
                          {2026, 4, 31}, {0, 1, 1},     {10000, 1, 1}, {2026, 1, 0}};
  for (const auto& d : dates)
    EXPECT_EQ(EncodeError([&] { EncodeDate(d[0], d[1], d[2]); }), "Invalid argument to date encode")
        << d[0] << "-" << d[1] << "-" << d[2];
  const int times[][4] = {{24, 0, 0, 0}, {9, 60, 0, 0}, {9, 0, 60, 0}, {9, 0, 0, 1000}, {-1, 0, 0, 0}};
  for (const auto& t : times)
    EXPECT_EQ(EncodeError([&] { EncodeTime(t[0], t[1], t[2], t[3]); }), "Invalid argument to time encode")
        << t[0] << ":" << t[1] << ":" << t[2] << "." << t[3];
  EXPECT_EQ(EncodeError([] { EncodeDate(2024, 2, 29); }), "no error");
}

TEST(DateTime, DecodeRoundTripsRoundsToTheMillisecondAndCountsTheTimeForwardBeforeDayZero) {
  EXPECT_EQ(Decoded(EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 30, 250)), (Fields{2026, 12, 7, 9, 5, 30, 250}));
  // A hair below a whole minute is that minute, not the one before; a hair below midnight is the next day.
  EXPECT_EQ(Decoded(EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 0, 0) - 1e-9), (Fields{2026, 12, 7, 9, 5, 0, 0}));
  EXPECT_EQ(Decoded(EncodeDate(2026, 12, 7) + 1 - 1e-10), (Fields{2026, 12, 8, 0, 0, 0, 0}));
  EXPECT_EQ(Decoded(-1.25), (Fields{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_EQ(Decoded(-0.5), (Fields{1899, 12, 30, 12, 0, 0, 0}));
}

TEST(DateTime, NowIsTheLocalClock) {
  const QDateTime before = QDateTime::currentDateTime();
  const TDateTime now = Now();
  const QDateTime after = QDateTime::currentDateTime();
  const Fields f = Decoded(now);
  const QDateTime got(QDate(f[0], f[1], f[2]), QTime(f[3], f[4], f[5], f[6]));
  EXPECT_LE(before.addMSecs(-1), got);
  EXPECT_LE(got, after.addMSecs(1));
}

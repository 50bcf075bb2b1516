#include "toolkit/core/date_time.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <mutex>

namespace {

constexpr long long MSecsPerDay = 86400000;
// Days from 1 January 1970 back to 30 December 1899.
constexpr long long UnixDayOfDay0 = -25569;

long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Splits a value into its day number and the milliseconds into that day,
// rounded to the nearest millisecond; the fraction counts forward from
// midnight also for negative values, and a round-up to midnight moves to the
// next day.
void Split(TDateTime value, long long& day, long long& msec) {
  const double whole = std::trunc(value);
  day = static_cast<long long>(whole);
  msec = std::llround(std::fabs(value - whole) * MSecsPerDay);
  if (msec >= MSecsPerDay) {
    msec -= MSecsPerDay;
    ++day;
  }
}

std::mutex LocaleMutex;
std::optional<QLocale> ChosenLocale;

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  result = static_cast<double>(DaysFromCivil(year, month, day) - UnixDayOfDay0);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      msec < 0 || msec > 999)
    return false;
  const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
  result = static_cast<double>(ms) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result))
    throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime result = 0;
  if (!TryEncodeTime(hour, minute, second, msec, result))
    throw EConvertError("Invalid argument to time encode");
  return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  long long d = 0, ms = 0;
  Split(value, d, ms);
  CivilFromDays(d + UnixDayOfDay0, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
  long long d = 0, ms = 0;
  Split(value, d, ms);
  msec = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

TDateTime Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return EncodeDate(d.year(), d.month(), d.day()) +
         EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

QLocale FormatLocale() {
  std::lock_guard lock(LocaleMutex);
  return ChosenLocale ? *ChosenLocale : QLocale::system();
}

void SetFormatLocale(std::optional<QLocale> locale) {
  std::lock_guard lock(LocaleMutex);
  ChosenLocale = std::move(locale);
}

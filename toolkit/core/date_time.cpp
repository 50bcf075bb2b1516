#include "toolkit/core/date_time.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cctype>
#include <cmath>
#include <cstring>
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

namespace {

// The locale's long time format without its time zone name, which a plain
// local date-time value does not have.
QString LongTime(const QLocale& locale, const QTime& time) {
  QString format = locale.timeFormat(QLocale::LongFormat);
  QString kept;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    kept += c;
  }
  return locale.toString(time, kept.trimmed());
}

QString Pad(int value, int width) { return QString::number(value).rightJustified(width, u'0'); }

}  // namespace

std::string FormatDateTime(const std::string& format, TDateTime value) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, msec);
  const QDate date(year, month, day);
  const QTime time(hour, minute, second, msec);
  const QLocale locale = FormatLocale();

  std::string lower = format;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool twelveHour = lower.find("am/pm") != std::string::npos;

  QString out;
  bool afterHour = false;
  std::size_t i = 0;
  const std::size_t n = format.size();
  auto run = [&](char c, std::size_t max) {
    std::size_t count = 0;
    while (i + count < n && count < max &&
           std::tolower(static_cast<unsigned char>(format[i + count])) == c)
      ++count;
    i += count;
    return static_cast<int>(count);
  };
  while (i < n) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
    bool hourToken = false;
    if (format[i] == '"' || format[i] == '\'') {
      const char quote = format[i++];
      const std::size_t end = format.find(quote, i);
      const std::size_t stop = end == std::string::npos ? n : end;
      out += QString::fromStdString(format.substr(i, stop - i));
      i = end == std::string::npos ? n : end + 1;
      continue;
    }
    if (lower.compare(i, 5, "am/pm") == 0) {
      out += hour < 12 ? locale.amText() : locale.pmText();
      i += 5;
      continue;
    }
    switch (c) {
      case 'c':
        ++i;
        out += locale.toString(date, QLocale::ShortFormat);
        if (hour || minute || second || msec) out += u' ' + LongTime(locale, time);
        break;
      case 'd':
        switch (run('d', 6)) {
          case 1: out += QString::number(day); break;
          case 2: out += Pad(day, 2); break;
          case 3: out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
          case 4: out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
          case 5: out += locale.toString(date, QLocale::ShortFormat); break;
          default: out += locale.toString(date, QLocale::LongFormat); break;
        }
        break;
      case 'm': {
        const int count = run('m', 4);
        if (afterHour && count <= 2)
          out += count == 1 ? QString::number(minute) : Pad(minute, 2);
        else if (count == 1)
          out += QString::number(month);
        else if (count == 2)
          out += Pad(month, 2);
        else
          out += locale.monthName(month, count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        break;
      }
      case 'y':
        out += run('y', 4) <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
        break;
      case 'h': {
        int h = hour;
        if (twelveHour) h = hour % 12 == 0 ? 12 : hour % 12;
        out += run('h', 2) == 1 ? QString::number(h) : Pad(h, 2);
        hourToken = true;
        break;
      }
      case 'n': out += run('n', 2) == 1 ? QString::number(minute) : Pad(minute, 2); break;
      case 's': out += run('s', 2) == 1 ? QString::number(second) : Pad(second, 2); break;
      case 'z': out += run('z', 3) == 3 ? Pad(msec, 3) : QString::number(msec); break;
      case 't':
        out += run('t', 2) == 1 ? locale.toString(time, QLocale::ShortFormat) : LongTime(locale, time);
        break;
      default: {
        // A run of literal bytes (UTF-8 passes through whole). Only letters
        // end an hour token: "h:m" still reads m as minutes.
        const std::size_t start = i++;
        while (i < n && format[i] != 0 &&
               !std::strchr("cdmyhnszt\"'a", std::tolower(static_cast<unsigned char>(format[i]))))
          ++i;
        out += QString::fromUtf8(format.data() + start, static_cast<qsizetype>(i - start));
        bool letter = false;
        for (std::size_t k = start; k < i; ++k)
          letter = letter || std::isalpha(static_cast<unsigned char>(format[k]));
        if (!letter) continue;
        break;
      }
    }
    afterHour = hourToken;
  }
  return out.toStdString();
}

#include "toolkit/core/format_date_time.h"

#include <QDate>
#include <QTime>
#include <cmath>

#include "toolkit/core/locale_date_format.h"

namespace {

// 1 January 0001 and the day after 31 December 9999.
constexpr double FirstDay = -693593;
constexpr double EndDay = 2958466;

QString Pad(int value, int width) { return QString::number(value).rightJustified(width, u'0'); }

bool IsQuote(QChar c) { return c == u'"' || c == u'\''; }

// Length of the AM/PM element at `i`, or 0.
qsizetype AmPmLength(QStringView pattern, qsizetype i) {
  for (QStringView element : {u"ampm", u"am/pm"})
    if (pattern.mid(i, element.size()).compare(element, Qt::CaseInsensitive) == 0) return element.size();
  return 0;
}

bool HasAmPm(QStringView pattern) {
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    if (IsQuote(pattern[i])) {
      const qsizetype close = pattern.indexOf(pattern[i], i + 1);
      if (close < 0) return false;
      i = close;
    } else if (AmPmLength(pattern, i) > 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

QString FormatDateTime(const QString& pattern, TDateTime value, const QLocale& locale) {
  if (!std::isfinite(value) || value <= FirstDay - 1 || value >= EndDay)
    throw EConvertError("Date-time value out of range");
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, msec);
  // Rounding to the millisecond can carry past the last day.
  if (year < 1 || year > 9999) throw EConvertError("Date-time value out of range");
  const QDate date(year, month, day);
  const QTime time(hour, minute, second, msec);

  const bool twelveHour = HasAmPm(pattern);
  const int shownHour = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
  const QString dateSep = DateSeparator(locale);
  const QString timeSep = TimeSeparator(locale);

  QString out;
  bool afterHour = false;
  const qsizetype n = pattern.size();
  qsizetype i = 0;
  // Consumes the run of the letter at `i` (any case), up to `max` long.
  auto run = [&](int max) {
    const QChar letter = pattern[i].toLower();
    int count = 0;
    while (i < n && count < max && pattern[i].toLower() == letter) ++i, ++count;
    return count;
  };
  while (i < n) {
    const QChar c = pattern[i];
    bool hourElement = false;
    if (IsQuote(c)) {
      const qsizetype close = pattern.indexOf(c, i + 1);
      const qsizetype end = close < 0 ? n : close;
      out += QStringView(pattern).mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (const qsizetype len = AmPmLength(pattern, i)) {
      out += hour < 12 ? locale.amText() : locale.pmText();
      i += len;
      afterHour = false;
      continue;
    }
    switch (c.toLower().unicode()) {
      case u'c':
        ++i;
        out += locale.toString(date, QLocale::ShortFormat);
        if (hour || minute || second || msec) out += u' ' + locale.toString(time, LongTimeFormat(locale));
        break;
      case u'd':
        switch (run(6)) {
          case 1: out += QString::number(day); break;
          case 2: out += Pad(day, 2); break;
          case 3: out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
          case 4: out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
          case 5: out += locale.toString(date, QLocale::ShortFormat); break;
          default: out += locale.toString(date, QLocale::LongFormat); break;
        }
        break;
      case u'm': {
        const int count = run(4);
        if (afterHour && count <= 2)
          out += count == 1 ? QString::number(minute) : Pad(minute, 2);
        else if (count <= 2)
          out += count == 1 ? QString::number(month) : Pad(month, 2);
        else
          out += locale.monthName(month, count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        break;
      }
      case u'y':
        out += run(4) <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
        break;
      case u'h':
        out += run(2) == 1 ? QString::number(shownHour) : Pad(shownHour, 2);
        hourElement = true;
        break;
      case u'n': out += run(2) == 1 ? QString::number(minute) : Pad(minute, 2); break;
      case u's': out += run(2) == 1 ? QString::number(second) : Pad(second, 2); break;
      case u'z': out += run(3) == 3 ? Pad(msec, 3) : QString::number(msec); break;
      case u't':
        out += locale.toString(time, run(2) == 1 ? ShortTimeFormat(locale) : LongTimeFormat(locale));
        break;
      case u'/':
        out += dateSep;
        ++i;
        continue;
      case u':':
        out += timeSep;
        ++i;
        continue;
      default:
        out += c;
        ++i;
        // Only letters end an hour element's reach: in "h.m" m is the minute.
        if (!c.isLetter()) continue;
        break;
    }
    afterHour = hourElement;
  }
  return out;
}

std::string FormatDateTime(const std::string& format, TDateTime value) {
  return FormatDateTime(QString::fromStdString(format), value, FormatLocale()).toStdString();
}

#pragma once

#include <QLocale>
#include <QString>

#include "toolkit/core/convert_error.h"
#include "toolkit/core/date_time.h"

// Text to dates and times the way the locale writes them. Blanks around the
// text and around separators are allowed.
//
// A date is two or three fields parted by the locale's date separator, in the
// order DateOrder gives (month-day-year, day-month-year or year-month-day;
// with two fields the year is left out and is the current one). A trailing
// separator is allowed ("7.12."). The month may also be written as the
// locale's short or long month name. A year of one or two digits falls in the
// hundred years from 50 years before the current one; three or four digits are
// taken as they are.
//
// A time is the hour, then optionally minutes, seconds and milliseconds (after
// the locale's decimal separator), parted by the locale's time separator or
// ":"; the locale's AM/PM texts or "AM"/"PM" may stand before or after it, and
// then the hour is 0..12 on a 12-hour clock. A lone hour needs an AM/PM text.
//
// A date-and-time is a date, optionally followed by a time, or a time alone.
//
// Invalid text raises EConvertError "'<text>' is not a valid date" (time,
// date and time).
TDateTime StrToDate(const QString& text, const QLocale& locale = QLocale());
TDateTime StrToTime(const QString& text, const QLocale& locale = QLocale());
TDateTime StrToDateTime(const QString& text, const QLocale& locale = QLocale());

// Same rules without raising; false (and `value` untouched) on invalid text.
bool TryStrToDate(const QString& text, TDateTime& value, const QLocale& locale = QLocale());
bool TryStrToTime(const QString& text, TDateTime& value, const QLocale& locale = QLocale());
bool TryStrToDateTime(const QString& text, TDateTime& value, const QLocale& locale = QLocale());

// The full year a one- or two-digit year stands for, seen from `currentYear`.
int ExpandTwoDigitYear(int year, int currentYear);

#pragma once

#include <QLocale>
#include <QString>

#include "toolkit/core/convert_error.h"
#include "toolkit/core/date_time.h"

// A date-time value shown by a pattern, with the locale's names, formats,
// separators and AM/PM texts. Letters are read in any case:
//   c             the locale's short date, then its long time unless midnight
//   d dd          day without / with leading zero
//   ddd dddd      short / long day name
//   ddddd dddddd  the locale's short / long date
//   m mm          month without / with leading zero; minutes right after h or hh
//   mmm mmmm      short / long month name
//   yy yyyy       two- / four-digit year
//   h hh          hour without / with leading zero (1..12 when the pattern
//                 has an AM/PM element)
//   n nn, s ss    minutes, seconds without / with leading zero
//   z zzz         milliseconds without / with leading zeros
//   t             the locale's short time: hours and minutes, never seconds
//   tt            the locale's long time (without a time zone)
//   ampm am/pm    the locale's AM or PM text
//   /  :          the locale's date / time separator
//   "..." '...'   text copied as it is; any other character is copied too
// "dddddd t" is the long date, a blank and the short time. Values outside
// the years 1 to 9999 (and NaN) raise EConvertError.
QString FormatDateTime(const QString& pattern, TDateTime value, const QLocale& locale);

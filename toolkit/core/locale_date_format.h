#pragma once

#include <QLocale>
#include <QString>

// What the date and time formatting needs to know of a locale's date and time
// formats (Qt's format letters: d, M, y; h, H, m, s).

// 0 month first, 1 day first, 2 year first: the first D, M or Y (any case)
// of a short date format decides; quoted text does not count; with none of
// them the order is month first.
int DateOrder(const QString& shortDateFormat);
int DateOrder(const QLocale& locale = QLocale());

// The text between the first two fields of the locale's short date format
// ("/", ".", "-"), trimmed; " " when only blanks part them; "/" when nothing.
QString DateSeparator(const QLocale& locale = QLocale());
// The same between hours and minutes of the short time format; ":" by default.
QString TimeSeparator(const QLocale& locale = QLocale());

// The short time as the program shows it: hours and minutes. A format that
// carries seconds (C and POSIX have "HH:mm:ss") loses them together with the
// separator before them; other formats are kept as they are.
QString ShortTimeFormat(const QString& shortTimeFormat);
QString ShortTimeFormat(const QLocale& locale = QLocale());
// The long time format without its time zone name, which a plain local
// date-time value does not have.
QString LongTimeFormat(const QLocale& locale = QLocale());

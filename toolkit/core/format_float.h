#pragma once

#include <QLocale>
#include <QString>

// A number shown by a pattern, with the locale's separators:
//   0       a digit always shown          #    a digit shown when significant
//   .       the decimal separator (the first one; shown only before digits)
//   ,       before the decimal point: group the integer part by threes
//   E+00    scientific notation, the exponent's sign always shown, at least as
//           many exponent digits as zeros; E-00 shows only a minus sign
//   "..."   and '...' text copied as it is; any other character is copied too
//   ;       separates the sections for positive, negative and zero values; the
//           negative section shows the absolute value, without the minus sign
// The value is rounded half away from zero to the digits the pattern shows,
// working on its shortest decimal form. A value that rounds to zero shows
// without a minus sign and in the positive (or zero) section. Without a
// negative section a minus sign leads the whole text. Digits and signs are
// ASCII, whatever the locale writes. An empty pattern gives up to 15 significant digits. Infinity and
// NaN give "INF", "-INF" and "NAN".
QString FormatFloat(const QString& pattern, double value, const QLocale& locale = QLocale());

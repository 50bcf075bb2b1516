#pragma once

#include <QLocale>
#include <QString>

#include "toolkit/core/convert_error.h"

// Text to a floating-point number as the toolkit's conversion reads one:
// blanks around it, an optional sign (ASCII, U+2212 or the locale's), digits
// with the locale's decimal separator and no group separators, and an
// optional exponent "E" or "e" with sign. Infinity, NaN and values too large
// for a double are refused; values too small become zero.
// Raises EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(const QString& text, const QLocale& locale = QLocale());
// Same rules without raising; false (and `value` untouched) on invalid text.
bool TryStrToFloat(const QString& text, double& value, const QLocale& locale = QLocale());

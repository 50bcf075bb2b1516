#pragma once

#include <QLocale>
#include <QString>

#include "toolkit/core/convert_error.h"

// Text to a floating-point number the way the locale writes one: blanks
// around it, an optional sign, digits with the locale's decimal separator and
// optionally its group separator (groups of three, as FormatFloat writes
// them; a space-like separator also matches a plain or no-break space), and an
// optional exponent "E" or "e" with sign. Infinity, NaN and values too large
// for a double are refused; values too small become zero.
// Raises EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(const QString& text, const QLocale& locale = QLocale());
// Same rules without raising; false (and `value` untouched) on invalid text.
bool TryStrToFloat(const QString& text, double& value, const QLocale& locale = QLocale());

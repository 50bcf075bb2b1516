#include "toolkit/core/str_to_float.h"

#include <charconv>
#include <cmath>
#include <string>

#include "toolkit/core/text_scanner.h"

namespace {

QString WithoutFormatChars(QString s) {
  s.removeIf([](QChar c) { return c.category() == QChar::Other_Format; });
  return s;
}

}  // namespace

bool TryStrToFloat(const QString& text, double& value, const QLocale& locale) {
  TextScanner in(text);
  in.SkipBlanks();
  const bool negative = in.Take(u"-") || in.Take(u"\u2212") || in.Take(WithoutFormatChars(locale.negativeSign()));
  if (!negative && !in.Take(u"+")) in.Take(WithoutFormatChars(locale.positiveSign()));

  std::string number = negative ? "-" : "";
  std::string digits;
  auto takeDigits = [&] {
    for (int d = in.TakeDigit(); d >= 0; d = in.TakeDigit()) digits += static_cast<char>('0' + d);
  };
  takeDigits();
  const std::size_t intCount = digits.size();
  if (in.Take(locale.decimalPoint())) takeDigits();
  if (digits.empty()) return false;
  number += digits.substr(0, intCount);
  if (digits.size() > intCount) number += "." + digits.substr(intCount);

  long long exponent = 0;
  if (in.Take(u"e")) {
    const bool expNegative = in.Take(u"-") || in.Take(u"\u2212");
    if (!expNegative) in.Take(u"+");
    int count = 0;
    for (int d = in.TakeDigit(); d >= 0; d = in.TakeDigit(), ++count)
      if (exponent < 100000) exponent = exponent * 10 + d;
    if (count == 0) return false;
    if (expNegative) exponent = -exponent;
    number += "e" + std::to_string(exponent);
  }
  if (!in.AtEndAfterBlanks()) return false;

  double result = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), result);
  if (ec == std::errc::result_out_of_range) {
    // Too small is zero; too large is not a number we can hold.
    const auto firstNonZero = static_cast<long long>(digits.find_first_not_of('0'));
    const long long magnitude = exponent + static_cast<long long>(intCount) - firstNonZero;
    if (magnitude > 0) return false;
    result = negative ? -0.0 : 0.0;
  } else if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(result)) {
    return false;
  }
  value = result;
  return true;
}

double StrToFloat(const QString& text, const QLocale& locale) {
  double value = 0;
  if (!TryStrToFloat(text, value, locale))
    throw EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
  return value;
}

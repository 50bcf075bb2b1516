#include "toolkit/core/str_to_float.h"

#include <charconv>
#include <cmath>
#include <string>

#include "toolkit/core/text_scanner.h"

namespace {

// Where the locale groups with a kind of space, people type any kind; where
// it groups with "’", they type an apostrophe.
QStringList GroupSeparators(const QLocale& locale) {
  const QString own = locale.groupSeparator();
  QStringList seps{own};
  if (own.size() == 1 && own[0].isSpace())
    seps << QStringLiteral(" ") << QString(QChar(0x00A0)) << QString(QChar(0x202F)) << QString(QChar(0x2009));
  if (own == QString(QChar(0x2019))) seps << QStringLiteral("'");
  return seps;
}

QString WithoutFormatChars(QString s) {
  s.removeIf([](QChar c) { return c.category() == QChar::Other_Format; });
  return s;
}

// The integer digits, with group separators only between whole groups of
// three. Returns false on a misplaced separator.
bool ScanIntegerDigits(TextScanner& in, const QStringList& groupSeps, std::string& digits) {
  int sinceSep = 0;
  bool grouped = false;
  for (;;) {
    const int d = in.TakeDigit();
    if (d >= 0) {
      digits += static_cast<char>('0' + d);
      ++sinceSep;
      continue;
    }
    const qsizetype before = in.Pos();
    if (digits.empty() || in.TakeWord(groupSeps) < 0) break;
    // A separator not followed by a digit is not one: "1 234 " ends in a blank.
    if (!TextScanner::IsDigit(in.Peek())) {
      in.SetPos(before);
      break;
    }
    if (grouped ? sinceSep != 3 : sinceSep > 3) return false;
    grouped = true;
    sinceSep = 0;
  }
  return !grouped || sinceSep == 3;
}

}  // namespace

bool TryStrToFloat(const QString& text, double& value, const QLocale& locale) {
  TextScanner in(text);
  in.SkipBlanks();
  const bool negative = in.Take(u"-") || in.Take(u"\u2212") || in.Take(WithoutFormatChars(locale.negativeSign()));
  if (!negative && !in.Take(u"+")) in.Take(WithoutFormatChars(locale.positiveSign()));

  std::string number = negative ? "-" : "";
  std::string digits;
  if (!ScanIntegerDigits(in, GroupSeparators(locale), digits)) return false;
  const std::size_t intCount = digits.size();
  if (in.Take(locale.decimalPoint()))
    for (int d = in.TakeDigit(); d >= 0; d = in.TakeDigit()) digits += static_cast<char>('0' + d);
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

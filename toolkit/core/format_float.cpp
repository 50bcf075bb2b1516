#include "toolkit/core/format_float.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "toolkit/core/decimal_digits.h"

namespace {

struct Token {
  enum Kind { Literal, IntDigit, FracDigit, Point, Exponent } kind;
  QString text;  // the literal, or the exponent's letter
};

struct Section {
  std::vector<Token> tokens;
  bool grouping = false;
  int intPlaces = 0;
  int intMin = 0;
  int fracMax = 0;
  int fracMin = 0;
  bool scientific = false;
  bool expSignAlways = false;
  int expDigits = 0;

  bool HasDigits() const { return intPlaces + fracMax > 0; }
};

// The closing quote's index, or the end when the quote is left open.
qsizetype QuoteEnd(QStringView pattern, qsizetype open) {
  const qsizetype close = pattern.indexOf(pattern[open], open + 1);
  return close < 0 ? pattern.size() : close;
}

std::vector<QStringView> SplitSections(QStringView pattern) {
  std::vector<QStringView> sections;
  qsizetype start = 0;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'"' || pattern[i] == u'\'') {
      i = QuoteEnd(pattern, i);
    } else if (pattern[i] == u';') {
      sections.push_back(pattern.mid(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.mid(start));
  return sections;
}

Section ParseSection(QStringView text) {
  Section s;
  bool point = false;
  int firstIntZero = -1;
  auto literal = [&s](QStringView t) {
    if (!s.tokens.empty() && s.tokens.back().kind == Token::Literal)
      s.tokens.back().text += t;
    else
      s.tokens.push_back({Token::Literal, t.toString()});
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'"' || c == u'\'') {
      const qsizetype close = QuoteEnd(text, i);
      literal(text.mid(i + 1, close - i - 1));
      i = close;
    } else if (s.scientific) {
      literal(QStringView(&c, 1));
    } else if (c == u'0' || c == u'#') {
      if (point) {
        ++s.fracMax;
        if (c == u'0') s.fracMin = s.fracMax;
        s.tokens.push_back({Token::FracDigit, {}});
      } else {
        if (c == u'0' && firstIntZero < 0) firstIntZero = s.intPlaces;
        ++s.intPlaces;
        s.tokens.push_back({Token::IntDigit, {}});
      }
    } else if (c == u'.') {
      if (!point) s.tokens.push_back({Token::Point, {}});
      point = true;
    } else if (c == u',') {
      if (!point) s.grouping = true;
    } else if ((c == u'E' || c == u'e') && i + 1 < text.size() && (text[i + 1] == u'+' || text[i + 1] == u'-')) {
      s.scientific = true;
      s.expSignAlways = text[i + 1] == u'+';
      i += 2;
      while (i < text.size() && text[i] == u'0') ++s.expDigits, ++i;
      --i;
      s.expDigits = std::max(s.expDigits, 1);
      s.tokens.push_back({Token::Exponent, QString(c)});
    } else {
      literal(QStringView(&c, 1));
    }
  }
  s.intMin = firstIntZero < 0 ? 0 : s.intPlaces - firstIntZero;
  return s;
}

struct Rendered {
  QString text;
  bool zero = false;
};

// The digits a section shows of a non-negative value.
struct ShownDigits {
  std::string intDigits;
  std::string fracDigits;
  int exponent = 0;
  bool zero = false;
};

ShownDigits ShowDigits(const Section& s, double absValue) {
  ShownDigits shown;
  DecimalDigits d = DecimalDigits::Of(absValue);
  int intCount = 0;
  if (s.scientific) {
    intCount = std::max(1, s.intPlaces);
    d.RoundToDigits(intCount + s.fracMax);
    if (!d.IsZero()) shown.exponent = d.PointPos - intCount;
  } else {
    d.RoundToDecimals(s.fracMax);
    intCount = std::max(0, d.PointPos);
  }
  const int fracStart = s.scientific ? intCount : d.PointPos;
  for (int i = 0; i < intCount; ++i) shown.intDigits += d.At(i);
  for (int j = 0; j < s.fracMax; ++j) shown.fracDigits += d.At(fracStart + j);

  shown.intDigits.erase(0, std::min(shown.intDigits.find_first_not_of('0'), shown.intDigits.size()));
  if (static_cast<int>(shown.intDigits.size()) < s.intMin)
    shown.intDigits.insert(0, s.intMin - shown.intDigits.size(), '0');
  while (static_cast<int>(shown.fracDigits.size()) > s.fracMin && shown.fracDigits.back() == '0')
    shown.fracDigits.pop_back();
  shown.zero = d.IsZero();
  return shown;
}

Rendered RenderSection(const Section& s, double absValue, bool minus, const QLocale& locale) {
  const ShownDigits shown = ShowDigits(s, absValue);
  const std::string& ints = shown.intDigits;
  const int intLen = static_cast<int>(ints.size());
  const QString groupSep = locale.groupSeparator();

  QString out;
  // The pattern language's minus, as the exponent's: the locale's own sign
  // (U+2212, or one with direction marks) would mix two kinds in a column.
  if (minus && s.HasDigits()) out += u'-';
  auto emitInt = [&](int index) {
    out += QLatin1Char(ints[index]);
    const int fromRight = intLen - 1 - index;
    if (s.grouping && !s.scientific && fromRight > 0 && fromRight % 3 == 0) out += groupSep;
  };
  int intSeen = 0;
  int fracSeen = 0;
  for (const Token& t : s.tokens) {
    switch (t.kind) {
      case Token::Literal:
        out += t.text;
        break;
      case Token::IntDigit: {
        // Digits beyond the placeholders all go where the first one stands.
        if (intSeen == 0)
          for (int k = 0; k < intLen - s.intPlaces; ++k) emitInt(k);
        const int index = intLen - s.intPlaces + intSeen++;
        if (index >= 0) emitInt(index);
        break;
      }
      case Token::Point:
        if (s.intPlaces == 0)
          for (int k = 0; k < intLen; ++k) emitInt(k);
        if (!shown.fracDigits.empty()) out += locale.decimalPoint();
        break;
      case Token::FracDigit:
        if (fracSeen < static_cast<int>(shown.fracDigits.size())) out += QLatin1Char(shown.fracDigits[fracSeen]);
        ++fracSeen;
        break;
      case Token::Exponent:
        out += t.text;
        if (shown.exponent < 0)
          out += u'-';
        else if (s.expSignAlways)
          out += u'+';
        out += QString::number(std::abs(shown.exponent)).rightJustified(s.expDigits, u'0');
        break;
    }
  }
  return {out, shown.zero};
}

// What an empty pattern shows: up to 15 significant digits, plainly written
// between 1E-5 and 1E15, in scientific notation beyond.
Rendered GeneralFormat(double absValue, bool minus, const QLocale& locale) {
  DecimalDigits d = DecimalDigits::Of(absValue);
  d.RoundToDigits(15);
  if (d.IsZero()) return {QStringLiteral("0"), true};
  const int exp10 = d.PointPos - 1;
  const int fracDigits = static_cast<int>(d.Digits.size()) - d.PointPos;
  Section s;
  s.intPlaces = s.intMin = 1;
  s.tokens.push_back({Token::IntDigit, {}});
  s.tokens.push_back({Token::Point, {}});
  s.fracMax = exp10 < -5 || exp10 >= 15 ? static_cast<int>(d.Digits.size()) - 1 : std::max(0, fracDigits);
  s.tokens.insert(s.tokens.end(), s.fracMax, Token{Token::FracDigit, {}});
  if (exp10 < -5 || exp10 >= 15) {
    s.scientific = s.expSignAlways = true;
    s.expDigits = 1;
    s.tokens.push_back({Token::Exponent, QStringLiteral("E")});
  }
  return RenderSection(s, absValue, minus, locale);
}

Rendered Render(QStringView text, double absValue, bool minus, const QLocale& locale) {
  if (text.isEmpty()) return GeneralFormat(absValue, minus, locale);
  return RenderSection(ParseSection(text), absValue, minus, locale);
}

}  // namespace

QString FormatFloat(const QString& pattern, double value, const QLocale& locale) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");

  const std::vector<QStringView> sections = SplitSections(pattern);
  auto has = [&](std::size_t i) { return i < sections.size() && !sections[i].isEmpty(); };
  const double absValue = std::fabs(value);
  std::size_t index = 0;
  bool minus = false;
  if (value == 0 && has(2))
    index = 2;
  else if (value < 0 && has(1))
    index = 1;
  else
    minus = value < 0;

  Rendered r = Render(sections[index], absValue, minus, locale);
  if (r.zero && value != 0) {
    // Too small for the digits shown: it reads as zero, so it shows as one.
    index = has(2) ? 2 : 0;
    r = Render(sections[index], absValue, false, locale);
  }
  return r.text;
}

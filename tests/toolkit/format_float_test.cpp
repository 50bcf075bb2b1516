#include "toolkit/core/format_float.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "tests/toolkit/locales.h"

namespace {

// Patterns as a grid column builds them: the prefix quoted, grouping, decimals
// and, for parenthesised negatives, a second section.
const QString Grouped2 = R"(""#,##0.00)";
const QString Grouped2Parens = R"(""#,##0.00;(""#,##0.00))";
const QString Plain0 = R"(""###0)";
const QString Dollar2Parens = R"("$"#,##0.00;("$"#,##0.00))";

}  // namespace

TEST(NumberPattern, GroupsThousandsAndShowsFixedDecimals) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Grouped2, 1234.5, en), "1,234.50");
  EXPECT_EQ(FormatFloat(Grouped2, 1234567.891, en), "1,234,567.89");
  EXPECT_EQ(FormatFloat(Grouped2, 0.5, en), "0.50");
  EXPECT_EQ(FormatFloat(Grouped2, 123, en), "123.00");
  EXPECT_EQ(FormatFloat(Grouped2, 1000, en), "1,000.00");
  EXPECT_EQ(FormatFloat(Grouped2, 100000, en), "100,000.00");
  EXPECT_EQ(FormatFloat(Grouped2, -1234.5, en), "-1,234.50");
  // Only a comma before the decimal point groups.
  EXPECT_EQ(FormatFloat("0.0,0", 1234.56, en), "1234.56");
  EXPECT_EQ(FormatFloat("0,.00", 1234.56, en), "1,234.56");
}

TEST(NumberPattern, NegativeSectionShowsTheAbsoluteValue) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Grouped2Parens, -1234.5, en), "(1,234.50)");
  EXPECT_EQ(FormatFloat(Grouped2Parens, 1234.5, en), "1,234.50");
  EXPECT_EQ(FormatFloat("0.0;neg 0.0", -2.25, en), "neg 2.3");
  // An empty negative section falls back to the first one with a sign.
  EXPECT_EQ(FormatFloat("0.0;", -2.25, en), "-2.3");
}

TEST(NumberPattern, NoDecimalsAndNoGrouping) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Plain0, 1234.5, en), "1235");
  EXPECT_EQ(FormatFloat(Plain0, 1234, en), "1234");
  EXPECT_EQ(FormatFloat(Plain0, 12345678, en), "12345678");
  EXPECT_EQ(FormatFloat(Plain0, 0.4, en), "0");
  EXPECT_EQ(FormatFloat(Plain0, -7.5, en), "-8");
}

TEST(NumberPattern, QuotedPrefixLeadsAlsoInsideParentheses) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Dollar2Parens, 1234.5, en), "$1,234.50");
  EXPECT_EQ(FormatFloat(Dollar2Parens, -1234.5, en), "($1,234.50)");
  // Without a negative section the minus leads the whole text.
  EXPECT_EQ(FormatFloat(R"("$"#,##0.00)", -5, en), "-$5.00");
  // Pattern characters inside quotes are text, a ";" included.
  EXPECT_EQ(FormatFloat(R"("#0,.;E+"0.0)", 2, en), "#0,.;E+2.0");
  EXPECT_EQ(FormatFloat(R"('x;y'0;('x;y'0))", -3, en), "(x;y3)");
  EXPECT_EQ(FormatFloat(R"(0.00 "kg")", 3.5, en), "3.50 kg");
  // A quote left open runs to the end.
  EXPECT_EQ(FormatFloat(R"(0 "mm)", 3, en), "3 mm");
}

TEST(NumberPattern, Scientific) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat("0.00E+00", 1234.5, en), "1.23E+03");
  EXPECT_EQ(FormatFloat("0E+00", 1234.5, en), "1E+03");
  EXPECT_EQ(FormatFloat("0.00E+00", 0.000123, en), "1.23E-04");
  EXPECT_EQ(FormatFloat("0.00E+00", 5, en), "5.00E+00");
  EXPECT_EQ(FormatFloat("0.00E+00", 0, en), "0.00E+00");
  EXPECT_EQ(FormatFloat("0.00E+00", -1234.5, en), "-1.23E+03");
  EXPECT_EQ(FormatFloat("0.00E+00", 9.999, en), "1.00E+01");
  EXPECT_EQ(FormatFloat("0.00E+00", 1e300, en), "1.00E+300");
  EXPECT_EQ(FormatFloat("0.00E+00", 2.5e-310, en), "2.50E-310");
  EXPECT_EQ(FormatFloat("0.00e+0", 1234.5, en), "1.23e+3");
  // E- shows only a minus sign.
  EXPECT_EQ(FormatFloat("0.00E-00", 1234.5, en), "1.23E03");
  EXPECT_EQ(FormatFloat("0.00E-00", 0.00123, en), "1.23E-03");
  EXPECT_EQ(FormatFloat("0.00E+00", 1234.5, German()), "1,23E+03");
  // An E without a sign is just a letter, here between two digit places.
  EXPECT_EQ(FormatFloat("0E", 5, en), "5E");
  EXPECT_EQ(FormatFloat("0E0", 57, en), "5E7");
}

TEST(NumberPattern, RoundsHalfAwayFromZeroOnTheDigitsShown) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat("0.00", 2.675, en), "2.68");
  EXPECT_EQ(FormatFloat("0.00", 0.125, en), "0.13");
  EXPECT_EQ(FormatFloat("0.00", 1.005, en), "1.01");
  EXPECT_EQ(FormatFloat("0.00", -0.125, en), "-0.13");
  EXPECT_EQ(FormatFloat("0.00", 0.124999, en), "0.12");
  EXPECT_EQ(FormatFloat("0", 0.5, en), "1");
  EXPECT_EQ(FormatFloat("0", 1.5, en), "2");
  EXPECT_EQ(FormatFloat("0", 2.5, en), "3");
  EXPECT_EQ(FormatFloat("0", -2.5, en), "-3");
  EXPECT_EQ(FormatFloat(Grouped2, 999.995, en), "1,000.00");
  EXPECT_EQ(FormatFloat(Grouped2, 999999.999, en), "1,000,000.00");
  EXPECT_EQ(FormatFloat("0.00", 0.005, en), "0.01");
}

TEST(NumberPattern, ZeroShowsWithoutSign) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Grouped2, 0, en), "0.00");
  EXPECT_EQ(FormatFloat(Grouped2, -0.0, en), "0.00");
  EXPECT_EQ(FormatFloat(Grouped2, -0.001, en), "0.00");
  EXPECT_EQ(FormatFloat(Grouped2Parens, -0.0, en), "0.00");
  EXPECT_EQ(FormatFloat(Grouped2Parens, -0.001, en), "0.00");
  EXPECT_EQ(FormatFloat("0", -0.4, en), "0");
  EXPECT_EQ(FormatFloat("0.00E+00", -0.0, en), "0.00E+00");
  // A third section is for zero, also for what rounds to zero.
  const QString three = R"(0.00;(0.00);"nil")";
  EXPECT_EQ(FormatFloat(three, 0, en), "nil");
  EXPECT_EQ(FormatFloat(three, -0.001, en), "nil");
  EXPECT_EQ(FormatFloat(three, 5, en), "5.00");
  EXPECT_EQ(FormatFloat(three, -5, en), "(5.00)");
}

TEST(NumberPattern, LargeAndTinyMagnitudes) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Grouped2, 1e20, en), "100,000,000,000,000,000,000.00");
  EXPECT_EQ(FormatFloat(Grouped2, 123456789012.345, en), "123,456,789,012.35");
  EXPECT_EQ(FormatFloat(Grouped2, -9007199254740993.0, en), "-9,007,199,254,740,992.00");
  const QString max = FormatFloat("#,##0", DBL_MAX, en);
  EXPECT_TRUE(max.startsWith("179,769,313,486,231,570,000,")) << max.toStdString();
  EXPECT_EQ(max.size(), 309 + 102);
  EXPECT_EQ(max.count(u','), 102);
  EXPECT_EQ(FormatFloat("0.00", 1e-300, en), "0.00");
}

TEST(NumberPattern, CommaDecimalLocales) {
  const QLocale de = German();
  EXPECT_EQ(FormatFloat(Grouped2, 1234567.5, de), "1.234.567,50");
  EXPECT_EQ(FormatFloat(Grouped2Parens, -1234.5, de), "(1.234,50)");
  EXPECT_EQ(FormatFloat("###0.00", 1234567.5, de), "1234567,50");
  EXPECT_EQ(FormatFloat(Grouped2, 1234567.5, French()), QString::fromUtf8("1\u202F234\u202F567,50"));
  EXPECT_EQ(FormatFloat(Grouped2, 1234.5, Finnish()), QString::fromUtf8("1\u00A0234,50"));
  // The minus is the pattern language's, whatever the locale writes: one
  // column never mixes two kinds of minus.
  EXPECT_EQ(FormatFloat("0.0", -1.5, Finnish()), "-1,5");
  EXPECT_EQ(FormatFloat("0.0", -1.5, Arabic()), "-1" + Arabic().decimalPoint() + "5");
  EXPECT_EQ(FormatFloat("0.0E+00", -0.015, Finnish()), "-1,5E-02");
}

TEST(NumberPattern, OptionalDigitsAndPadding) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat("#.##", 5, en), "5");
  EXPECT_EQ(FormatFloat("#.##", 0.5, en), ".5");
  EXPECT_EQ(FormatFloat("#.##", 1.257, en), "1.26");
  EXPECT_EQ(FormatFloat("0.0#", 1.5, en), "1.5");
  EXPECT_EQ(FormatFloat("0.0#", 1.25, en), "1.25");
  EXPECT_EQ(FormatFloat("0.0#", 2, en), "2.0");
  EXPECT_EQ(FormatFloat("00000", 42, en), "00042");
  EXPECT_EQ(FormatFloat("#", 0, en), "");
  EXPECT_EQ(FormatFloat(".00", 1.5, en), "1.50");
}

TEST(NumberPattern, NonFiniteValuesAndEmptyPattern) {
  const QLocale en = English();
  EXPECT_EQ(FormatFloat(Grouped2, std::numeric_limits<double>::quiet_NaN(), en), "NAN");
  EXPECT_EQ(FormatFloat(Grouped2, HUGE_VAL, en), "INF");
  EXPECT_EQ(FormatFloat(Grouped2, -HUGE_VAL, en), "-INF");
  EXPECT_EQ(FormatFloat("", 1234.5, en), "1234.5");
  EXPECT_EQ(FormatFloat("", 0.1 + 0.2, en), "0.3");
  EXPECT_EQ(FormatFloat("", 1e20, en), "1E+20");
  EXPECT_EQ(FormatFloat("", 1.5e-7, en), "1.5E-7");
  EXPECT_EQ(FormatFloat("", 0, en), "0");
  EXPECT_EQ(FormatFloat("", -2.5, German()), "-2,5");
}

TEST(NumberPattern, DefaultLocaleIsQtsDefault) {
  DefaultLocale de(German());
  EXPECT_EQ(FormatFloat(Grouped2, 1234.5), "1.234,50");
}

#include "toolkit/core/format_float.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "tests/toolkit/locales.h"

namespace {

// Patterns as a grid column builds them: quoted prefix, grouping, decimals, a section for negatives.
const QString Grouped2 = R"(""#,##0.00)";
const QString Grouped2Parens = R"(""#,##0.00;(""#,##0.00))";
const QString Plain0 = R"(""###0)";
const QString Dollar2Parens = R"("$"#,##0.00;("$"#,##0.00))";

struct TFormatted { QString pattern; double value; QString shown; };

void ExpectFormats(std::initializer_list<TFormatted> cases, const QLocale& locale = English()) {
  for (const TFormatted& c : cases)
    EXPECT_EQ(FormatFloat(c.pattern, c.value, locale), c.shown) << c.pattern.toStdString() << " with " << c.value;
}

}  // namespace

// Only a comma before the decimal point groups; an empty negative section falls back to the first with a sign.
TEST(NumberPattern, GroupsThousandsFixedAndOptionalDecimalsAndANegativeSectionShowingTheAbsoluteValue) {
  ExpectFormats({{Grouped2, 1234.5, "1,234.50"}, {Grouped2, 1234567.891, "1,234,567.89"}, {Grouped2, 0.5, "0.50"},
                 {Grouped2, 123, "123.00"}, {Grouped2, 1000, "1,000.00"}, {Grouped2, 100000, "100,000.00"},
                 {Grouped2, -1234.5, "-1,234.50"}, {"0.0,0", 1234.56, "1234.56"}, {"0,.00", 1234.56, "1,234.56"},
                 {Grouped2Parens, -1234.5, "(1,234.50)"}, {Grouped2Parens, 1234.5, "1,234.50"},
                 {"0.0;neg 0.0", -2.25, "neg 2.3"}, {"0.0;", -2.25, "-2.3"}, {Plain0, 1234.5, "1235"},
                 {Plain0, 1234, "1234"}, {Plain0, 12345678, "12345678"}, {Plain0, 0.4, "0"}, {Plain0, -7.5, "-8"},
                 {"#.##", 5, "5"}, {"#.##", 0.5, ".5"}, {"#.##", 1.257, "1.26"}, {"0.0#", 1.5, "1.5"}, {"#", 0, ""},
                 {"0.0#", 1.25, "1.25"}, {"0.0#", 2, "2.0"}, {"00000", 42, "00042"}, {".00", 1.5, "1.50"}});
}

TEST(NumberPattern, QuotedPrefixLeadsAlsoInsideParenthesesAndScientificNotation) {
  // Without a negative section the minus leads. Quoted pattern characters, ";" too, are text; an open quote runs on.
  ExpectFormats({{Dollar2Parens, 1234.5, "$1,234.50"}, {Dollar2Parens, -1234.5, "($1,234.50)"},
                 {R"("$"#,##0.00)", -5, "-$5.00"}, {R"("#0,.;E+"0.0)", 2, "#0,.;E+2.0"},
                 {R"('x;y'0;('x;y'0))", -3, "(x;y3)"}, {R"(0.00 "kg")", 3.5, "3.50 kg"}, {R"(0 "mm)", 3, "3 mm"}});
  // E- shows only a minus sign; an E without a sign is just a letter, here between two digit places.
  ExpectFormats({{"0.00E+00", 1234.5, "1.23E+03"}, {"0E+00", 1234.5, "1E+03"}, {"0.00E+00", 0.000123, "1.23E-04"},
                 {"0.00E+00", 5, "5.00E+00"}, {"0.00E+00", 0, "0.00E+00"}, {"0.00E+00", -1234.5, "-1.23E+03"},
                 {"0.00E+00", 9.999, "1.00E+01"}, {"0.00E+00", 1e300, "1.00E+300"},
                 {"0.00E+00", 2.5e-310, "2.50E-310"}, {"0.00e+0", 1234.5, "1.23e+3"}, {"0.00E-00", 1234.5, "1.23E03"},
                 {"0.00E-00", 0.00123, "1.23E-03"}, {"0E", 5, "5E"}, {"0E0", 57, "5E7"}});
  ExpectFormats({{"0.00E+00", 1234.5, "1,23E+03"}}, German());
}

// A third section is for zero, also for what rounds to zero.
TEST(NumberPattern, RoundsHalfAwayFromZeroOnTheDigitsShownAndZeroShowsWithoutSign) {
  const QString three = R"(0.00;(0.00);"nil")";
  ExpectFormats({{"0.00", 2.675, "2.68"}, {"0.00", 0.125, "0.13"}, {"0.00", 1.005, "1.01"}, {"0.00", -0.125, "-0.13"},
                 {"0.00", 0.124999, "0.12"}, {"0", 0.5, "1"}, {"0", 1.5, "2"}, {"0", 2.5, "3"}, {"0", -2.5, "-3"},
                 {Grouped2, 999.995, "1,000.00"}, {Grouped2, 999999.999, "1,000,000.00"}, {"0.00", 0.005, "0.01"},
                 {Grouped2, 0, "0.00"}, {Grouped2, -0.0, "0.00"}, {Grouped2, -0.001, "0.00"},
                 {Grouped2Parens, -0.0, "0.00"}, {Grouped2Parens, -0.001, "0.00"}, {"0", -0.4, "0"},
                 {"0.00E+00", -0.0, "0.00E+00"}, {three, 0, "nil"}, {three, -0.001, "nil"}, {three, 5, "5.00"},
                 {three, -5, "(5.00)"}});
}

TEST(NumberPattern, LargeTinyAndNonFiniteValuesTheEmptyPatternAndTheDefaultLocale) {
  ExpectFormats({{Grouped2, 1e20, "100,000,000,000,000,000,000.00"},
                 {Grouped2, 123456789012.345, "123,456,789,012.35"},
                 {Grouped2, -9007199254740993.0, "-9,007,199,254,740,992.00"}, {"0.00", 1e-300, "0.00"}});
  const QString max = FormatFloat("#,##0", DBL_MAX, English());
  EXPECT_TRUE(max.startsWith("179,769,313,486,231,570,000,")) << max.toStdString();
  EXPECT_EQ(max.size(), 309 + 102);
  EXPECT_EQ(max.count(u','), 102);
  ExpectFormats({{Grouped2, std::numeric_limits<double>::quiet_NaN(), "NAN"}, {Grouped2, HUGE_VAL, "INF"},
                 {Grouped2, -HUGE_VAL, "-INF"}, {"", 1234.5, "1234.5"}, {"", 0.1 + 0.2, "0.3"}, {"", 1e20, "1E+20"},
                 {"", 1.5e-7, "1.5E-7"}, {"", 0, "0"}});
  ExpectFormats({{"", -2.5, "-2,5"}}, German());
  DefaultLocale de(German());
  EXPECT_EQ(FormatFloat(Grouped2, 1234.5), "1.234,50");
}

TEST(NumberPattern, CommaDecimalLocales) {
  ExpectFormats({{Grouped2, 1234567.5, "1.234.567,50"}, {Grouped2Parens, -1234.5, "(1.234,50)"},
                 {"###0.00", 1234567.5, "1234567,50"}}, German());
  ExpectFormats({{Grouped2, 1234567.5, QString::fromUtf8("1\u202F234\u202F567,50")}}, French());
  // The minus is the pattern language's, whatever the locale writes: one column never mixes two minus signs.
  ExpectFormats({{Grouped2, 1234.5, QString::fromUtf8("1\u00A0234,50")}, {"0.0", -1.5, "-1,5"},
                 {"0.0E+00", -0.015, "-1,5E-02"}}, Finnish());
  ExpectFormats({{"0.0", -1.5, "-1" + Arabic().decimalPoint() + "5"}}, Arabic());
}

#include "toolkit/core/str_to_float.h"

#include <gtest/gtest.h>
#include <cmath>

#include "tests/common/message_of.h"
#include "tests/toolkit/locales.h"
#include "toolkit/core/format_float.h"

TEST(TextToFloat, PlainSignedAndExponentAndTooSmallIsZero) {
  const std::pair<const char*, double> cases[] = {
      {"1234.5", 1234.5}, {"  -1234.5 ", -1234.5}, {"+0.5", 0.5}, {".5", 0.5}, {"5.", 5.0}, {"007", 7.0},
      {"0.1", 0.1}, {"1e3", 1000.0}, {"1.5E-3", 0.0015}, {"1.23E+03", 1230.0}, {"-1e-2", -0.01}, {"1e-400", 0.0},
      {"0.000e999", 0.0}, {"4.9406564584124654e-324", 4.9406564584124654e-324}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToFloat(text, English()), value) << text;
  for (const char* negativeZero : {"-0", "-1e-400"}) EXPECT_TRUE(std::signbit(StrToFloat(negativeZero, English())));
}

TEST(TextToFloat, InvalidTextRaisesWithTheTextGroupSeparatorsAreNoPartOfANumberEachLocaleHasItsOwnSigns) {
  double v = 42;
  for (const char* grouped : {"1,234", "-1,234,567.5"}) EXPECT_FALSE(TryStrToFloat(grouped, v, English())) << grouped;
  EXPECT_FALSE(TryStrToFloat("1.234.567,5", v, German()));
  for (const char* fr : {"1\u202F234,5", "1\u00A0234,5", "1 234,5"})
    EXPECT_FALSE(TryStrToFloat(QString::fromUtf8(fr), v, French())) << fr;
  EXPECT_FALSE(TryStrToFloat(QString::fromUtf8("1\u2019234.5"), v, QLocale(QLocale::German, QLocale::Switzerland)));
  EXPECT_EQ(StrToFloat("1,5", German()), 1.5);
  EXPECT_EQ(StrToFloat(QString::fromUtf8("\u22121,5"), Finnish()), -1.5);
  EXPECT_EQ(StrToFloat("-1,5", Finnish()), -1.5);
  // Arabic digits, decimal separator and minus sign with its letter mark.
  EXPECT_EQ(StrToFloat(QString::fromUtf8("\u0663\u066B\u0665"), Arabic()), 3.5);
  EXPECT_EQ(StrToFloat(Arabic().negativeSign() + QString::fromUtf8("\u0663\u066B\u0665"), Arabic()), -3.5);
  for (const char* bad : {"", " ", "abc", "1,23", "1,2345", "12,34,567", "1234,567", "1,00,000", ",123", "123,",
                          "1,,234", "1.2.3", "--1", "+-1", "- 1", "1e", "1e+", "e5", ".", "1 234", "inf", "nan", "INF",
                          "0x10", "12a", "1,234.5.6", "1e999", "-1e999", "1.5 2"})
    EXPECT_EQ(MessageOf<EConvertError>([&] { StrToFloat(bad, English()); }),
              std::string("'") + bad + "' is not a valid floating point value");
  const std::pair<const char*, QLocale> foreign[] = {{"1.5", German()}, {"1,5", English()}, {"1.234,5", French()}};
  for (const auto& [text, locale] : foreign) EXPECT_FALSE(TryStrToFloat(text, v, locale)) << text;
  EXPECT_EQ(v, 42);
  DefaultLocale de(German());  // Qt's default locale when none is given
  EXPECT_EQ(StrToFloat("1234,5"), 1234.5);
  EXPECT_FALSE(TryStrToFloat("1,234.5", v));
}


TEST(TextToFloat, FormattedTextReadsBack) {
  const QString pattern = R"("$"#,##0.00;("$"#,##0.00))";
  for (const QLocale& locale : {English(), German(), French(), Finnish(), Arabic()}) {
    for (double v : {0.0, 1234.5, -1234.56, 1e9 + 0.25, 0.01, 999999.99, -0.07}) {
      const QString text = FormatFloat("0.00", v, locale);
      EXPECT_EQ(StrToFloat(text, locale), v) << text.toStdString() << " in " << locale.name().toStdString();
      EXPECT_EQ(FormatFloat("0.00", StrToFloat(text, locale), locale), text);  // once more round: no drift
    }
    // A prefix, parentheses or grouping are for showing only.
    double v = 0;
    EXPECT_FALSE(TryStrToFloat(FormatFloat(pattern, -5, locale), v, locale));
    EXPECT_FALSE(TryStrToFloat(FormatFloat("#,##0", 1234, locale), v, locale));
  }
  for (double v : {1234.5, -0.000123, 6.02e23})
    EXPECT_EQ(FormatFloat("0.00E+00", StrToFloat(FormatFloat("0.00E+00", v, German()), German()), German()),
              FormatFloat("0.00E+00", v, German()));
}

#include "toolkit/core/str_to_date_time.h"

#include <QDate>
#include <gtest/gtest.h>

#include "tests/toolkit/locales.h"
#include "toolkit/core/format_date_time.h"
#include "toolkit/core/locale_date_format.h"

namespace {

int ThisYear() { return QDate::currentDate().year(); }

// The message, or "no error" with the value shown.
template <typename F> std::string Outcome(F convert, const char* text, const QLocale& locale) {
  try { return "no error " + std::to_string(convert(QString::fromUtf8(text), locale)); }
  catch (const EConvertError& e) { return e.Message; }
}

struct TRead { const char* text; QLocale locale; TDateTime value; };

void ExpectReads(TDateTime (*convert)(const QString&, const QLocale&), std::initializer_list<TRead> cases) {
  for (const TRead& c : cases) EXPECT_EQ(convert(QString::fromUtf8(c.text), c.locale), c.value)
        << c.text << " in " << c.locale.name().toStdString();
}

}  // namespace

TEST(TextToDate, FieldsInTheLocalesOrderTwoOfThemThisYearAndMonthNamesOtherTextRaisesWithTheText) {
  const TDateTime d = EncodeDate(2026, 12, 7), now = EncodeDate(ThisYear(), 12, 7);
  // Genitive and nominative forms both name the month.
  ExpectReads(StrToDate, {{"12/7/2026", English(), d}, {"12/07/26", English(), d}, {" 12 / 7 / 2026 ", English(), d},
                          {"7.12.2026", German(), d}, {"07.12.26", German(), d}, {"7. 12. 2026", German(), d},
                          {"2026/12/07", Japanese(), d}, {"26/12/7", Japanese(), d}, {"07-12-2026", Dutch(), d},
                          {"2026. 12. 07.", Hungarian(), d}, {"7\u200F/12\u200F/2026", Arabic(), d},
                          {"12/7", English(), now}, {"7.12.", German(), now}, {"12/7", Japanese(), now},
                          {"7 Dec 2026", QLocale::c(), d}, {"7 december 2026", QLocale::c(), d},
                          {"Dec/7/2026", English(), d}, {"7.Dez.2026", German(), d}, {"7. Dezember 2026", German(), d},
                          {"7 Dez. 2026", German(), d}, {"7.Dez.", German(), now},
                          {"7.joulukuuta.2026", Finnish(), d}, {"7.joulukuu.2026", Finnish(), d}});
  for (const char* bad : {"", " ", "abc", "13/1/2026", "2/30/2026", "0/1/2026", "12/7/2026x", "12-7-2026",
                          "12/7/12345", "1/2/3/4", "12", "12/", "/7/2026", "7/Dec/2026", "12/7/2026 9:05",
                          "123/7/2026", "12//2026", "2/29/2026"})
    EXPECT_EQ(Outcome(StrToDate, bad, English()), std::string("'") + bad + "' is not a valid date");
  EXPECT_EQ(Outcome(StrToDate, "12/7/2026", German()), "'12/7/2026' is not a valid date");
  EXPECT_EQ(Outcome(StrToDate, "2/29/2024", English()), "no error " + std::to_string(EncodeDate(2024, 2, 29)));
}

TEST(TextToDate, TwoDigitYearsFallInAHundredYearWindow) {
  const int cases[][3] = {{26, 2026, 2026}, {76, 2026, 1976}, {75, 2026, 2075},
                          {0, 2026, 2000},   {99, 2049, 1999}, {99, 2050, 2099}};
  for (const auto& c : cases) EXPECT_EQ(ExpandTwoDigitYear(c[0], c[1]), c[2]) << c[0] << " in " << c[1];
  const int oldest = ThisYear() - 50;
  const QString yy = QString::number(oldest % 100).rightJustified(2, u'0');
  EXPECT_EQ(StrToDate("1/1/" + yy, English()), EncodeDate(oldest, 1, 1));
  const QString before = QString::number((oldest + 99) % 100).rightJustified(2, u'0');
  EXPECT_EQ(StrToDate("1/1/" + before, English()), EncodeDate(oldest + 99, 1, 1));
  EXPECT_EQ(StrToDate("1/1/026", English()), EncodeDate(26, 1, 1));  // three or four digits are the year itself
}

TEST(TextToTime, TwentyFourAndTwelveHourClockOtherTextRaisesWithTheText) {
  const QLocale en = English();
  const TDateTime t = EncodeTime(21, 5, 0, 0);
  ExpectReads(StrToTime, {{"21:05", en, t}, {" 21 : 05 ", en, t}, {"9:05 PM", en, t}, {"9:05pm", en, t},
                          {"PM 9:05", en, t}, {"9 PM", en, EncodeTime(21, 0, 0, 0)}, {"12:00 AM", en, 0.0},
                          {"12:30 PM", en, EncodeTime(12, 30, 0, 0)}, {"9:05:09 PM", en, EncodeTime(21, 5, 9, 0)},
                          {"9:05:09.5", en, EncodeTime(9, 5, 9, 500)}, {"9:05:09.025", en, EncodeTime(9, 5, 9, 25)},
                          {"9:05:09,25", German(), EncodeTime(9, 5, 9, 250)}, {"9:05 p.m.", Dutch(), t},
                          {"오후 9:05", Korean(), t}, {"21.05", Finnish(), t}, {"21:05", Finnish(), t},
                          {"21 h 05", CanadianFrench(), t}, {"21h05", CanadianFrench(), t}});
  for (const char* bad : {"", "abc", "9", "13:00 PM", "24:00", "9:60", "9:05:60", "9:05 XM", "9:05:09.1234",
                          "123:00", "9::05", "9:05 PM PM", "PM", "9:05:09.", "9:", ":05", "9:05 AMX"})
    EXPECT_EQ(Outcome(StrToTime, bad, English()), std::string("'") + bad + "' is not a valid time");
}

TEST(TextToDateTime, DateTimeOrEitherAloneInTheGivenOrQtsDefaultLocale) {
  const QLocale en = English();
  const TDateTime day = EncodeDate(2026, 12, 7), now = EncodeDate(ThisYear(), 12, 7);
  const TDateTime evening = EncodeTime(21, 5, 0, 0), morning = EncodeTime(9, 5, 0, 0);
  // Before day 0 the time counts forward from that day's midnight.
  ExpectReads(StrToDateTime, {{"12/7/2026 9:05:09 PM", en, day + EncodeTime(21, 5, 9, 0)}, {"12/7/2026", en, day},
                              {"9:05 PM", en, evening}, {"12/7 9:05", en, now + morning},
                              {"12/7/ 9:05", en, now + morning}, {"7.12.26 21:05", German(), day + evening},
                              {"7.12. 21:05", German(), now + evening},
                              {"7 Dec 2026 21:05", QLocale::c(), day + evening},
                              {"7 Dec 21:05", QLocale::c(), now + evening}, {"12/29/1899 6:00", en, -1.25}});
  for (const char* bad : {"12/7/2026 25:00", "12/7/2026 abc", "abc", "12/7/2026 9:05 x"})
    EXPECT_EQ(Outcome(StrToDateTime, bad, en), std::string("'") + bad + "' is not a valid date and time");
  DefaultLocale de(German());
  EXPECT_EQ(StrToDate("7.12.2026"), EncodeDate(2026, 12, 7));
  EXPECT_EQ(StrToTime("21:05"), EncodeTime(21, 5, 0, 0));
  EXPECT_EQ(StrToDateTime("7.12.2026 21:05"), EncodeDate(2026, 12, 7) + EncodeTime(21, 5, 0, 0));
  TDateTime v = 0;
  EXPECT_FALSE(TryStrToDate("12/7/2026", v));
}

TEST(TextToDateTime, ShownTextReadsBack) {
  const char* twoDigits[] = {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"};
  const char* fourDigits[] = {"m/d/yyyy", "d/m/yyyy", "yyyy/m/d"};
  const char* names[] = {"mmm/dd/yy", "dd/mmm/yy", "yy/mmm/dd"};
  struct Moment { TDateTime date, time; };
  const Moment moments[] = {{EncodeDate(2026, 12, 7), EncodeTime(21, 5, 9, 0)},
                            {EncodeDate(1999, 5, 2), EncodeTime(0, 30, 0, 0)}};
  for (const QLocale& locale : {English(), German(), Japanese(), Dutch(), French(), Finnish(), Korean(),
                                Hungarian(), CanadianFrench(), Arabic(), QLocale::c()}) {
    const int order = DateOrder(locale);
    for (const Moment& m : moments) {
      const TDateTime v = m.date + m.time;
      for (const QString& pattern : {QString(twoDigits[order]) + " h:nn:ss ampm",
                                     QString(fourDigits[order]) + " h:nn:ss", QString(names[order]) + " h:nn"}) {
        const QString text = FormatDateTime(pattern, v, locale);
        TDateTime back = 0;
        ASSERT_TRUE(TryStrToDateTime(text, back, locale))
            << text.toStdString() << " in " << locale.name().toStdString();
        EXPECT_EQ(FormatDateTime(pattern, back, locale), text) << locale.name().toStdString();
      }
      const QString date = FormatDateTime(twoDigits[order], v, locale);
      EXPECT_EQ(StrToDate(date, locale), m.date) << date.toStdString();
      const QString time = FormatDateTime("h:nn:ss ampm", v, locale);
      EXPECT_EQ(StrToTime(time, locale), m.time) << time.toStdString();
    }
  }
}

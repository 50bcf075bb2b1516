#include "toolkit/core/format_date_time.h"

#include <QDate>
#include <QTime>
#include <gtest/gtest.h>

#include <cmath>

#include "tests/common/message_of.h"
#include "tests/toolkit/locales.h"
#include "toolkit/core/locale_date_format.h"

namespace {

// Monday 7 December 2026, 21:05:09.
const TDateTime Evening = EncodeDate(2026, 12, 7) + EncodeTime(21, 5, 9, 0);

std::string Fails(TDateTime v) { return MessageOf<EConvertError>([&] { FormatDateTime("yyyy", v, English()); }); }

// Restores the system locale after a test that chose one.
struct LocaleChoice {
  explicit LocaleChoice(const QLocale& l) { SetFormatLocale(l); }
  ~LocaleChoice() { SetFormatLocale(std::nullopt); }
};

struct TShown { const char* pattern; QLocale locale; const char* shown; TDateTime value = Evening; };

void ExpectShown(std::initializer_list<TShown> cases) {
  for (const TShown& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, c.value, c.locale), QString::fromUtf8(c.shown))
        << c.pattern << " in " << c.locale.name().toStdString();
}

}  // namespace

TEST(DatePattern, TwoDigitFieldsInTheLocalesOrderValuesOutsideTheCalendarRaise) {
  const char* byOrder[] = {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"};
  struct Case { QLocale locale; int order; const char* shown; };
  for (const Case& c : {Case{English(), 0, "12/07/26"}, Case{German(), 1, "07.12.26"},
                        Case{Japanese(), 2, "26/12/07"}, Case{Dutch(), 1, "07-12-26"}}) {
    ASSERT_EQ(DateOrder(c.locale), c.order) << c.locale.name().toStdString();
    EXPECT_EQ(FormatDateTime(byOrder[c.order], Evening, c.locale), c.shown);
  }
  // The last millisecond of 9999 rounds into the year 10000.
  for (TDateTime bad : {std::nan(""), HUGE_VAL, 1e9, -700000.0, EncodeDate(9999, 12, 31) + 0.99999999999})
    EXPECT_EQ(Fails(bad), "Date-time value out of range") << bad;
  EXPECT_EQ(Fails(EncodeDate(9999, 12, 31) + 0.5), "no error");
  EXPECT_EQ(Fails(EncodeDate(1, 1, 1)), "no error");
}

TEST(DatePattern, NamesLiteralsAndYearsAndDaysAroundDayZero) {
  // Quoted text is copied, even where it spells elements.
  const QLocale en = English();
  ExpectShown({{"m/d", en, "12/7"}, {"m/d/yy", en, "12/7/26"}, {"d-mmm", en, "7-Dec"}, {"dd-mmm-yy", en, "07-Dec-26"},
               {"mmm-yy", en, "Dec-26"}, {"mmmm-yy", en, "December-26"}, {"mmmm d, yyyy", en, "December 7, 2026"},
               {"ddd mmmm d, yyyy", en, "Mon December 7, 2026"}, {"dddd mmmm d, yyyy", en, "Monday December 7, 2026"},
               {"dddd mmmm d, yyyy", German(), "Montag Dezember 7, 2026"}, {"d-mmm-yy", German(), "7-Dez.-26"},
               {"DD/MM/YYYY", German(), "07.12.2026"}, {"ddddd", German(), "07.12.26"},
               {R"("day" d 'of' mmmm)", en, "day 7 of December"}, {"yyyy-m-d", en, "0001-1-1", EncodeDate(1, 1, 1)},
               {"yy yyyy y", en, "05 2005 05", EncodeDate(2005, 1, 2)},
               {"yyyy-mm-dd h:nn", en, "1899-12-29 6:00", -1.25}, {"yyyy-mm-dd dddd", en, "1899-12-30 Saturday", 0}});
}

TEST(TimePattern, TwelveHourClockClassicElementsAndTheLocalesTextsSeparatorsAndFormats) {
  const QLocale en = English();
  const TDateTime morning = EncodeDate(2026, 3, 4) + EncodeTime(7, 8, 9, 12);
  ExpectShown({{"h:nn", en, "21:05"}, {"h:nn ampm", en, "9:05 PM"}, {"h:nn:ss", en, "21:05:09"},
               {"h:nn:ss ampm", en, "9:05:09 PM"}, {"h:nn:ss ampm", en, "12:30:00 AM", EncodeTime(0, 30, 0, 0)},
               {"h:nn:ss ampm", en, "12:00:00 PM", EncodeTime(12, 0, 0, 0)},
               {"h:nn:ss ampm", en, "11:59:59 AM", EncodeTime(11, 59, 59, 0)}, {"h:nn ampm", Dutch(), "9:05 p.m."},
               {"h:nn ampm", Korean(), "9:05 오후"}, {"AMPM h", en, "AM 7", EncodeTime(7, 0, 0, 0)},
               {"h:nn", Finnish(), "21.05"}, {"h:nn", CanadianFrench(), "21h05"},
               {"dd/mm/yy h:nn:ss ampm", German(), "07.12.26 9:05:09 PM"},
               // m after an hour is the minute, across a separator too; a quoted AM/PM keeps the 24-hour clock.
               // Seconds are cut, not rounded; the value is read to the millisecond. "c" at midnight: the date alone.
               {"yyyy-mm-dd hh:nn:ss.zzz", en, "2026-03-04 07:08:09.012", morning},
               {"d/m/yy h:n:s z", en, "4/3/26 7:8:9 12", morning}, {"hh:mm", en, "07:08", morning},
               {"h m", en, "7 8", morning}, {"h d m", en, "7 4 3", morning}, {"h:nn am/pm", Dutch(), "9:05 p.m."},
               {"h:nn AM/PM", en, "9:05 AM", EncodeTime(9, 5, 0, 0)}, {R"(h "ampm")", en, "21 ampm"},
               {"h:nn", en, "9:05", EncodeTime(9, 5, 59, 999)},
               {"h:nn:ss", en, "9:05:00", EncodeTime(9, 5, 0, 0) - 1e-10},
               {"t", QLocale::c(), "21:05"}, {"t", en, "9:05 PM"}, {"tt", en, "9:05:09 PM"},
               {"c", German(), "07.12.26 21:05:09"}, {"c", German(), "07.12.26", EncodeDate(2026, 12, 7)}});
}

// ---- In the chosen locale (the receive time) ------------------------------------------

TEST(FormatDateTime, LongDateBlankShortTimeAndNumericElementsInTheChosenLocale) {
  LocaleChoice german(German());
  const TDateTime v = EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 0, 0);
  // Seconds are dropped, not rounded up; a sum landing a hair below the minute still shows that minute.
  for (TDateTime t : {v, EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 59, 999), v - 1e-9})
    EXPECT_EQ(FormatDateTime("dddddd t", t), "Montag, 7. Dezember 2026 09:05") << t - v;
  const TDateTime morning = EncodeDate(2026, 3, 4) + EncodeTime(7, 8, 9, 12);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", morning), "2026-03-04 07:08:09.012");
  EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", morning), "4.3.26 7:8:9");
  EXPECT_EQ(FormatDateTime("hh:mm", morning), "07:08");  // m after h is the minute
  EXPECT_EQ(FormatDateTime("'at' hh \"o'clock\"", morning), "at 07 o'clock");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(15, 0, 0, 0)), "3 " + German().pmText().toStdString());
}

TEST(FormatDateTime, FollowsTheChosenLocaleDefaultsToTheSystemOneAndItsShortTimeIsHoursAndMinutes) {
  const TDateTime v = EncodeDate(2026, 12, 7) + EncodeTime(21, 5, 0, 0);
  const QLocale us = English();
  {
    LocaleChoice choice(us);
    EXPECT_EQ(FormatDateTime("dddddd t", v), (us.toString(QDate(2026, 12, 7), QLocale::LongFormat) + " " +
                                              us.toString(QTime(21, 5), QLocale::ShortFormat)).toStdString());
    EXPECT_NE(FormatDateTime("dddddd t", v).find("December"), std::string::npos);
  }
  SetFormatLocale(std::nullopt);
  EXPECT_EQ(FormatLocale(), QLocale::system());
  // The short time is hours and minutes also where the locale's own carries seconds, as C and POSIX do.
  const TDateTime sunday = EncodeDate(2026, 12, 6) + EncodeTime(18, 11, 42, 0);
  struct Case { const char* locale; const char* shown; };
  for (const Case& c : {Case{"C", "Sunday, 6 December 2026 18:11"}, Case{"C.UTF-8", "Sunday, 6 December 2026 18:11"},
                        Case{"en_US", "Sunday, December 6, 2026 6:11 PM"},
                        Case{"de_DE", "Sonntag, 6. Dezember 2026 18:11"}, Case{"ja_JP", "2026年12月6日日曜日 18:11"}}) {
    LocaleChoice choice{QLocale(QString::fromLatin1(c.locale))};
    EXPECT_EQ(FormatDateTime("dddddd t", sunday), c.shown) << c.locale;
  }
}

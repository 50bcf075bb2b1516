#include "toolkit/core/format_date_time.h"

#include <QDate>
#include <QTime>

#include <cmath>

#include "tests/common/message_of.h"
#include "tests/toolkit/locales.h"
#include "toolkit/core/locale_date_format.h"

namespace {

// Monday 7 December 2026, 21:05:09.
const TDateTime Evening = EncodeDate(2026, 12, 7) + EncodeTime(21, 5, 9, 0);

std::string Fails(TDateTime value) {
  return MessageOf<EConvertError>([&] { FormatDateTime("yyyy", value, English()); });
}

// Restores the system locale after a test that chose one.
struct LocaleChoice {
  explicit LocaleChoice(const QLocale& l) { SetFormatLocale(l); }
  ~LocaleChoice() { SetFormatLocale(std::nullopt); }
};

}  // namespace

TEST(DatePattern, TwoDigitFieldsInTheLocalesOrder) {
  const char* byOrder[] = {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"};
  struct Case {
    QLocale locale;
    int order;
    const char* shown;
  };
  for (const Case& c : {Case{English(), 0, "12/07/26"}, Case{German(), 1, "07.12.26"},
                        Case{Japanese(), 2, "26/12/07"}, Case{Dutch(), 1, "07-12-26"}}) {
    ASSERT_EQ(DateOrder(c.locale), c.order) << c.locale.name().toStdString();
    EXPECT_EQ(FormatDateTime(byOrder[c.order], Evening, c.locale), c.shown);
  }
}

TEST(DatePattern, NamesAndLiterals) {
  const QLocale en = English();
  EXPECT_EQ(FormatDateTime("m/d", Evening, en), "12/7");
  EXPECT_EQ(FormatDateTime("m/d/yy", Evening, en), "12/7/26");
  EXPECT_EQ(FormatDateTime("d-mmm", Evening, en), "7-Dec");
  EXPECT_EQ(FormatDateTime("dd-mmm-yy", Evening, en), "07-Dec-26");
  EXPECT_EQ(FormatDateTime("mmm-yy", Evening, en), "Dec-26");
  EXPECT_EQ(FormatDateTime("mmmm-yy", Evening, en), "December-26");
  EXPECT_EQ(FormatDateTime("mmmm d, yyyy", Evening, en), "December 7, 2026");
  EXPECT_EQ(FormatDateTime("ddd mmmm d, yyyy", Evening, en), "Mon December 7, 2026");
  EXPECT_EQ(FormatDateTime("dddd mmmm d, yyyy", Evening, en), "Monday December 7, 2026");
  EXPECT_EQ(FormatDateTime("dddd mmmm d, yyyy", Evening, German()), "Montag Dezember 7, 2026");
  EXPECT_EQ(FormatDateTime("d-mmm-yy", Evening, German()), "7-Dez.-26");
  EXPECT_EQ(FormatDateTime("DD/MM/YYYY", Evening, German()), "07.12.2026");
  EXPECT_EQ(FormatDateTime("ddddd", Evening, German()), "07.12.26");
  // Quoted text is copied, even where it spells elements.
  EXPECT_EQ(FormatDateTime(R"("day" d 'of' mmmm)", Evening, en), "day 7 of December");
}

TEST(DatePattern, YearsAndDaysAroundDayZero) {
  const QLocale en = English();
  EXPECT_EQ(FormatDateTime("yy yyyy y", EncodeDate(2005, 1, 2), en), "05 2005 05");
  EXPECT_EQ(FormatDateTime("yyyy-m-d", EncodeDate(1, 1, 1), en), "0001-1-1");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd h:nn", -1.25, en), "1899-12-29 6:00");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd dddd", 0, en), "1899-12-30 Saturday");
}

TEST(TimePattern, TwelveHourClockWithTheLocalesTexts) {
  const QLocale en = English();
  EXPECT_EQ(FormatDateTime("h:nn", Evening, en), "21:05");
  EXPECT_EQ(FormatDateTime("h:nn ampm", Evening, en), "9:05 PM");
  EXPECT_EQ(FormatDateTime("h:nn:ss", Evening, en), "21:05:09");
  EXPECT_EQ(FormatDateTime("h:nn:ss ampm", Evening, en), "9:05:09 PM");
  EXPECT_EQ(FormatDateTime("h:nn:ss ampm", EncodeTime(0, 30, 0, 0), en), "12:30:00 AM");
  EXPECT_EQ(FormatDateTime("h:nn:ss ampm", EncodeTime(12, 0, 0, 0), en), "12:00:00 PM");
  EXPECT_EQ(FormatDateTime("h:nn:ss ampm", EncodeTime(11, 59, 59, 0), en), "11:59:59 AM");
  EXPECT_EQ(FormatDateTime("h:nn ampm", Evening, Dutch()), "9:05 p.m.");
  EXPECT_EQ(FormatDateTime("h:nn ampm", Evening, Korean()), QString::fromUtf8("9:05 오후"));
  EXPECT_EQ(FormatDateTime("AMPM h", EncodeTime(7, 0, 0, 0), en), "AM 7");
}

TEST(TimePattern, SeparatorsFollowTheLocale) {
  EXPECT_EQ(FormatDateTime("h:nn", Evening, Finnish()), "21.05");
  EXPECT_EQ(FormatDateTime("h:nn", Evening, CanadianFrench()), "21h05");
  EXPECT_EQ(FormatDateTime("dd/mm/yy h:nn:ss ampm", Evening, German()), "07.12.26 9:05:09 PM");
}

TEST(TimePattern, ClassicElements) {
  const QLocale en = English();
  const TDateTime morning = EncodeDate(2026, 3, 4) + EncodeTime(7, 8, 9, 12);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", morning, en), "2026-03-04 07:08:09.012");
  EXPECT_EQ(FormatDateTime("d/m/yy h:n:s z", morning, en), "4/3/26 7:8:9 12");
  // m right after an hour is the minute, also across a separator.
  EXPECT_EQ(FormatDateTime("hh:mm", morning, en), "07:08");
  EXPECT_EQ(FormatDateTime("h m", morning, en), "7 8");
  EXPECT_EQ(FormatDateTime("h d m", morning, en), "7 4 3");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", Evening, Dutch()), "9:05 p.m.");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", EncodeTime(9, 5, 0, 0), en), "9:05 AM");
  // An AM/PM spelled inside quotes does not make the clock a 12-hour one.
  EXPECT_EQ(FormatDateTime(R"(h "ampm")", Evening, en), "21 ampm");
  // Shown seconds are cut, not rounded; the value is read to the millisecond.
  EXPECT_EQ(FormatDateTime("h:nn", EncodeTime(9, 5, 59, 999), en), "9:05");
  EXPECT_EQ(FormatDateTime("h:nn:ss", EncodeTime(9, 5, 0, 0) - 1e-10, en), "9:05:00");
}

TEST(TimePattern, TheLocalesOwnFormats) {
  EXPECT_EQ(FormatDateTime("t", Evening, QLocale::c()), "21:05");
  EXPECT_EQ(FormatDateTime("t", Evening, English()), "9:05 PM");
  EXPECT_EQ(FormatDateTime("tt", Evening, English()), "9:05:09 PM");
  EXPECT_EQ(FormatDateTime("c", Evening, German()), "07.12.26 21:05:09");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 12, 7), German()), "07.12.26");  // midnight: the date alone
}

TEST(DatePattern, ValuesOutsideTheCalendarRaise) {
  EXPECT_EQ(Fails(std::nan("")), "Date-time value out of range");
  EXPECT_EQ(Fails(HUGE_VAL), "Date-time value out of range");
  EXPECT_EQ(Fails(1e9), "Date-time value out of range");
  EXPECT_EQ(Fails(-700000), "Date-time value out of range");
  // The last millisecond of 9999 rounds into the year 10000.
  EXPECT_EQ(Fails(EncodeDate(9999, 12, 31) + 0.99999999999), "Date-time value out of range");
  EXPECT_EQ(Fails(EncodeDate(9999, 12, 31) + 0.5), "no error");
  EXPECT_EQ(Fails(EncodeDate(1, 1, 1)), "no error");
}

// ---- In the chosen locale (the receive time) ------------------------------------------

TEST(FormatDateTime, LongDateBlankShortTime) {
  LocaleChoice german(German());
  const TDateTime v = EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 0, 0);
  EXPECT_EQ(FormatDateTime("dddddd t", v), "Montag, 7. Dezember 2026 09:05");
  // Seconds do not round the minute up, the short time just drops them.
  EXPECT_EQ(FormatDateTime("dddddd t", EncodeDate(2026, 12, 7) + EncodeTime(9, 5, 59, 999)),
            "Montag, 7. Dezember 2026 09:05");
  // A sum landing a hair below the minute still shows that minute.
  EXPECT_EQ(FormatDateTime("dddddd t", v - 1e-9), "Montag, 7. Dezember 2026 09:05");
}

// The short time is hours and minutes, also where the locale's own short
// time format carries seconds, as C and POSIX (a bare system's) do.
TEST(FormatDateTime, ShortTimeIsHoursAndMinutesInEveryLocale) {
  const TDateTime v = EncodeDate(2026, 12, 6) + EncodeTime(18, 11, 42, 0);
  struct Case {
    const char* locale;
    const char* shown;
  };
  for (const Case& c : {Case{"C", "Sunday, 6 December 2026 18:11"}, Case{"C.UTF-8", "Sunday, 6 December 2026 18:11"},
                        Case{"en_US", "Sunday, December 6, 2026 6:11 PM"},
                        Case{"de_DE", "Sonntag, 6. Dezember 2026 18:11"},
                        Case{"ja_JP", "2026年12月6日日曜日 18:11"}}) {
    LocaleChoice choice{QLocale(QString::fromLatin1(c.locale))};
    EXPECT_EQ(FormatDateTime("dddddd t", v), c.shown) << c.locale;
  }
}

TEST(FormatDateTime, FollowsTheChosenLocale) {
  const TDateTime v = EncodeDate(2026, 12, 7) + EncodeTime(21, 5, 0, 0);
  const QLocale us = English();
  LocaleChoice choice(us);
  EXPECT_EQ(FormatDateTime("dddddd t", v),
            (us.toString(QDate(2026, 12, 7), QLocale::LongFormat) + " " +
             us.toString(QTime(21, 5), QLocale::ShortFormat))
                .toStdString());
  EXPECT_NE(FormatDateTime("dddddd t", v).find("December"), std::string::npos);
}

TEST(FormatDateTime, DefaultsToTheSystemLocale) {
  SetFormatLocale(std::nullopt);
  EXPECT_EQ(FormatLocale(), QLocale::system());
}

TEST(FormatDateTime, NumericElementsAndLiterals) {
  LocaleChoice german(German());
  const TDateTime v = EncodeDate(2026, 3, 4) + EncodeTime(7, 8, 9, 12);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", v), "2026-03-04 07:08:09.012");
  EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", v), "4.3.26 7:8:9");
  EXPECT_EQ(FormatDateTime("hh:mm", v), "07:08");  // m after h is the minute
  EXPECT_EQ(FormatDateTime("'at' hh \"o'clock\"", v), "at 07 o'clock");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(15, 0, 0, 0)), "3 " + German().pmText().toStdString());
}

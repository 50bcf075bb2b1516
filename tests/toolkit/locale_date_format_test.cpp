#include "toolkit/core/locale_date_format.h"

#include "tests/toolkit/locales.h"

TEST(DateOrder, FirstDayMonthOrYearLetterDecides) {
  EXPECT_EQ(DateOrder(QString("M/d/yyyy")), 0);
  EXPECT_EQ(DateOrder(QString("dd.MM.yyyy")), 1);
  EXPECT_EQ(DateOrder(QString("yyyy-MM-dd")), 2);
  EXPECT_EQ(DateOrder(QString("MM/DD/YYYY")), 0);
  EXPECT_EQ(DateOrder(QString("DD-MM-YY")), 1);
  EXPECT_EQ(DateOrder(QString("yy. M. d.")), 2);
  // Other letters are skipped, and with no D, M or Y it is month first.
  EXPECT_EQ(DateOrder(QString("ggg y")), 2);
  EXPECT_EQ(DateOrder(QString("")), 0);
  EXPECT_EQ(DateOrder(QString("--/--")), 0);
  // Quoted text is not a field.
  EXPECT_EQ(DateOrder(QString("'year' M/d")), 0);
  EXPECT_EQ(DateOrder(QString("'Day'' one' yyyy/M/d")), 2);
}

TEST(DateOrder, FromTheLocale) {
  EXPECT_EQ(DateOrder(English()), 0);
  EXPECT_EQ(DateOrder(German()), 1);
  EXPECT_EQ(DateOrder(QLocale(QLocale::English, QLocale::UnitedKingdom)), 1);
  EXPECT_EQ(DateOrder(Japanese()), 2);
  EXPECT_EQ(DateOrder(Hungarian()), 2);
  EXPECT_EQ(DateOrder(Korean()), 2);
  DefaultLocale ja(Japanese());
  EXPECT_EQ(DateOrder(), 2);
}

TEST(DateSeparator, BetweenTheFirstTwoFields) {
  EXPECT_EQ(DateSeparator(English()), "/");
  EXPECT_EQ(DateSeparator(German()), ".");
  EXPECT_EQ(DateSeparator(Dutch()), "-");
  EXPECT_EQ(DateSeparator(Hungarian()), ".");
  EXPECT_EQ(DateSeparator(QLocale::c()), " ");
  // Arabic puts right-to-left marks around its slash.
  EXPECT_EQ(DateSeparator(Arabic()), "/");
}

TEST(TimeSeparator, BetweenHoursAndMinutes) {
  EXPECT_EQ(TimeSeparator(English()), ":");
  EXPECT_EQ(TimeSeparator(Finnish()), ".");
  EXPECT_EQ(TimeSeparator(CanadianFrench()), "h");
  EXPECT_EQ(TimeSeparator(Korean()), ":");
  EXPECT_EQ(TimeSeparator(QLocale(QLocale::LowGerman, QLocale::Germany)), ".");
}

TEST(ShortTimeFormat, SecondsGoWithTheSeparatorBeforeThem) {
  EXPECT_EQ(ShortTimeFormat(QString("HH:mm:ss")), "HH:mm");
  EXPECT_EQ(ShortTimeFormat(QString("h:mm:ss AP")), "h:mm AP");
  EXPECT_EQ(ShortTimeFormat(QString("ss:mm")), "mm");
  // Formats without seconds, and quoted letters, are kept.
  EXPECT_EQ(ShortTimeFormat(QString("HH 'h' mm")), "HH 'h' mm");
  EXPECT_EQ(ShortTimeFormat(QString("H.mm 's'")), "H.mm 's'");
  EXPECT_EQ(ShortTimeFormat(QLocale::c()), "HH:mm");
  EXPECT_EQ(ShortTimeFormat(English()), "h:mm AP");
}

TEST(LongTimeFormat, WithoutTheTimeZone) {
  EXPECT_EQ(LongTimeFormat(English()), "h:mm:ss AP");
  EXPECT_EQ(LongTimeFormat(QLocale(QLocale::Chinese, QLocale::China)), "HH:mm:ss");
}

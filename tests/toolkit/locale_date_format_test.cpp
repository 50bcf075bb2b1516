#include "toolkit/core/locale_date_format.h"

#include <gtest/gtest.h>

#include "tests/toolkit/locales.h"

TEST(DateOrder, FirstDayMonthOrYearLetterOfTheFormatOrOfTheLocalesDecides) {
  // Other letters are skipped, and with no D, M or Y it is month first. Quoted text is not a field.
  const std::pair<const char*, int> cases[] = {{"M/d/yyyy", 0}, {"dd.MM.yyyy", 1}, {"yyyy-MM-dd", 2},
                                               {"MM/DD/YYYY", 0}, {"DD-MM-YY", 1}, {"yy. M. d.", 2}, {"ggg y", 2}, {"", 0},
                                               {"--/--", 0}, {"'year' M/d", 0}, {"'Day'' one' yyyy/M/d", 2}};
  for (const auto& [format, order] : cases) EXPECT_EQ(DateOrder(QString(format)), order) << format;
  const std::pair<QLocale, int> locales[] = {{English(), 0}, {German(), 1}, {Japanese(), 2}, {Hungarian(), 2},
                                             {Korean(), 2}, {QLocale(QLocale::English, QLocale::UnitedKingdom), 1}};
  for (const auto& [locale, order] : locales) EXPECT_EQ(DateOrder(locale), order) << locale.name().toStdString();
  DefaultLocale ja(Japanese());
  EXPECT_EQ(DateOrder(), 2);
}

TEST(DateAndTimeSeparator, BetweenTheFirstTwoFieldsAndBetweenHoursAndMinutes) {
  // Arabic puts right-to-left marks around its slash.
  const std::pair<QLocale, const char*> dates[] = {{English(), "/"},   {German(), "."},      {Dutch(), "-"},
                                                   {Hungarian(), "."}, {QLocale::c(), " "}, {Arabic(), "/"}};
  for (const auto& [locale, separator] : dates)
    EXPECT_EQ(DateSeparator(locale), separator) << locale.name().toStdString();
  const std::pair<QLocale, const char*> times[] = {{English(), ":"}, {Finnish(), "."}, {CanadianFrench(), "h"},
                                                   {Korean(), ":"},
                                                   {QLocale(QLocale::LowGerman, QLocale::Germany), "."}};
  for (const auto& [locale, separator] : times)
    EXPECT_EQ(TimeSeparator(locale), separator) << locale.name().toStdString();
}

TEST(ShortAndLongTimeFormat, SecondsGoWithTheSeparatorBeforeThemAndTheLongOneHasNoTimeZone) {
  // Formats without seconds, and quoted letters, are kept.
  const std::pair<const char*, const char*> cases[] = {
      {"HH:mm:ss", "HH:mm"}, {"h:mm:ss AP", "h:mm AP"}, {"ss:mm", "mm"}, {"HH 'h' mm", "HH 'h' mm"},
      {"H.mm 's'", "H.mm 's'"}};
  for (const auto& [format, shortened] : cases) EXPECT_EQ(ShortTimeFormat(QString(format)), shortened) << format;
  EXPECT_EQ(std::tuple(ShortTimeFormat(QLocale::c()), ShortTimeFormat(English())), std::tuple("HH:mm", "h:mm AP"));
  EXPECT_EQ(LongTimeFormat(English()), "h:mm:ss AP");
  EXPECT_EQ(LongTimeFormat(QLocale(QLocale::Chinese, QLocale::China)), "HH:mm:ss");
}

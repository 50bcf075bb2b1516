#include "toolkit/core/str_to_date_time.h"

#include <QDate>

#include "toolkit/core/locale_date_format.h"
#include "toolkit/core/text_scanner.h"

namespace {

constexpr int CenturyWindow = 50;

struct DateField {
  int value = 0;
  int digits = 0;  // 0: a month name
};

QStringList TimeSeparators(const QLocale& locale) { return {TimeSeparator(locale), QStringLiteral(":")}; }

// What reading a date needs of the locale, looked up once a text.
struct DateWords {
  explicit DateWords(const QLocale& locale)
      : separator(DateSeparator(locale)), timeSeparators(TimeSeparators(locale)) {
    for (int m = 1; m <= 12; ++m) {
      const qsizetype first = names.size();
      for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat})
        names << locale.monthName(m, type) << locale.standaloneMonthName(m, type);
      // Short names often end in a point that a typist leaves out.
      for (qsizetype i = first, n = names.size(); i < n; ++i)
        if (names[i].endsWith(u'.')) names << names[i].chopped(1);
      months.insert(months.end(), names.size() - first, m);
    }
  }

  QString separator;
  QStringList timeSeparators;
  QStringList names;
  QList<int> months;  // the month of each name
};

bool TakeField(TextScanner& in, const DateWords& words, DateField& field) {
  // Names first: some are written with digits ("12月").
  const int index = in.TakeWord(words.names);
  if (index >= 0) {
    // In "7.Dez.2026" the point after "Dez" parts the fields.
    const QString& sep = words.separator;
    if (sep != u" " && words.names[index].endsWith(sep) && !in.LooksAt({sep})) in.SetPos(in.Pos() - sep.size());
    field = {words.months[index], 0};
    return true;
  }
  field.digits = in.TakeNumber(field.value);
  return field.digits > 0;
}

// The date separator with blanks around it, then a field. Blanks alone part
// fields where the locale's separator is a blank, and next to a month name
// ("7. Dezember 2026").
bool TakeSeparatedField(TextScanner& in, const DateWords& words, bool afterName, DateField& field) {
  const bool blanks = in.SkipBlanks();
  const bool separator = words.separator == u" " ? blanks : in.Take(words.separator);
  if (separator)
    in.SkipBlanks();
  else if (!blanks)
    return false;
  if (!TakeField(in, words, field)) return false;
  return separator || afterName || field.digits == 0;
}

bool TakeTimeSeparator(TextScanner& in, const QStringList& separators) {
  const qsizetype start = in.Pos();
  in.SkipBlanks();
  if (in.TakeWord(separators) < 0) {
    in.SetPos(start);
    return false;
  }
  in.SkipBlanks();
  return true;
}

bool ScanDate(TextScanner& in, const QLocale& locale, TDateTime& value) {
  const DateWords words(locale);
  const QString& sep = words.separator;
  DateField f[3];
  int count = 2;
  in.SkipBlanks();
  if (!TakeField(in, words, f[0]) || !TakeSeparatedField(in, words, f[0].digits == 0, f[1])) return false;
  const qsizetype afterSecond = in.Pos();
  // A third field, unless it is the hour of a time that follows.
  if (TakeSeparatedField(in, words, f[1].digits == 0, f[2]) &&
      !(f[2].digits > 0 && in.LooksAt(words.timeSeparators)))
    count = 3;
  else
    in.SetPos(afterSecond);
  // A separator may close the date: "7.12." or "2026. 12. 7.".
  const qsizetype afterFields = in.Pos();
  in.SkipBlanks();
  if (sep == u" " || !in.Take(sep) || !(in.AtEnd() || TextScanner::IsBlank(in.Peek()))) in.SetPos(afterFields);

  // Where day, month and year stand for each order; with two fields the
  // year is the one left out.
  static constexpr int Place[3][3] = {{1, 0, 2}, {0, 1, 2}, {2, 1, 0}};
  const int* place = Place[DateOrder(locale)];
  const int twoFieldDay = place[0] == 0 ? 0 : 1;
  const DateField day = count == 3 ? f[place[0]] : f[twoFieldDay];
  const DateField month = count == 3 ? f[place[1]] : f[1 - twoFieldDay];
  const DateField year = count == 3 ? f[place[2]] : DateField{};
  if (day.digits == 0 || day.digits > 2 || month.digits > 2) return false;
  const int currentYear = QDate::currentDate().year();
  int fullYear = currentYear;
  if (count == 3) {
    if (year.digits == 0 || year.digits > 4) return false;
    fullYear = year.digits <= 2 ? ExpandTwoDigitYear(year.value, currentYear) : year.value;
  }
  return TryEncodeDate(fullYear, month.value, day.value, value);
}

// -1: none, 0: AM, 1: PM.
int TakeAmPm(TextScanner& in, const QLocale& locale) {
  const qsizetype start = in.Pos();
  in.SkipBlanks();
  const int index = in.TakeWord({locale.amText(), locale.pmText(), QStringLiteral("AM"), QStringLiteral("PM")});
  if (index < 0) in.SetPos(start);
  return index < 0 ? -1 : index % 2;
}

bool ScanTime(TextScanner& in, const QLocale& locale, TDateTime& value) {
  const QStringList separators = TimeSeparators(locale);
  int ampm = TakeAmPm(in, locale);
  in.SkipBlanks();
  int hour = 0, minute = 0, second = 0, msec = 0;
  const int hourDigits = in.TakeNumber(hour);
  if (hourDigits == 0 || hourDigits > 2) return false;
  bool hasMinutes = false;
  if (TakeTimeSeparator(in, separators)) {
    const int digits = in.TakeNumber(minute);
    if (digits == 0 || digits > 2) return false;
    hasMinutes = true;
    if (TakeTimeSeparator(in, separators)) {
      const int secondDigits = in.TakeNumber(second);
      if (secondDigits == 0 || secondDigits > 2) return false;
      if (in.Take(locale.decimalPoint())) {
        int fraction = 0;
        const int fractionDigits = in.TakeNumber(fraction);
        if (fractionDigits == 0 || fractionDigits > 3) return false;
        msec = fraction * (fractionDigits == 1 ? 100 : fractionDigits == 2 ? 10 : 1);
      }
    }
  }
  if (ampm < 0) ampm = TakeAmPm(in, locale);
  if (!hasMinutes && ampm < 0) return false;
  if (ampm >= 0) {
    if (hour > 12) return false;
    hour = hour % 12 + (ampm == 1 ? 12 : 0);
  }
  return TryEncodeTime(hour, minute, second, msec, value);
}

// The whole text, blanks around it aside, must be what `scan` reads.
bool ScanWhole(const QString& text, const QLocale& locale, TDateTime& value,
               bool (*scan)(TextScanner&, const QLocale&, TDateTime&)) {
  TextScanner in(text);
  TDateTime read = 0;
  if (!scan(in, locale, read) || !in.AtEndAfterBlanks()) return false;
  value = read;
  return true;
}

[[noreturn]] void Invalid(const QString& text, const char* what) {
  throw EConvertError("'" + text.toStdString() + "' is not a valid " + what);
}

}  // namespace

int ExpandTwoDigitYear(int year, int currentYear) {
  const int pivot = currentYear - CenturyWindow;
  int full = pivot / 100 * 100 + year;
  if (full < pivot) full += 100;
  return full;
}

bool TryStrToDate(const QString& text, TDateTime& value, const QLocale& locale) {
  return ScanWhole(text, locale, value, ScanDate);
}

bool TryStrToTime(const QString& text, TDateTime& value, const QLocale& locale) {
  return ScanWhole(text, locale, value, ScanTime);
}

bool TryStrToDateTime(const QString& text, TDateTime& value, const QLocale& locale) {
  TextScanner in(text);
  TDateTime date = 0, time = 0;
  if (ScanDate(in, locale, date) && (in.AtEndAfterBlanks() || (ScanTime(in, locale, time) && in.AtEndAfterBlanks()))) {
    // Before day 0 the time still counts forward from midnight.
    value = date < 0 ? date - time : date + time;
    return true;
  }
  return TryStrToTime(text, value, locale);
}

TDateTime StrToDate(const QString& text, const QLocale& locale) {
  TDateTime value = 0;
  if (!TryStrToDate(text, value, locale)) Invalid(text, "date");
  return value;
}

TDateTime StrToTime(const QString& text, const QLocale& locale) {
  TDateTime value = 0;
  if (!TryStrToTime(text, value, locale)) Invalid(text, "time");
  return value;
}

TDateTime StrToDateTime(const QString& text, const QLocale& locale) {
  TDateTime value = 0;
  if (!TryStrToDateTime(text, value, locale)) Invalid(text, "date and time");
  return value;
}

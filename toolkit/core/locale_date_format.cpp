#include "toolkit/core/locale_date_format.h"

#include <vector>

namespace {

// Calls `f(c, quoted)` for each character of a Qt format, without the quotes;
// '' stands for one quote character.
template <typename F>
void ForEachFormatChar(const QString& format, F f) {
  bool quoted = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == u'\'') {
      if (i + 1 < format.size() && format[i + 1] == u'\'') {
        f(c, quoted);
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    f(c, quoted);
  }
}

// The literal text between the first field and the next one (fields are runs
// of the letters in `fieldLetters`; other letters outside quotes are fields
// of no interest and are left out).
QString SeparatorBetweenFields(const QString& format, QStringView fieldLetters, const QString& fallback) {
  enum { BeforeFirst, InFirst, Between, Done } state = BeforeFirst;
  QChar firstLetter;
  QString between;
  ForEachFormatChar(format, [&](QChar c, bool quoted) {
    const bool field = !quoted && fieldLetters.contains(c);
    switch (state) {
      case BeforeFirst:
        if (field) { state = InFirst; firstLetter = c; }
        break;
      case InFirst:
        if (field && c == firstLetter) break;
        if (field) { state = Done; break; }
        state = Between;
        [[fallthrough]];
      case Between:
        if (field) state = Done;
        else if (quoted || !c.isLetter()) between += c;
        break;
      case Done:
        break;
    }
  });
  if (state != Done) return fallback;
  QString kept;
  for (QChar c : between)
    if (c.category() != QChar::Other_Format) kept += c;
  if (kept.isEmpty()) return fallback;
  const QString trimmed = kept.trimmed();
  return trimmed.isEmpty() ? QStringLiteral(" ") : trimmed;
}

// A Qt format cut into runs of one field letter and runs of literal text
// (quotes included), so that fields can be dropped with what parts them.
struct TFormatRun {
  QString Text;
  QChar Field;  // null for literal text
};

std::vector<TFormatRun> FormatRuns(const QString& format) {
  std::vector<TFormatRun> runs;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    const QChar field = !quoted && c != u'\'' && c.isLetter() ? c : QChar();
    if (runs.empty() || runs.back().Field != field) runs.push_back({{}, field});
    runs.back().Text += c;
  }
  return runs;
}

}  // namespace

int DateOrder(const QString& shortDateFormat) {
  int order = -1;
  ForEachFormatChar(shortDateFormat, [&](QChar c, bool quoted) {
    if (order >= 0 || quoted) return;
    switch (c.toLower().unicode()) {
      case u'd': order = 1; break;
      case u'm': order = 0; break;
      case u'y': order = 2; break;
      default: break;
    }
  });
  return order < 0 ? 0 : order;
}

int DateOrder(const QLocale& locale) { return DateOrder(locale.dateFormat(QLocale::ShortFormat)); }

QString DateSeparator(const QLocale& locale) {
  return SeparatorBetweenFields(locale.dateFormat(QLocale::ShortFormat), u"dMy", QStringLiteral("/"));
}

QString TimeSeparator(const QLocale& locale) {
  return SeparatorBetweenFields(locale.timeFormat(QLocale::ShortFormat), u"hHms", QStringLiteral(":"));
}

QString ShortTimeFormat(const QString& shortTimeFormat) {
  std::vector<TFormatRun> runs = FormatRuns(shortTimeFormat);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].Field != u's') continue;
    const auto at = runs.begin() + static_cast<std::ptrdiff_t>(i);
    if (i >= 2 && runs[i - 1].Field.isNull())
      runs.erase(at - 1, at + 1);
    else if (i + 1 < runs.size() && runs[i + 1].Field.isNull())
      runs.erase(at, at + 2);
    else
      runs.erase(at);
    break;
  }
  QString kept;
  for (const TFormatRun& run : runs) kept += run.Text;
  return kept.trimmed();
}

QString ShortTimeFormat(const QLocale& locale) { return ShortTimeFormat(locale.timeFormat(QLocale::ShortFormat)); }

QString LongTimeFormat(const QLocale& locale) {
  QString kept;
  for (const TFormatRun& run : FormatRuns(locale.timeFormat(QLocale::LongFormat)))
    if (run.Field != u't') kept += run.Text;
  return kept.trimmed();
}

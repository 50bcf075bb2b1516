// Display text of data cells: the stored text as its column's format shows
// it. The stored text itself never changes.

#include "grid/cell_grid.h"

#include "toolkit/core/format_date_time.h"
#include "toolkit/core/format_float.h"
#include "toolkit/core/locale_date_format.h"
#include "toolkit/core/str_to_date_time.h"
#include "toolkit/core/str_to_float.h"

#include <iterator>

namespace {

QString NumericPattern(const TcgColumn& column) {
  // The prefix goes in as quoted text, so its characters are never read as
  // pattern characters.
  QString pattern = '"' + column.Prefix() + '"' + '#';
  if (column.ThousandsSeparator()) pattern += ',';
  pattern += QStringLiteral("##0");
  if (column.Decimals() > 0) pattern += '.' + QString(column.Decimals(), '0');
  if (column.NegativeParenthesis()) pattern += ";(" + pattern + ')';
  return pattern;
}

QString ScientificPattern(const TcgColumn& column) {
  QString pattern = QStringLiteral("0");
  if (column.Decimals() > 0) pattern += '.' + QString(column.Decimals(), '0');
  return pattern + QStringLiteral("E+00");
}

// An index past a table is taken as no such part, as a negative one is.
template <class Table>
bool InTable(const Table& table, int index) {
  return index >= 0 && index < static_cast<int>(std::size(table));
}

QString DateTimeText(const QString& S, const TcgColumn& column) {
  const int d = column.DateFormat();
  const int t = column.TimeFormat();
  const bool hasDate = InTable(kCgDatePatterns[0], d);
  const bool hasTime = InTable(kCgTimePatterns, t);
  const QLocale locale;
  if (hasDate && hasTime) {
    const QString pattern = QString::fromLatin1(kCgDatePatterns[TCellGrid::DateOrder()][d]) + ' ' +
                            QString::fromLatin1(kCgTimePatterns[t]);
    return FormatDateTime(pattern, StrToDateTime(S, locale), locale);
  }
  if (hasDate)
    return FormatDateTime(QString::fromLatin1(kCgDatePatterns[TCellGrid::DateOrder()][d]), StrToDate(S, locale),
                          locale);
  if (hasTime) return FormatDateTime(QString::fromLatin1(kCgTimePatterns[t]), StrToTime(S, locale), locale);
  return S;
}

}  // namespace

int TCellGrid::DateOrder() { return ::DateOrder(QLocale()); }

QString TCellGrid::GetDisplayText(int ACol, int ARow) {
  QString S = Cells(ACol, ARow);
  TcgColumn* column = ColumnAt(ACol);
  bool convert = true;
  try {
    if (OnDisplayText) OnDisplayText(this, ACol, ARow, column, S, convert);
    if (S.isEmpty() || !convert) return S;
    switch (column->FormatType()) {
      case TcgFormatType::cgfmtNone: return S;
      case TcgFormatType::cgfmtNumeric: return FormatFloat(NumericPattern(*column), StrToFloat(S));
      case TcgFormatType::cgfmtScientific: return FormatFloat(ScientificPattern(*column), StrToFloat(S));
      case TcgFormatType::cgfmtDateTime: return DateTimeText(S, *column);
    }
    return S;
  } catch (const EConvertError&) {
    // Only a text that is not a number, date or time: any other failure is
    // the cell painting's to report.
    if (OnConversionError) OnConversionError(this, ACol, ARow, column, S);
    return S;
  }
}

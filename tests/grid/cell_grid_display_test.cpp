// Display text of data cells: numeric, scientific and date-time formats, the two events and their failures.

#include "tests/grid/cell_grid_probe.h"
#include "tests/toolkit/locales.h"
#include "toolkit/core/convert_error.h"

#include <stdexcept>

using enum TcgFormatType;

namespace {

struct CellGridDisplay : ::testing::Test {
  void SetUp() override {
    grid.SetSize(3, 4);
    column = grid.ColumnAt(1);
    grid.OnConversionError = [this](QObject* sender, int c, int r, TcgColumn* col, QString& s) {
      EXPECT_EQ(std::tuple(sender, col), std::tuple(&grid, column));
      errors.push_back(QString("%1,%2 %3").arg(c).arg(r).arg(s));
    };
  }
  QString Shown(const QString& text) { grid.SetCells(1, 1, text); return grid.GetDisplayText(1, 1); }

  DefaultLocale english{English()};
  TProbeCellGrid grid;
  TcgColumn* column = nullptr;
  std::vector<QString> errors;
};

TEST_F(CellGridDisplay, WithoutAFormatTheStoredTextShowsAnEmptyCellIsNeverConverted) {
  EXPECT_EQ(Shown("12/03/24 10:41"), "12/03/24 10:41");
  EXPECT_EQ(Shown("abc"), "abc");
  EXPECT_EQ(std::tuple(errors.empty(), grid.Cells(1, 1)), std::tuple(true, "abc"));

  for (TcgFormatType f : {cgfmtNone, cgfmtNumeric, cgfmtDateTime, cgfmtScientific}) {
    SCOPED_TRACE(static_cast<int>(f));
    column->SetFormatType(f);
    column->SetTimeFormat(1);
    EXPECT_EQ(Shown(""), "");
  }
  // Nor is a text that a handler empties.
  column->SetFormatType(cgfmtNumeric);
  grid.OnDisplayText = [](QObject*, int, int, TcgColumn*, QString& s, bool&) { s.clear(); };
  EXPECT_EQ(Shown("abc"), "");
  EXPECT_TRUE(errors.empty());
}

TEST_F(CellGridDisplay, TheDisplayTextHandlerRunsFirstAndCanStopTheConversion) {
  column->SetFormatType(cgfmtNumeric);
  struct TSeen { QObject* sender; int c, r; TcgColumn* column; QString s; bool convert; };
  std::vector<TSeen> seen;
  bool convert = true;
  grid.OnDisplayText = [&](QObject* sender, int c, int r, TcgColumn* col, QString& s, bool& conv) {
    seen.push_back({sender, c, r, col, s, conv});
    s = "-" + s;
    conv = convert;
  };
  EXPECT_EQ(Shown("1234.5"), "-1,234.50") << "the changed text is converted";
  convert = false;
  EXPECT_EQ(Shown("1234.5"), "-1234.5") << "shown as the handler left it";
  EXPECT_EQ(Shown("abc"), "-abc");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(std::tuple(seen[0].sender, seen[0].c, seen[0].r, seen[0].column, seen[0].s, seen[0].convert),
            (std::tuple<QObject*, int, int, TcgColumn*, QString, bool>(&grid, 1, 1, column, "1234.5", true)));
  EXPECT_EQ(grid.Cells(1, 1), "abc") << "the stored text stays";
}

TEST_F(CellGridDisplay, NumbersPrefixesAndScientificNotationFollowTheColumnsSettings) {
  // The prefix is quoted, so pattern characters in it are plain text; scientific takes no prefix or parentheses.
  const TcgFormatType N = cgfmtNumeric, S = cgfmtScientific;
  const struct {
    TcgFormatType format; bool parentheses; int decimals; bool groups; const char *prefix, *text, *shown;
  } cases[] = {
      {N, false, 2, true, "", "1234.5", "1,234.50"}, {N, false, 2, true, "", "-1234.5", "-1,234.50"},
      {N, false, 2, true, "", "0.004", "0.00"}, {N, false, 2, true, "", " 1234567.891 ", "1,234,567.89"},
      {N, true, 2, true, "", "-1234.5", "(1,234.50)"}, {N, true, 2, true, "", "1234.5", "1,234.50"},
      {N, false, 0, false, "", "1234.5", "1235"}, {N, false, 0, false, "", "7", "7"},  // no point or groups, rounded
      {N, false, 3, false, "", "1234.5", "1234.500"}, {N, false, 2, true, "$", "1234.5", "$1,234.50"},
      {N, true, 2, true, "$", "-1234.5", "($1,234.50)"}, {N, true, 2, true, "#0,.", "5", "#0,.5.00"},
      {S, false, 2, true, "", "1234.5", "1.23E+03"}, {S, false, 2, true, "", "-0.000123", "-1.23E-04"},
      {S, false, 0, true, "", "1234.5", "1E+03"}, {S, true, 0, true, "$", "-1234.5", "-1E+03"}};
  for (const auto& c : cases) {
    column->SetFormatType(c.format);
    column->SetNegativeParenthesis(c.parentheses);
    column->SetDecimals(c.decimals);
    column->SetThousandsSeparator(c.groups);
    column->SetPrefix(c.prefix);
    EXPECT_EQ(Shown(c.text), c.shown) << c.parentheses << " " << c.decimals << " " << c.groups << " " << c.prefix;
  }
}

TEST_F(CellGridDisplay, NumbersUseTheLocalesSeparators) {
  DefaultLocale german(German());
  column->SetFormatType(cgfmtNumeric);
  EXPECT_EQ(Shown("1234,5"), "1.234,50");
  column->SetFormatType(cgfmtScientific);
  EXPECT_EQ(Shown("1234,5"), "1,23E+03");
}

TEST_F(CellGridDisplay, TypedNumbersReadWithoutGroupsAndShowAnAsciiMinus) {
  grid.SetOptions(grid.Options() + TGridOptions{TGridOption::goEditing});
  grid.ShowClient(300, 120);
  column->SetFormatType(cgfmtNumeric);
  auto type = [&](int row, const char* text) {
    grid.SetRow(row);
    grid.setFocus();
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  };
  type(1, "1,234.5");
  EXPECT_EQ(grid.GetDisplayText(1, 1), "1,234.5");
  EXPECT_EQ(errors, (std::vector<QString>{"1,1 1,234.5"}));
  const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
  DefaultLocale inSwedish(swedish);
  type(2, "-1234,5");
  EXPECT_EQ(grid.GetDisplayText(1, 2), "-1" + swedish.groupSeparator() + "234,50");
  column->SetFormatType(cgfmtScientific);
  EXPECT_EQ(grid.GetDisplayText(1, 2), "-1,23E+03");
}

TEST_F(CellGridDisplay, DatesFollowTheLocalesDateOrder) {
  column->SetFormatType(cgfmtDateTime);
  ASSERT_EQ(std::tuple(column->DateFormat(), column->TimeFormat()), std::tuple(2, -1));
  // German dd.MM.yy shows dd/mm/yy, English M/d/yy mm/dd/yy, Japanese y/MM/dd yy/mm/dd.
  const struct { QLocale locale; int order; const char *text, *shown; } cases[] = {
      {German(), 1, "7.3.2024", "07.03.24"}, {English(), 0, "3/7/2024", "03/07/24"},
      {Japanese(), 2, "2024/3/7", "24/03/07"}};
  for (const auto& c : cases) {
    DefaultLocale locale(c.locale);
    EXPECT_EQ(TCellGrid::DateOrder(), c.order) << c.text;
    EXPECT_EQ(Shown(c.text), c.shown);
  }
}

TEST_F(CellGridDisplay, DateAndTimePatternsComeFromTheTables) {
  column->SetFormatType(cgfmtDateTime);
  // A time alone takes the afternoon text; no part asked, or one past the tables, converts nothing.
  const struct { int date, time; const char *text, *shown; } cases[] = {
      {10, -1, "3/7/2024", "Thursday March 7, 2024"}, {4, -1, "3/7/2024", "7-Mar-24"},
      {1, 0, "3/7/2024 14:05", "3/7/24 14:05"}, {-1, 3, "14:05:09", "2:05:09 PM"}, {-1, 3, "9:05:09", "9:05:09 AM"},
      {-1, -1, "not a date", "not a date"}, {11, 1, "14:05", "2:05 PM"}, {11, 4, "whatever", "whatever"}};
  for (const auto& c : cases) {
    column->SetDateFormat(c.date);
    column->SetTimeFormat(c.time);
    EXPECT_EQ(Shown(c.text), c.shown) << c.date << " " << c.time;
  }
}

TEST_F(CellGridDisplay, ATextThatIsNoNumberRaisesTheConversionErrorAndShowsAsItIs) {
  column->SetFormatType(cgfmtNumeric);
  EXPECT_EQ(Shown("abc"), "abc");
  column->SetFormatType(cgfmtScientific);
  EXPECT_EQ(Shown("1,2,3"), "1,2,3");
  column->SetFormatType(cgfmtDateTime);
  EXPECT_EQ(Shown("31/31/2024"), "31/31/2024");
  EXPECT_EQ(errors, (std::vector<QString>{"1,1 abc", "1,1 1,2,3", "1,1 31/31/2024"}));

  // The handler's text is shown; it gets what the display handler made.
  grid.OnDisplayText = [](QObject*, int, int, TcgColumn*, QString& s, bool&) { s += "!"; };
  grid.OnConversionError = [](QObject*, int, int, TcgColumn*, QString& s) { s = "[" + s + "]"; };
  column->SetFormatType(cgfmtNumeric);
  EXPECT_EQ(Shown("abc"), "[abc!]");

  // Without a handler the failure is silent.
  grid.OnConversionError = nullptr;
  EXPECT_EQ(Shown("abc"), "abc!");
}

TEST_F(CellGridDisplay, OnlyConversionErrorsAreCaught) {
  column->SetFormatType(cgfmtNumeric);
  grid.OnDisplayText = [](QObject*, int, int, TcgColumn*, QString& s, bool&) {
    if (s == "convert") throw EConvertError("not now");
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(Shown("1"), std::runtime_error);
  EXPECT_EQ(Shown("convert"), "convert") << "a conversion error from the handler is one too";
  EXPECT_EQ(errors, (std::vector<QString>{"1,1 convert"}));
  EXPECT_THROW(grid.GetDisplayText(3, 1), EcgColumnIndexOutOfRange);
}

}  // namespace

// The grid's columns: lookups, hiding and showing with texts and widths kept, counts, the user's moves.

#include "tests/common/message_of.h"
#include "tests/grid/cell_grid_probe.h"

#include <QAccessible>
#include <QAccessibleTableInterface>

using enum TGridOption;
using Names = std::vector<std::string>;
using Widths = std::vector<int>;

namespace {

// Four columns A-D, 40/50/60/70 pixels wide, texts "c:r".
struct CellGridColumns : ::testing::Test {
  void SetUp() override {
    grid.SetColCount(4);
    grid.NameColumns({"A", "B", "C", "D"});
    grid.SetWidths({40, 50, 60, 70});
    grid.FillTexts();
  }
  TcgColumn* Col(const char* name) { return grid.ColumnByName(name); }

  TProbeCellGrid grid;
};

TEST_F(CellGridColumns, AFreshGridHasAColumnObjectPerGridColumnAndAFixedVersionAndAuthor) {
  TProbeCellGrid fresh;
  EXPECT_EQ(fresh.Columns().Count(), fresh.ColCount());
  EXPECT_EQ(fresh.ColumnNames(), (Names{"Column 1", "Column 2", "Column 3", "Column 4", "Column 5"}));
  EXPECT_EQ(std::tuple(fresh.DefaultDrawing(), fresh.DefaultRowHeight(), fresh.RowHeights(3)),
            std::tuple(false, 20, 20));
  EXPECT_EQ(fresh.CurrentCell(), (TGridCoord{1, 1}));
  EXPECT_EQ(fresh.CellOptions(), (TcgOptions{TcgOption::cgoptDrawFocusRectangle, TcgOption::cgoptHighlightSelection}));
  EXPECT_EQ(std::tuple(fresh.CellHighlightColor(), fresh.CellHighlightFontColor()),
            std::tuple(clHighlight, clHighlightText));
  EXPECT_EQ(std::tuple(fresh.CellAdjustColWidth(), fresh.CellAdjustRowHeight(), fresh.CellColumnClick(),
                       fresh.AutoAcceptSuggestion(), fresh.InternalColChange),
            std::tuple(false, false, true, true, false));
  EXPECT_EQ(std::tuple(fresh.ColumnsRegistryKey().isEmpty(), fresh.Headings().Count()), std::tuple(true, 0));
  EXPECT_FALSE(fresh.HeadingBitmap.isNull());

  fresh.SetVersion("2.0");
  fresh.SetAuthor("someone else");
  EXPECT_EQ(std::tuple(TCellGrid::Version(), TCellGrid::Author().isEmpty()), std::tuple("1.35", false));
  EXPECT_NE(TCellGrid::Author(), "someone else");
}

TEST_F(CellGridColumns, LookupsByGridIndexAndByName) {
  Col("B")->SetVisible(false);
  // The hidden B pushes the index along.
  EXPECT_EQ((std::vector{grid.ColumnAt(0), grid.ColumnAt(1), grid.ColumnAt(2)}),
            (std::vector{Col("A"), Col("C"), Col("D")}));
  EXPECT_EQ(MessageOf([&] { grid.ColumnAt(3); }), "TCellGrid: Column index out of range");
  for (int c : {3, -1}) EXPECT_THROW(grid.ColumnAt(c), EcgColumnIndexOutOfRange) << c;

  TcgColumns elsewhere;
  EXPECT_EQ((std::vector{grid.GridIndexOf(Col("A")), grid.GridIndexOf(Col("B")), grid.GridIndexOf(Col("D")),
                         grid.GridIndexOf(nullptr), grid.GridIndexOf(elsewhere.Add())}),
            (std::vector{0, -1, 2, -1, -1}));
  EXPECT_EQ(grid.VisibleColumnCount(), 3);

  // Hidden columns are found by name too; only A-Z ignore their case.
  grid.Columns().Items(3)->SetName("Receive Time");
  EXPECT_EQ(grid.ColumnByName("b"), grid.Columns().Items(1));
  for (const char* name : {"receive time", "RECEIVE TIME"}) EXPECT_EQ(grid.ColumnByName(name), grid.Columns().Items(3));
  grid.Columns().Items(0)->SetName("Ä");
  EXPECT_EQ(MessageOf([&] { grid.ColumnByName("Receive"); }), "Invalid column name \"Receive\"");
  for (const char* name : {"ä", "", "Receive Time "}) EXPECT_THROW(grid.ColumnByName(name), EcgInvalidColumnName);
}

TEST_F(CellGridColumns, HidingKeepsTextsAndWidthShowingPutsThemBack) {
  const QStringList textsOfB = grid.Cols(1);
  Col("B")->SetVisible(false);
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.Widths()), std::tuple(3, Widths{40, 60, 70}));
  EXPECT_EQ(grid.Cols(1), (QStringList{"2:0", "2:1", "2:2", "2:3", "2:4"}));
  EXPECT_EQ(std::tuple(Col("B")->HiddenCells().List(), Col("B")->HiddenWidth()), std::tuple(textsOfB, 50));
  EXPECT_FALSE(grid.InternalColChange);
  EXPECT_EQ(grid.ColumnNames(), (Names{"A", "B", "C", "D"})) << "the column object stays where it was";

  grid.SetColWidths(2, 90);  // the last column
  grid.SetCells(2, 1, "changed while B was hidden");
  Col("B")->SetVisible(true);
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.Widths(), (Widths{40, 50, 60, 90})) << "the formerly last column keeps its width";
  EXPECT_EQ(std::tuple(grid.Cols(1), grid.Cells(3, 1)), std::tuple(textsOfB, "changed while B was hidden"));
  EXPECT_EQ(std::tuple(grid.ColumnAt(1), Col("B")->HiddenCells().Count()), std::tuple(Col("B"), 0));

  // The last column and the first, one after the other, come back in order.
  Col("D")->SetVisible(false);
  Col("A")->SetVisible(false);
  EXPECT_EQ(grid.Widths(), (Widths{50, 60}));
  Col("D")->SetVisible(true);
  Col("A")->SetVisible(true);
  EXPECT_EQ(grid.Widths(), (Widths{40, 50, 60, 90}));
  for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.Cells(c, 4), QString("%1:4").arg(c)) << c;
}

TEST_F(CellGridColumns, HidingEveryColumnLeavesOneEmptyGridColumn) {
  for (const char* name : {"A", "B", "C", "D"}) Col(name)->SetVisible(false);
  EXPECT_EQ(std::tuple(grid.VisibleColumnCount(), grid.ColCount()), std::tuple(0, 1));
  EXPECT_EQ(std::tuple(grid.Cells(0, 2), Col("D")->HiddenCells().Strings(2)), std::tuple("", "3:2"));
  EXPECT_EQ(Col("D")->HiddenWidth(), 70);
  Col("C")->SetVisible(true);
  EXPECT_EQ(std::tuple(grid.Widths(), grid.Cells(0, 2)), std::tuple(Widths{60}, "2:2"));
  Col("A")->SetVisible(true);
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.Widths(), grid.Cells(0, 3)), std::tuple(2, Widths{40, 60}, "0:3"));
}

TEST_F(CellGridColumns, ARowCountRaisedWhileHiddenGivesTheHiddenColumnItsRows) {
  Col("C")->SetVisible(false);
  grid.SetRowCount(8);
  ASSERT_EQ(Col("C")->HiddenCells().Count(), 8);
  EXPECT_EQ(std::tuple(Col("C")->HiddenCells().Strings(4), Col("C")->HiddenCells().Strings(7)), std::tuple("2:4", ""));
  grid.SetRowCount(3);  // lowering removes nothing
  EXPECT_EQ(Col("C")->HiddenCells().Count(), 8);
  grid.SetRowCount(8);
  grid.SetCells(0, 7, "new row");
  Col("C")->SetVisible(true);
  EXPECT_EQ(grid.Cells(2, 1), "2:1");
  EXPECT_EQ(grid.Cells(2, 4), "2:4") << "kept while hidden";
  EXPECT_EQ(grid.Cells(1, 4), "") << "a shown column lost its row 4 when the row count was 3";
  EXPECT_EQ(grid.Cells(0, 7), "new row");
}

TEST_F(CellGridColumns, MovingARowMovesTheHiddenTextToo) {
  Col("B")->SetVisible(false);
  grid.MoveRow(1, 3);
  EXPECT_EQ(grid.Cols(0), (QStringList{"0:0", "0:2", "0:3", "0:1", "0:4"}));
  EXPECT_EQ(Col("B")->HiddenCells().List(), (QStringList{"1:0", "1:2", "1:3", "1:1", "1:4"}));
  grid.MoveRow(4, 2);
  Col("B")->SetVisible(true);
  EXPECT_EQ(grid.Cols(1), (QStringList{"1:0", "1:2", "1:4", "1:3", "1:1"}));
  EXPECT_EQ(grid.Cols(0), (QStringList{"0:0", "0:2", "0:4", "0:3", "0:1"}));
}

TEST_F(CellGridColumns, ColumnCountFourToSixToThreeAnInternalChangeLeavesTheColumnsAlone) {
  grid.SetColCountInternal(6);
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.Columns().Count(), grid.InternalColChange), std::tuple(6, 4, false));
  grid.SetColCountInternal(4);
  EXPECT_EQ(grid.ColumnNames(), (Names{"A", "B", "C", "D"}));

  grid.SetColCount(6);
  EXPECT_EQ(grid.ColumnNames(), (Names{"A", "B", "C", "D", "Column 1", "Column 2"}));
  EXPECT_TRUE(grid.Columns().Items(5)->Visible());
  EXPECT_EQ(grid.ColumnAt(5), grid.Columns().Items(5));
  grid.SetColCount(3);
  EXPECT_EQ(std::tuple(grid.ColumnNames(), grid.ColumnAt(2)), std::tuple(Names{"A", "B", "C"}, Col("C")));

  // Hidden columns stay when the count goes down.
  grid.SetColCount(4);
  grid.Columns().Items(3)->SetName("D");
  Col("B")->SetVisible(false);
  ASSERT_EQ(grid.ColCount(), 3);
  grid.SetColCount(6);
  EXPECT_EQ(grid.ColumnNames(), (Names{"A", "B", "C", "D", "Column 1", "Column 2", "Column 3"}));
  grid.SetColCount(3);
  EXPECT_EQ(grid.ColumnNames(), (Names{"A", "B", "C", "D"}));
  grid.SetColCount(1);
  EXPECT_EQ(std::tuple(grid.ColumnNames(), Col("B")->Visible()), std::tuple(Names{"A", "B"}, false));
  EXPECT_EQ(grid.VisibleColumnCount(), grid.ColCount());
}

TEST_F(CellGridColumns, CopiedColumnsAreLaidOut) {
  TcgColumns copy;
  for (const char* name : {"P", "Q", "R"}) copy.Add()->SetName(name);
  copy.Items(1)->SetVisible(false);
  grid.SetColumns(copy);
  EXPECT_EQ(grid.ColumnNames(), (Names{"P", "Q", "R"}));
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.ColumnAt(1)->Name()), std::tuple(2, "R"));
  EXPECT_EQ(grid.ColumnByName("Q")->HiddenCells().Count(), grid.RowCount());
}

TEST(CellGridColumnMoves, DraggingGridColumnZeroToTwoMovesItsColumnObject) {
  // A hidden column between the first two: the collection indexes differ from the grid's.
  TProbeCellGrid grid;
  grid.NameColumns({"A", "X", "B", "C", "D"});
  grid.ColumnByName("X")->SetVisible(false);
  ASSERT_EQ(grid.ColCount(), 4);
  grid.SetWidths({40, 50, 60, 70});
  grid.FillTexts();
  grid.SetFixedCols(0);
  grid.SetOptions(grid.Options() + TGridOptions{goColMoving});
  grid.ShowClient(400, 200);
  // Near the left edge of the title cell: that part stays with the base grid, which moves columns.
  const QPoint from(2, 10), to(grid.CellRect(2, 0).Left + 20, 10);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(grid.viewport(), QPoint(60, 10));
  QTest::mouseMove(grid.viewport(), to);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, to);
  EXPECT_EQ(grid.ColumnNames(), (Names{"X", "B", "C", "A", "D"}));
  EXPECT_EQ(std::tuple(grid.Widths(), grid.Cells(2, 3)), std::tuple(Widths{50, 60, 40, 70}, "0:3"));
  const char* shown[] = {"B", "C", "A", "D"};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.ColumnAt(c)->Name(), shown[c]) << c;
}

TEST_F(CellGridColumns, AVisibleChangeClosesTheEditorALookDoesNot) {
  grid.SetOptions(grid.Options() + TGridOptions{goEditing});
  grid.ShowClient(400, 200);
  grid.ShowEditor();
  ASSERT_TRUE(grid.EditorMode());
  Col("C")->SetCaption("Sea");  // a look: the editor stays
  EXPECT_TRUE(grid.EditorMode());
  Col("D")->SetVisible(false);
  EXPECT_FALSE(grid.EditorMode());
}

TEST_F(CellGridColumns, ScreenReadersReadTheCaptionsAsColumnHeaders) {
  grid.SetFixedCols(0);
  Col("A")->SetCaption("#");
  Col("C")->SetCaption("Duration");
  grid.SetCells(1, 0, "own text of B");
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
  ASSERT_NE(iface, nullptr);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  // B has no caption: the title cell's text.
  for (int c = 0; const char* d : {"#", "own text of B", "Duration"}) EXPECT_EQ(table->columnDescription(c++), d) << d;
  Col("A")->SetVisible(false);
  EXPECT_EQ(table->columnDescription(1), "Duration");
}

}  // namespace

#include "tests/toolkit/string_grid_probe.h"

#include <QTest>
#include <gtest/gtest.h>

using enum TGridOption;

namespace {

struct GridEditor : ::testing::Test {
  void SetUp() override {
    grid.SetOptions(grid.Options() + TGridOptions{goEditing});
    grid.SetCells(1, 1, "one");
    grid.SetCells(1, 2, "two");
    grid.ShowClient(400, 200);
  }
  TProbeEdit* Editor() { return grid.probeEditor; }
  bool Shown() { return Editor() && Editor()->isVisible(); }
  TProbeGrid grid;
};

TEST_F(GridEditor, F2OrAClickOnTheCurrentCellShowsTheEditorOverItWithItsTextArrowsLeaveItAtTheEnds) {
  EXPECT_EQ(grid.InplaceEditor(), nullptr);  // created on first use
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(std::tuple(grid.EditorMode(), grid.InplaceEditor()), std::tuple(true, Editor()));
  EXPECT_EQ(Editor()->parentWidget(), grid.viewport());
  EXPECT_EQ(Editor()->geometry(), grid.CellRect(1, 1).ToQRect());
  EXPECT_EQ(std::tuple(Editor()->EditText(), Editor()->loads, Editor()->layouts, Editor()->lastLayoutGeometry),
            std::tuple(QString("one"), 1, 1, grid.CellRect(1, 1).ToQRect()));

  // Left and Right pass to the grid only at the ends of the text.
  Editor()->setCursorPosition(3);
  QTest::keyClick(Editor(), Qt::Key_Left);  // moves the caret
  EXPECT_EQ(std::tuple(grid.Col(), Editor()->cursorPosition()), std::tuple(1, 2));
  QTest::keyClick(Editor(), Qt::Key_End);
  QTest::keyClick(Editor(), Qt::Key_Right);  // at the end: next cell
  EXPECT_EQ(grid.Col(), 2);
  const TRect other = grid.CellRect(2, 2);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(other.Left + 4, other.Top + 4));
  EXPECT_FALSE(Shown());  // the first click only moves there
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(other.Left + 4, other.Top + 4));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Editor()->geometry(), other.ToQRect());
}

TEST_F(GridEditor, TypingReplacesTheTextAndWritesTheCellEnterShowsAndEscapeRestores) {
  QTest::keyClick(&grid, Qt::Key_X);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(std::tuple(Editor()->EditText(), grid.Cells(1, 1)), std::tuple("x", "x"));
  QTest::keyClicks(Editor(), "yz");
  EXPECT_EQ(grid.Cells(1, 1), "xyz");
  QTest::keyClick(Editor(), Qt::Key_Return);  // Enter keeps the text
  EXPECT_EQ(std::tuple(Shown() || grid.EditorMode(), grid.Cells(1, 1)), std::tuple(false, "xyz"));

  QTest::keyClick(&grid, Qt::Key_Return);
  ASSERT_TRUE(Shown());
  Editor()->selectAll();
  QTest::keyClicks(Editor(), "changed");
  EXPECT_EQ(grid.Cells(1, 1), "changed");
  QTest::keyClick(Editor(), Qt::Key_Escape);
  EXPECT_EQ(std::tuple(Shown(), grid.Cells(1, 1)), std::tuple(false, "xyz"));
}

TEST_F(GridEditor, MovingAwayHidesTheEditorAndKeepsTheText) {
  QTest::keyClick(&grid, Qt::Key_F2);
  QTest::keyClicks(Editor(), "!");
  QTest::keyClick(Editor(), Qt::Key_Down);  // not used by the editor: goes to the grid
  EXPECT_EQ(std::tuple(grid.Row(), Shown(), grid.Cells(1, 1)), std::tuple(2, false, "one!"));
  QTest::keyClick(&grid, Qt::Key_F2);  // the same editor comes back on the new cell
  EXPECT_EQ(std::tuple(grid.editorsCreated, Editor()->EditText(), Editor()->loads), std::tuple(1, QString("two"), 2));
}

TEST_F(GridEditor, AlwaysShowEditorFollowsTheCurrentCell) {
  grid.SetOptions(grid.Options() + TGridOptions{goAlwaysShowEditor});
  ASSERT_TRUE(Shown());
  EXPECT_EQ(Editor()->EditText(), "one");
  grid.SetRow(2);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(std::tuple(Editor()->EditText(), Editor()->geometry(), Editor()->loads),
            std::tuple(QString("two"), grid.CellRect(1, 2).ToQRect(), 2));
  EXPECT_GE(Editor()->layouts, 2);
  QTest::keyClick(Editor(), Qt::Key_Escape);  // restores but stays
  EXPECT_TRUE(Shown());
  QTest::keyClick(Editor(), Qt::Key_Return);
  EXPECT_TRUE(Shown());
}

TEST_F(GridEditor, ScrollingMovesTheEditorAndCallsTheLayoutHook) {
  grid.SetRowCount(60);
  QTest::keyClick(&grid, Qt::Key_F2);
  const int layouts = Editor()->layouts;
  grid.SetTopRow(2);  // the current row 1 is scrolled out
  EXPECT_EQ(std::tuple(Shown(), grid.EditorMode()), std::tuple(false, true));
  grid.SetTopRow(1);
  EXPECT_TRUE(Shown());
  EXPECT_GT(Editor()->layouts, layouts);
  EXPECT_EQ(Editor()->geometry(), grid.CellRect(1, 1).ToQRect());
  EXPECT_EQ(Editor()->loads, 1);  // same cell: not loaded again
  grid.SetColWidths(1, 90);
  EXPECT_EQ(Editor()->geometry(), grid.CellRect(1, 1).ToQRect());
  EXPECT_EQ(Editor()->lastLayoutGeometry, grid.CellRect(1, 1).ToQRect());
}

TEST_F(GridEditor, TextChangesReachTheHookAndWritesFromOutsideShowInTheEditor) {
  QTest::keyClick(&grid, Qt::Key_F2);
  grid.log.clear();
  QTest::keyClicks(Editor(), "ab");
  EXPECT_EQ(Without(grid.log, "move"), (std::vector<std::string>{"editor changed", "editor changed"}));
  grid.SetCells(1, 1, "new");
  EXPECT_EQ(Editor()->EditText(), "new");
  QTest::keyClick(Editor(), Qt::Key_Escape);  // restores what the cell held when loaded
  EXPECT_EQ(grid.Cells(1, 1), "one");
}

TEST_F(GridEditor, HideEditorAndStructureChangesEndEditingNoEditorWithoutEditingOrWithRowSelect) {
  QTest::keyClick(&grid, Qt::Key_F2);
  grid.HideEditor();
  EXPECT_FALSE(Shown());
  grid.SetEditorMode(true);
  EXPECT_TRUE(Shown());
  grid.SetRowCount(3);  // the grid changes under the editor: editing ends
  EXPECT_FALSE(Shown() || grid.EditorMode());
  grid.SetOptions(grid.Options() - TGridOptions{goEditing});
  QTest::keyClick(&grid, Qt::Key_F2);
  QTest::keyClick(&grid, Qt::Key_A);
  EXPECT_EQ(std::tuple(Shown(), grid.Cells(1, 1)), std::tuple(false, "one"));
  grid.SetOptions(grid.Options() + TGridOptions{goEditing, goRowSelect});
  QTest::keyClick(&grid, Qt::Key_F2);
  grid.ShowEditor();
  EXPECT_FALSE(Shown() || grid.EditorMode());
}

}  // namespace

#include "tests/toolkit/string_grid_probe.h"

#include <QTest>
#include <gtest/gtest.h>

using enum TGridOption;
using Log = std::vector<std::string>;

namespace {

struct GridSelection : ::testing::Test {
  void SetUp() override {
    grid.SetColCount(4);
    grid.SetRowCount(50);
    grid.ShowClient(300, 200);  // 7 rows fully in view
    grid.OnClick = [this](QObject* sender) { EXPECT_EQ(sender, &grid); ++clicks; };
    grid.log.clear();
  }
  Log Calls() { return Without(Without(grid.log, "move"), "down"); }
  std::pair<int, int> Cell() const { return {grid.Col(), grid.Row()}; }
  TProbeGrid grid;
  int clicks = 0;
};

TEST_F(GridSelection, SettingRowAsksFirstThenClicksAlsoWhenRefusedASameOrInvalidValueDoesNothing) {
  grid.SetRow(1);
  grid.SetCol(1);
  grid.SetRow(0);   // fixed row
  grid.SetRow(50);  // beyond RowCount
  grid.SetRow(-3);
  grid.SetCol(4);
  EXPECT_TRUE(grid.log.empty());
  EXPECT_EQ(std::pair(clicks, grid.Row()), std::pair(0, 1));

  grid.SetRow(3);
  EXPECT_EQ(std::tuple(grid.Row(), grid.log, clicks), std::tuple(3, (Log{"select 1,3", "click"}), 1));
  grid.allowSelect = [](int, int r) { return r != 4; };
  grid.SetRow(4);
  EXPECT_EQ(std::tuple(grid.Row(), grid.log), std::tuple(3, (Log{"select 1,3", "click", "select 1,4", "click"})));
  EXPECT_EQ(clicks, 2);
  grid.SetCol(2);
  EXPECT_EQ(grid.Col(), 2);

  grid.OnSelectCell = [](QObject*, int, int r, bool& can) { can = r < 10; };
  grid.SetRow(12);
  EXPECT_EQ(grid.Row(), 3);
  grid.SetRow(9);
  EXPECT_EQ(std::pair(grid.Row(), clicks), std::pair(9, 5));
}

TEST_F(GridSelection, CurrentCellIsScrolledIntoViewRowSelectSelectsTheWholeRow) {
  grid.SetRow(40);
  EXPECT_EQ(grid.TopRow(), 34);  // 40 is the last fully visible row
  EXPECT_FALSE(grid.CellRect(1, 40).IsEmpty());
  EXPECT_LE(grid.CellRect(1, 40).Bottom, 200);
  grid.SetRow(20);
  EXPECT_EQ(grid.TopRow(), 20);
  grid.SetOptions(grid.Options() + TGridOptions{goRowSelect});
  grid.SetRow(5);
  EXPECT_EQ(grid.Selection(), (TGridRect{1, 5, 3, 5}));
  grid.SetFixedCols(0);
  EXPECT_EQ(grid.Selection().Left, 0);
}

TEST_F(GridSelection, ArrowKeysStopAtTheEdgesAndMoveThroughTheQuery) {
  QTest::keyClick(&grid, Qt::Key_Up);    // row 1 is the first normal row
  QTest::keyClick(&grid, Qt::Key_Left);  // column 1 the first normal column
  EXPECT_EQ(std::tuple(Cell(), grid.log.empty()), std::tuple(std::pair(1, 1), true));
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(Cell(), std::pair(2, 2));
  EXPECT_EQ(grid.log, (Log{"select 1,2", "click", "select 2,2", "click"}));
  grid.log.clear();
  grid.allowSelect = [](int, int) { return false; };
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(std::tuple(grid.Row(), grid.log), std::tuple(2, (Log{"select 2,3", "click"})));
}

TEST_F(GridSelection, PagingAndHomeEndAlsoSelectingRows) {
  QTest::keyClick(&grid, Qt::Key_PageDown);
  EXPECT_EQ(grid.Row(), 8);  // one page = 7 rows
  QTest::keyClick(&grid, Qt::Key_PageUp);
  EXPECT_EQ(grid.Row(), 1);
  QTest::keyClick(&grid, Qt::Key_End);
  EXPECT_EQ(Cell(), std::pair(3, 1));
  QTest::keyClick(&grid, Qt::Key_Home);
  EXPECT_EQ(grid.Col(), 1);
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(std::tuple(Cell(), grid.CellRect(3, 49).IsEmpty()), std::tuple(std::pair(3, 49), false));
  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(std::tuple(Cell(), grid.TopRow()), std::tuple(std::pair(1, 1), 1));
  grid.SetOptions({goRowSelect});
  QTest::keyClick(&grid, Qt::Key_End);
  EXPECT_EQ(grid.Row(), 49);
  QTest::keyClick(&grid, Qt::Key_Home);
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(GridSelection, TabMovesBetweenCellsOnlyWithGoTabs) {
  QWidget window;
  grid.setParent(&window);
  QLineEdit other(&window);
  window.show();
  QApplication::processEvents();
  grid.SetOptions(grid.Options() + TGridOptions{goTabs});
  grid.SetCol(3);
  grid.log.clear();
  QTest::keyClick(&grid, Qt::Key_Tab);  // wraps to the first column of the next row
  EXPECT_EQ(Cell(), std::pair(1, 2));
  QTest::keyClick(&grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Cell(), std::pair(3, 1));
  EXPECT_EQ(grid.log, (Log{"select 1,2", "click", "select 3,1", "click"}));
  grid.SetOptions(grid.Options() - TGridOptions{goTabs});
  QTest::keyClick(&grid, Qt::Key_Tab);
  EXPECT_EQ(Cell(), std::pair(3, 1));
  grid.setParent(nullptr);
}

TEST_F(GridSelection, ShiftArrowsAndMouseDragsWithRangeSelectExtendARange) {
  QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 2}));
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 3, 2, 3}));
  grid.SetOptions(grid.Options() - TGridOptions{goRangeSelect});
  QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 4, 2, 4}));
  grid.SetOptions(grid.Options() + TGridOptions{goRangeSelect});
  const TRect a = grid.CellRect(1, 2), b = grid.CellRect(3, 4);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(a.Left + 3, a.Top + 3));
  DragTo(grid.viewport(), b.Left + 3, b.Top + 3);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(b.Left + 3, b.Top + 3));
  EXPECT_EQ(std::tuple(grid.Selection(), grid.Row()), std::tuple((TGridRect{1, 2, 3, 4}), 2));
}

TEST_F(GridSelection, MouseClickGoesThroughTheQueryAndClicksOnReleaseButNotOnFixedCellsOrLines) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(100, 10));  // title row
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(64, 60));   // a line
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(10, 60));   // fixed column
  EXPECT_EQ(std::tuple(Cell(), clicks), std::tuple(std::pair(1, 1), 0));
  grid.log.clear();
  const TRect r = grid.CellRect(2, 3);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_EQ(std::tuple(Cell(), Calls()), std::tuple(std::pair(2, 3), (Log{"select 2,3"})));
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_EQ(std::tuple(Calls(), clicks), std::tuple((Log{"select 2,3", "up 1 135,80", "click"}), 1));

  grid.log.clear();
  grid.allowSelect = [](int, int) { return false; };
  const TRect r2 = grid.CellRect(3, 5);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(r2.Left + 1, r2.Top + 1));
  EXPECT_EQ(std::pair(grid.Row(), clicks), std::pair(3, 2));
}

}  // namespace

#include "tests/toolkit/string_grid_probe.h"

#include <gtest/gtest.h>

using enum TGridOption;

namespace {

// Default grid: 5 x 5, one fixed row and column, widths 64, heights 24, lines 1.
struct GridGeometry : ::testing::Test {
  void SetUp() override { grid.ShowClient(300, 200); }
  // The cell under each point: {x, y, col, row}; {-1, -1} for none.
  void ExpectCellsAt(std::initializer_list<std::array<int, 4>> cases) {
    for (const auto& c : cases)
      EXPECT_EQ(grid.MouseToCell(c[0], c[1]), (TGridCoord{c[2], c[3]})) << c[0] << "," << c[1];
  }
  struct TCellRect { int c, r; TRect rect; };
  void ExpectRects(std::initializer_list<TCellRect> cases) {
    for (const TCellRect& k : cases) EXPECT_EQ(grid.CellRect(k.c, k.r), k.rect) << k.c << "," << k.r;
  }
  TProbeGrid grid;
};

TEST_F(GridGeometry, CellsFollowWidthsHeightsAndLines) {
  ASSERT_EQ(grid.viewport()->width(), 300);
  ASSERT_EQ(grid.viewport()->height(), 200);
  ExpectRects({{0, 0, {0, 0, 64, 24}}, {1, 0, {65, 0, 129, 24}}, {1, 1, {65, 25, 129, 49}},
               {2, 3, {130, 75, 194, 99}}});

  grid.SetColWidths(1, 10);
  grid.SetRowHeights(1, 40);
  ExpectRects({{1, 1, {65, 25, 75, 65}}, {2, 2, {76, 66, 140, 90}}});
}

TEST_F(GridGeometry, WideLinesAreBetweenCellsTheirSpaceReservedWhenEitherOptionOfTheDirectionIsSet) {
  grid.SetGridLineWidth(3);
  ExpectRects({{0, 0, {0, 0, 64, 24}}, {1, 1, {67, 27, 131, 51}}, {2, 2, {134, 54, 198, 78}}});
  // The three line pixels after a cell belong to no cell.
  ExpectCellsAt({{64, 30, -1, -1}, {65, 30, -1, -1}, {66, 30, -1, -1}, {67, 30, 1, 1}, {130, 50, 1, 1},
                 {131, 50, -1, -1}});
  grid.SetOptions({goVertLine});  // only normal vertical lines: all columns keep the space
  EXPECT_EQ(grid.CellRect(1, 1), (TRect{67, 24, 131, 48}));
  grid.SetOptions({goFixedHorzLine});
  EXPECT_EQ(grid.CellRect(1, 1), (TRect{64, 27, 128, 51}));
  grid.SetOptions({});
  EXPECT_EQ(grid.CellRect(1, 1), (TRect{64, 24, 128, 48}));
}

TEST_F(GridGeometry, CellsOutOfViewHaveEmptyRectanglesPointsOutsideTheCellsNoCell) {
  for (auto [c, r] : {std::pair(-1, 0), std::pair(0, 5), std::pair(5, 0)}) EXPECT_EQ(grid.CellRect(c, r), TRect{});
  EXPECT_EQ(grid.CellRect(4, 1), (TRect{260, 25, 324, 49}));  // starts inside the 300 px client area: unclipped
  grid.SetColCount(8);
  EXPECT_EQ(grid.CellRect(5, 1), TRect{});  // would start at 325: out of view
  EXPECT_TRUE(grid.CellRect(5, 1).IsEmpty());

  // Two lines; the last column partly in view; past the client area; below the last row (5 rows end at 125).
  ExpectCellsAt({{0, 0, 0, 0}, {63, 23, 0, 0}, {64, 10, -1, -1}, {10, 24, -1, -1}, {-1, 5, -1, -1}, {5, -1, -1, -1},
                 {299, 10, 4, 0}, {300, 10, -1, -1}, {10, 130, -1, -1}});
  grid.SetColCount(2);
  ExpectCellsAt({{200, 10, -1, -1}});  // right of the last column
}

TEST_F(GridGeometry, ScrollingMovesOnlyTheScrollableCellsWithinTheLimits) {
  grid.SetRowCount(100);
  grid.SetColCount(20);
  grid.SetTopRow(10);
  grid.SetLeftCol(3);
  EXPECT_EQ(std::pair(grid.TopRow(), grid.LeftCol()), std::pair(10, 3));
  // The fixed corner stays; the fixed column and row show the first row and column in view; (1, 10) is
  // scrolled out to the left, (3, 9) above.
  ExpectRects({{0, 0, {0, 0, 64, 24}}, {0, 10, {0, 25, 64, 49}}, {3, 0, {65, 0, 129, 24}},
               {4, 11, {130, 50, 194, 74}}, {1, 10, {}}, {3, 9, {}}});
  ExpectCellsAt({{70, 30, 3, 10}, {10, 30, 0, 10}});

  grid.SetLeftCol(1);
  // Rows start at 25 and take 25 px each; a row counts when its 24 px fit in 200.
  EXPECT_EQ(grid.VisibleRowCount(), 7);  // 25 + 6*25 + 24 = 199
  EXPECT_EQ(grid.VisibleColCount(), 3);  // 65 + 2*65 + 64 = 259; the 4th would end at 324
  grid.SetTopRow(99);                    // clamped: the last row is shown completely, at the bottom
  EXPECT_EQ(grid.TopRow(), 93);
  const TRect last = grid.CellRect(1, 99);
  EXPECT_FALSE(last.IsEmpty());
  EXPECT_LE(last.Bottom, 200);
  grid.SetLeftCol(19);
  EXPECT_EQ(grid.LeftCol(), 17);
  EXPECT_LE(grid.CellRect(19, 1).Right, 300);
  // Values outside the scrollable range are ignored.
  grid.SetTopRow(0);
  grid.SetTopRow(1000);
  EXPECT_EQ(grid.TopRow(), 93);
}

TEST_F(GridGeometry, ScrollBarsFollowTopRowAndAnEmptyClientAreaShowsNothing) {
  grid.SetRowCount(100);
  grid.SetScrollBars(TScrollStyle::ssVertical);
  QApplication::processEvents();
  ASSERT_EQ(grid.viewport()->height(), 200);  // the vertical bar takes width only
  QScrollBar* bar = grid.verticalScrollBar();
  EXPECT_EQ(std::tuple(bar->isVisible(), grid.horizontalScrollBar()->isVisible()), std::tuple(true, false));
  EXPECT_EQ(std::tuple(bar->minimum(), bar->maximum(), bar->pageStep()), std::tuple(0, 92, 7));  // TopRow 1..93
  grid.SetTopRow(40);
  EXPECT_EQ(bar->value(), 39);
  bar->setValue(10);
  EXPECT_EQ(std::pair(grid.TopRow(), grid.CellRect(1, 11).Top), std::pair(11, 25));
  grid.resize(0, 0);
  QApplication::processEvents();
  EXPECT_EQ(grid.CellRect(0, 0), TRect{});
  ExpectCellsAt({{0, 0, -1, -1}});
  EXPECT_EQ(grid.VisibleRowCount(), 0);
}

}  // namespace

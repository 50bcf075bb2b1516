// Rows and columns that grow to fit their text: the text drawing asks, the grid applies it after the paint.

#include "tests/common/wait.h"
#include "tests/grid/cell_grid_probe.h"

using enum TGridOption;

namespace {

struct CellGridSizeRequests : ::testing::Test {
  void SetUp() override {
    grid.ShowClient(400, 200);
    // Cell (1, 1) draws its text as the cell painting does, with the grid as the one that may grow.
    grid.OnDrawCell = [this](QObject*, int c, int r, const TRect& rect, TGridDrawState state) {
      if (c != 1 || r != 1) return;
      ++draws;
      widthWhileDrawing = grid.ColWidths(1);
      TCanvas canvas(grid.Canvas(), grid.palette());
      canvas.Font().AssignQFont(grid.font());
      DrawCellText(TCgDrawInfo{.Canvas = &canvas, .Text = text, .Rect = rect, .HMargin = 2, .VMargin = 1,
                               .ClipStyle = clip, .Col = c, .Row = r, .Grid = &grid, .DrawState = state});
    };
  }
  void RepaintAndApply() { grid.viewport()->repaint(); QApplication::processEvents(); }
  TProbeCellGrid grid;
  QString text = "A text far wider than sixty-four pixels";
  TcgClipStyle clip = TcgClipStyle::cgclpEllipsis;
  int draws = 0, widthWhileDrawing = -1;
};

TEST_F(CellGridSizeRequests, AColumnGrowsAfterThePaintThatAskedAndIsPaintedAgain) {
  grid.SetCellAdjustColWidth(true);
  grid.viewport()->repaint();
  ASSERT_EQ(draws, 1);
  EXPECT_EQ(widthWhileDrawing, 64);
  EXPECT_EQ(grid.ColWidths(1), 64) << "not inside the paint";
  QApplication::processEvents();
  const int grown = grid.ColWidths(1);
  EXPECT_GT(grown, QFontMetrics(grid.font()).horizontalAdvance(text));
  EXPECT_TRUE(orvix::test::WaitUntil([&] { return draws >= 2; })) << "the new width is painted";
  EXPECT_EQ(widthWhileDrawing, grown);
  RepaintAndApply();
  EXPECT_EQ(grid.ColWidths(1), grown) << "a text that fits asks for nothing";
  EXPECT_EQ(grid.RowHeights(1), 20);
}

TEST_F(CellGridSizeRequests, ARowGrowsForWrappedTextWithoutTheAdjustSettingNothingIsAsked) {
  clip = TcgClipStyle::cgclpWrap;
  RepaintAndApply();
  EXPECT_EQ(std::pair(grid.ColWidths(1), grid.RowHeights(1)), std::pair(64, 20));
  grid.SetCellAdjustRowHeight(true);
  grid.viewport()->repaint();
  EXPECT_EQ(grid.RowHeights(1), 20);
  QApplication::processEvents();
  EXPECT_GT(grid.RowHeights(1), 2 * QFontMetrics(grid.font()).height());
  EXPECT_EQ(grid.ColWidths(1), 64);
}

TEST_F(CellGridSizeRequests, UserSizingTurnsTheRequestsOff) {
  grid.SetCellAdjustColWidth(true);
  grid.SetOptions(grid.Options() + TGridOptions{goColSizing});
  RepaintAndApply();
  EXPECT_EQ(grid.ColWidths(1), 64);

  grid.SetCellAdjustRowHeight(true);
  grid.SetOptions(grid.Options() + TGridOptions{goRowSizing});
  clip = TcgClipStyle::cgclpWrap;
  RepaintAndApply();
  EXPECT_EQ(grid.RowHeights(1), 20);

  // The sizing options stop only the requests: other messages still reach the grid's base.
  grid.SetOptions(grid.Options() - TGridOptions{goColSizing, goRowSizing});
  PostMessage(&grid, CGM_ADJUSTCOLWIDTH, 3, 99);
  PostMessage(&grid, CGM_ADJUSTROWHEIGHT, 2, 33);
  PostMessage(&grid, WM_USER + 1, 3, 5);
  EXPECT_EQ(grid.ColWidths(3), 64);
  QApplication::processEvents();
  EXPECT_EQ(std::pair(grid.ColWidths(3), grid.RowHeights(2)), std::pair(99, 33));
}

}  // namespace

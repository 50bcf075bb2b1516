#include "tests/common/shown_window.h"
#include "tests/toolkit/string_grid_probe.h"

#include <memory>

using enum TGridOption;
using Log = std::vector<std::string>;

namespace {

void Drag(QWidget* w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, {}, from);
  DragTo(w, (from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
  DragTo(w, to.x(), to.y());
  QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

struct GridMouse : ::testing::Test {
  void SetUp() override {
    grid.FillTexts();
    grid.ShowClient(400, 200);
    grid.log.clear();
  }
  TProbeGrid grid;
};

TEST_F(GridMouse, DraggingAColumnLineInTheFixedRowOrARowLineInTheFixedColumnResizesOnlyWithTheOption) {
  grid.SetOptions(grid.Options() + TGridOptions{goColSizing});
  // Column 1 spans 65..128, its line is at 129. Grab 2 px left of it.
  Drag(grid.viewport(), {127, 10}, {157, 12});
  EXPECT_EQ(std::tuple(grid.ColWidths(1), grid.CellRect(2, 1).Left), std::tuple(94, 65 + 94 + 1));
  EXPECT_EQ(std::pair(grid.Col(), grid.Row()), std::pair(1, 1));  // not a selection
  Drag(grid.viewport(), {159, 10}, {20, 10});
  EXPECT_EQ(grid.ColWidths(1), 0);
  grid.SetColWidths(1, 64);
  Drag(grid.viewport(), {129, 60}, {160, 60});
  EXPECT_EQ(grid.ColWidths(1), 64);
  grid.SetOptions(grid.Options() - TGridOptions{goColSizing});
  Drag(grid.viewport(), {129, 10}, {160, 10});
  EXPECT_EQ(grid.ColWidths(1), 64);
  grid.SetOptions(grid.Options() + TGridOptions{goRowSizing});
  // Row 2 spans 50..73, its line is at 74.
  Drag(grid.viewport(), {20, 74}, {20, 90});
  EXPECT_EQ(std::pair(grid.RowHeights(2), grid.RowHeights(1)), std::pair(40, 24));
  EXPECT_EQ(grid.CellRect(1, 3).Top, 50 + 40 + 1);
}

TEST_F(GridMouse, WithoutTheOptionsNoDragMovesAnythingWithThemATitleCellMovesItsColumnAFixedColumnCellItsRow) {
  Drag(grid.viewport(), {grid.CellRect(2, 0).Left + 20, 10}, {grid.CellRect(4, 0).Left + 20, 10});
  Drag(grid.viewport(), {20, grid.CellRect(0, 4).Top + 5}, {20, grid.CellRect(0, 1).Top + 5});
  EXPECT_TRUE(grid.columnMoves.empty() && grid.rowMoves.empty());
  EXPECT_EQ(grid.Cells(2, 1), "2:1");
  grid.SetOptions(grid.Options() + TGridOptions{goColMoving});
  const TRect from = grid.CellRect(2, 0), to = grid.CellRect(4, 0);
  grid.SetColWidths(2, 70);
  Drag(grid.viewport(), {from.Left + 20, 10}, {to.Left + 30, 10});
  EXPECT_EQ(grid.columnMoves, (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_EQ(std::pair(grid.Cells(4, 1), grid.Cells(2, 1)), std::pair(QString("2:1"), QString("3:1")));
  EXPECT_EQ(grid.ColWidths(4), 70);
  grid.SetOptions(grid.Options() + TGridOptions{goRowMoving});
  Drag(grid.viewport(), {20, grid.CellRect(0, 4).Top + 5}, {20, grid.CellRect(0, 1).Top + 5});
  EXPECT_EQ(grid.rowMoves, (std::vector<std::pair<int, int>>{{4, 1}}));
  EXPECT_EQ(grid.Cells(0, 1), "0:4");  // column 0 stayed where it was
}

TEST_F(GridMouse, HooksSeeButtonModifiersClientPositionAndThePointerEnteringAndLeavingCaptureAndRelease) {
  QTest::mousePress(grid.viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(150, 60));
  QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, QPoint(150, 60));
  EXPECT_EQ(grid.log, (Log{"down 2 150,60 shift", "up 2 150,60"}));
  EXPECT_EQ(std::pair(grid.Col(), grid.Row()), std::pair(1, 1));  // only the left button selects
  grid.log.clear();
  QTest::mouseMove(grid.viewport(), QPoint(33, 44));
  ASSERT_FALSE(grid.log.empty());
  EXPECT_EQ(grid.log.back(), "move 33,44");
  grid.log.clear();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(grid.viewport(), &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(grid.viewport(), &leave);
  EXPECT_EQ(std::tuple(grid.log, grid.MouseCapture()), std::tuple((Log{"enter", "leave"}), false));
  grid.SetMouseCapture(true);
  EXPECT_EQ(std::pair(grid.MouseCapture(), QWidget::mouseGrabber()), std::pair(true, grid.viewport()));
  grid.SetMouseCapture(false);
  EXPECT_EQ(std::pair(grid.MouseCapture(), QWidget::mouseGrabber()), (std::pair<bool, QWidget*>(false, nullptr)));
}

TEST(GridQueuedCall, RunsAfterTheCurrentEventAndNotAfterDestruction) {
  auto grid = std::make_unique<TStringGrid>();
  int runs = 0;
  grid->PostCall([&] { ++runs; });
  EXPECT_EQ(runs, 0);
  QApplication::processEvents();
  EXPECT_EQ(runs, 1);
  grid->PostCall([&] { ++runs; });
  grid.reset();
  QApplication::processEvents();
  EXPECT_EQ(runs, 1);
}

struct GridFocus : orvix::test::ShownWindowTest {
  void SetUp() override {
    grid = new TProbeGrid;  // owned by window
    grid->setParent(&window);
    grid->setGeometry(0, 0, 300, 150);
    ASSERT_NO_FATAL_FAILURE(ShowWindow({300, 200}, {0, 160, 100, 20}, nullptr));
    other->setFocus();
    QApplication::processEvents();
    grid->log.clear();
  }
  TProbeGrid* grid = nullptr;
};

TEST_F(GridFocus, EnterAndExitOfTheFocusMovingIntoTheEditorIsNoExit) {
  grid->setFocus();
  other->setFocus();
  EXPECT_EQ(grid->log, (Log{"focus in", "focus out"}));

  grid->log.clear();
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_F2);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->hasFocus());
  QTest::keyClick(grid->InplaceEditor(), Qt::Key_Escape);
  EXPECT_EQ(std::tuple(grid->hasFocus(), Without(grid->log, "editor")), std::tuple(true, (Log{"focus in"})));
  grid->SetEditorMode(true);
  other->setFocus();  // from the editor straight out of the grid
  EXPECT_EQ(Without(grid->log, "editor"), (Log{"focus in", "focus out"}));
}

}  // namespace

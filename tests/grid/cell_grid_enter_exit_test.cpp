// Entering and leaving cells: OnExitCell may keep the cell, OnEnterCell follows each move, the focus is both.

#include "tests/grid/cell_grid_probe.h"

#include <utility>

using Log = std::vector<std::string>;

namespace {

struct CellGridEnterExit : orvix::test::ShownWindowTest {
  void SetUp() override {
    grid = new TProbeCellGrid(&window);
    grid->setGeometry(0, 0, 400, 200);
    ASSERT_NO_FATAL_FAILURE(ShowWindow({500, 300}, {0, 250, 100, 20}, nullptr));
    other->setFocus();
    grid->OnExitCell = [this](QObject* sender, int c, int r, bool& canExit) {
      Note(sender, "exit", c, r);
      canExit = allowExit;
    };
    grid->OnEnterCell = [this](QObject* sender, int c, int r) { Note(sender, "enter", c, r); };
    grid->OnClick = [this](QObject*) { log.push_back("click"); };
  }
  void Note(QObject* sender, const std::string& what, int c, int r) {
    EXPECT_EQ(sender, grid);
    log.push_back(what + " " + std::to_string(c) + "," + std::to_string(r));
  }
  QPoint Inside(int c, int r) const { return grid->CellRect(c, r).ToQRect().topLeft() + QPoint(5, 5); }
  Log Taken() { return std::exchange(log, {}); }
  void Click(int c, int r) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Inside(c, r)); }

  TProbeCellGrid* grid = nullptr;
  Log log;
  bool allowExit = true;
};

TEST_F(CellGridEnterExit, AUsersClickAndKeysLeaveOneCellAndEnterTheNext) {
  Click(3, 2);
  ASSERT_TRUE(grid->hasFocus());
  // The focus comes with the press: the current cell is entered first.
  EXPECT_EQ(Taken(), (Log{"enter 1,1", "exit 1,1", "enter 3,2", "click"}));
  EXPECT_EQ(grid->CurrentCell(), (TGridCoord{3, 2}));
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(Taken(), (Log{"exit 3,2", "enter 3,3", "click"}));
  Click(3, 3);  // the current cell again: nothing left, nothing entered
  EXPECT_EQ(Taken(), (Log{"click"}));
}

TEST_F(CellGridEnterExit, ARefusedExitKeepsTheCellAndEntersNothingARefusedSelectionAsksNoExit) {
  Click(2, 2);
  log.clear();
  allowExit = false;
  Click(4, 3);
  EXPECT_EQ(Taken(), (Log{"exit 2,2", "click"}));
  EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(2, 2));
  EXPECT_EQ(grid->CurrentCell(), (TGridCoord{2, 2}));
  grid->SetRow(4);  // as the window sets it: asked, refused, still a click
  EXPECT_EQ(Taken(), (Log{"exit 2,2", "click"}));
  EXPECT_EQ(grid->Row(), 2);
  QTest::keyClick(grid, Qt::Key_Right);
  EXPECT_EQ(Taken(), (Log{"exit 2,2", "click"}));
  EXPECT_EQ(grid->Col(), 2);

  allowExit = true;
  grid->SetRow(4);
  EXPECT_EQ(Taken(), (Log{"exit 2,2", "enter 2,4", "click"}));
  EXPECT_EQ(grid->Row(), 4);

  // OnSelectCell refusing asks no exit.
  grid->OnSelectCell = [](QObject*, int, int, bool& canSelect) { canSelect = false; };
  Click(3, 3);
  EXPECT_EQ(Taken(), (Log{"click"}));
  EXPECT_EQ(grid->CurrentCell(), (TGridCoord{2, 4}));
}

TEST_F(CellGridEnterExit, TheFocusLeavingExitsEvenWhenRefusedComingBackEnters) {
  Click(2, 3);
  log.clear();
  allowExit = false;
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(other->hasFocus());
  EXPECT_EQ(Taken(), (Log{"exit 2,3"}));
  grid->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(Taken(), (Log{"enter 2,3"}));
  EXPECT_EQ(grid->CurrentCell(), (TGridCoord{2, 3}));
}

TEST_F(CellGridEnterExit, TheFocusEntersWhereTheBaseGridsCurrentCellIsNow) {
  grid->SetCol(4);
  grid->SetRow(4);
  ASSERT_EQ(grid->CurrentCell(), (TGridCoord{4, 4}));
  grid->SetRowCount(3);  // moves the current cell into range without asking
  ASSERT_EQ(grid->Row(), 2);
  log.clear();
  grid->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(Taken(), (Log{"enter 4,2"}));
  EXPECT_EQ(grid->CurrentCell(), (TGridCoord{4, 2}));
}

}  // namespace

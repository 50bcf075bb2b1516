#include "toolkit/widgets/string_grid.h"

#include <vector>

#include "tests/common/accessibility_bridge.h"
#include "tests/common/shown_window.h"

using enum TGridOption;

namespace {

struct TEventSeen { QAccessible::Event Type; QObject* Object; int Child; };
std::vector<TEventSeen>* g_seen = nullptr;
void Record(QAccessibleEvent* e) { if (g_seen) g_seen->push_back({e->type(), e->object(), e->child()}); }

// Screen-reader texts from elsewhere than the cells, as a grid with column objects has.
struct TCaptionGrid : TStringGrid {
  using TStringGrid::TStringGrid;
  QString AccessibleColumnHeader(int ACol) const override { return QString("caption %1").arg(ACol); }
  QString AccessibleCellText(int ACol, int ARow) const override { return "shown " + Cells(ACol, ARow); }
};

struct AccessibleGrid : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(AccessibilityBridgeActive());
    previous_ = QAccessible::installUpdateHandler(Record);
    g_seen = &seen;
  }
  void TearDown() override { g_seen = nullptr; QAccessible::installUpdateHandler(previous_); }

  // 4 columns (fixedCols of them fixed), a title row and five rows "c,r".
  template <class Grid = TStringGrid> Grid* Make(int fixedCols, TGridOptions extra = {}) {
    auto* grid = new Grid(&window);  // owned by the window
    grid->setGeometry(0, 0, 420, 200);
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetFixedCols(fixedCols);
    grid->SetFixedRows(1);
    grid->SetOptions(grid->Options() + extra);
    for (int c = 0; c < 4; ++c) {
      grid->SetCells(c, 0, QString("Head %1").arg(c));
      for (int r = 1; r < 6; ++r) grid->SetCells(c, r, QString("%1,%2").arg(c).arg(r));
    }
    window.resize(420, 200);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    return grid;
  }

  static QAccessibleInterface* Of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
  static QAccessibleTableInterface* TableOf(QObject* o) { return Of(o)->tableInterface(); }
  static QAccessibleTableCellInterface* CellOf(QAccessibleInterface* i) { return i->tableCellInterface(); }
  static QString Name(QAccessibleInterface* i) { return i ? i->text(QAccessible::Name) : "<none>"; }

  int LastChildOf(QAccessible::Event type) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) if (it->Type == type) return it->Child;
    return -2;
  }

  QWidget window;
  std::vector<TEventSeen> seen;
  QAccessible::UpdateHandler previous_ = nullptr;
};

}  // namespace

TEST_F(AccessibleGrid, IsATableOfTheScrollableCellsSelectingTheCurrentCellWithoutTheRowsRemoved) {
  TStringGrid* grid = Make(0);
  QAccessibleInterface* iface = Of(grid);
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->role(), QAccessible::Table);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(std::pair(table->rowCount(), table->columnCount()), std::pair(5, 4));
  EXPECT_EQ(table->columnDescription(2), "Head 2");
  for (auto [r, c] : {std::pair(5, 0), std::pair(0, 4), std::pair(-1, 0)}) EXPECT_EQ(table->cellAt(r, c), nullptr);

  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 4; ++c) {
      QAccessibleInterface* cell = table->cellAt(r, c);
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(cell->role(), QAccessible::Cell);
      EXPECT_EQ(Name(cell), QString("%1,%2").arg(c).arg(r + 1));
      ASSERT_NE(CellOf(cell), nullptr);
      EXPECT_EQ(std::tuple(CellOf(cell)->rowIndex(), CellOf(cell)->columnIndex(), CellOf(cell)->table()),
                std::tuple(r, c, iface));
      const auto headers = CellOf(cell)->columnHeaderCells();
      ASSERT_EQ(headers.size(), 1);
      EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
      EXPECT_EQ(Name(headers[0]), QString("Head %1").arg(c));
      EXPECT_TRUE(CellOf(cell)->rowHeaderCells().isEmpty());
    }
  // The same cell is one interface, and it reads the grid as it is now.
  QAccessibleInterface* cell = table->cellAt(1, 3);
  EXPECT_EQ(table->cellAt(1, 3), cell);
  grid->SetCells(3, 2, "changed");
  EXPECT_EQ(Name(cell), "changed");
  const TRect r = grid->CellRect(3, 2);
  EXPECT_EQ(cell->rect(), QRect(grid->viewport()->mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Width(), r.Height())));

  grid->SetCol(2);
  grid->SetRow(2);
  EXPECT_EQ(std::tuple(table->selectedRows().isEmpty(), table->selectedCellCount()), std::tuple(true, 1));
  EXPECT_EQ(Name(table->selectedCells().value(0)), "2,2");
  EXPECT_FALSE(table->selectRow(0));  // a cell grid cannot select a whole row
  EXPECT_EQ(grid->Row(), 2);

  const QAccessible::Id last = QAccessible::uniqueId(TableOf(grid)->cellAt(4, 0));
  QAccessibleInterface* first = TableOf(grid)->cellAt(0, 0);
  seen.clear();
  grid->SetRowCount(3);
  EXPECT_EQ(QAccessible::accessibleInterface(last), nullptr);  // withdrawn, not left dangling
  EXPECT_EQ(std::tuple(first->isValid(), Name(first)), std::tuple(true, "0,1"));
  EXPECT_EQ(std::pair(TableOf(grid)->rowCount(), iface->childCount()), std::pair(2, 3 * 4));
  EXPECT_EQ(TableOf(grid)->cellAt(2, 0), nullptr);
  EXPECT_NE(LastChildOf(QAccessible::TableModelChanged), -2);

  grid->SetFixedRows(0);
  EXPECT_EQ(std::pair(TableOf(grid)->rowCount(), iface->childCount()), std::pair(3, 3 * 4));
  EXPECT_EQ(iface->child(0)->role(), QAccessible::Cell);
  EXPECT_TRUE(CellOf(TableOf(grid)->cellAt(0, 0))->columnHeaderCells().isEmpty());
  EXPECT_EQ(TableOf(grid)->columnDescription(0), "");
}

TEST_F(AccessibleGrid, ChildrenRunRowByRowFromTheHeaderRow) {
  TStringGrid* grid = Make(1);
  QAccessibleInterface* iface = Of(grid);
  ASSERT_EQ(iface->childCount(), 6 * 4);
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    ASSERT_NE(child, nullptr) << i;
    EXPECT_EQ(std::tuple(iface->indexOfChild(child), child->parent()), std::tuple(i, iface));
    const int col = i % 4, row = i / 4;  // row 0: the header row
    const QAccessible::Role role =
        row == 0 ? QAccessible::ColumnHeader : (col == 0 ? QAccessible::RowHeader : QAccessible::Cell);
    EXPECT_EQ(child->role(), role) << i;
    EXPECT_EQ(Name(child), row == 0 ? QString("Head %1").arg(col) : QString("%1,%2").arg(col).arg(row)) << i;
  }
  EXPECT_EQ(std::pair(iface->child(24), iface->child(-1)), (std::pair<QAccessibleInterface*, QAccessibleInterface*>()));

  QAccessibleTableInterface* table = iface->tableInterface();
  EXPECT_EQ(std::tuple(table->columnCount(), table->rowDescription(2)), std::tuple(3, "0,3"));
  EXPECT_EQ(table->columnDescription(0), "Head 1");
  const auto rowHeads = CellOf(table->cellAt(2, 1))->rowHeaderCells();
  ASSERT_EQ(rowHeads.size(), 1);
  EXPECT_EQ(Name(rowHeads[0]), "0,3");

  const TRect r = grid->CellRect(2, 4);
  const QPoint centre = grid->viewport()->mapToGlobal(QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  EXPECT_EQ(Name(iface->childAt(centre.x(), centre.y())), "2,4");
}

TEST_F(AccessibleGrid, TheCurrentRowIsSelectedInAWholeRowGridTheFocusFollowsTheCurrentCell) {
  TStringGrid* grid = Make(0, {goRowSelect});
  QAccessibleTableInterface* table = TableOf(grid);
  grid->SetRow(3);
  EXPECT_EQ(table->selectedRows(), QList<int>{2});
  EXPECT_EQ(std::pair(table->isRowSelected(2), table->isRowSelected(0)), std::pair(true, false));
  EXPECT_EQ(std::tuple(table->selectedRowCount(), table->selectedColumnCount(), table->selectedCellCount()),
            std::tuple(1, 0, 4));
  const auto cells = table->selectedCells();
  ASSERT_EQ(cells.size(), 4);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Name(cells[c]), QString("%1,3").arg(c));
    EXPECT_TRUE(cells[c]->state().selected && CellOf(cells[c])->isSelected());
  }
  EXPECT_FALSE(table->cellAt(0, 0)->state().selected);
  EXPECT_EQ(LastChildOf(QAccessible::Selection), Of(grid)->indexOfChild(table->cellAt(2, grid->Col())));

  int clicks = 0;
  grid->OnClick = [&](QObject*) { ++clicks; };
  EXPECT_TRUE(table->selectRow(4));
  EXPECT_EQ(std::pair(grid->Row(), clicks), std::pair(5, 1));
  EXPECT_FALSE(table->selectRow(5) || table->selectColumn(0) || table->unselectRow(4));
  EXPECT_EQ(grid->Row(), 5);

  ASSERT_TRUE(orvix::test::ShowActive(window));
  QAccessibleInterface* iface = Of(grid);
  seen.clear();

  const TRect r = grid->CellRect(1, 3);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  ASSERT_TRUE(grid->hasFocus());
  EXPECT_EQ(grid->Row(), 3);
  const int clicked = iface->indexOfChild(TableOf(grid)->cellAt(2, 1));
  EXPECT_EQ(LastChildOf(QAccessible::Focus), clicked);
  for (const TEventSeen& e : seen) EXPECT_EQ(e.Object, grid);
  EXPECT_EQ(iface->focusChild(), iface->child(clicked));
  EXPECT_TRUE(iface->child(clicked)->state().focused);

  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 4);
  const int below = iface->indexOfChild(TableOf(grid)->cellAt(3, 1));
  EXPECT_EQ(LastChildOf(QAccessible::Focus), below);
  EXPECT_EQ(LastChildOf(QAccessible::Selection), below);
  EXPECT_FALSE(iface->child(clicked)->state().focused);
  EXPECT_TRUE(iface->child(below)->state().focused);

  grid->clearFocus();
  seen.clear();
  grid->SetRow(1);
  EXPECT_EQ(LastChildOf(QAccessible::Focus), -2);
  EXPECT_EQ(LastChildOf(QAccessible::Selection), iface->indexOfChild(TableOf(grid)->cellAt(0, 1)));
  EXPECT_EQ(iface->focusChild(), nullptr);
}

TEST_F(AccessibleGrid, SubclassesChooseWhatIsReadAHiddenGridAnnouncesNothing) {
  TStringGrid* grid = Make<TCaptionGrid>(0);
  grid->SetCells(1, 0, "");  // captions need not live in the title row
  QAccessibleTableInterface* table = TableOf(grid);
  EXPECT_EQ(table->columnDescription(1), "caption 1");
  QAccessibleInterface* cell = table->cellAt(0, 1);
  EXPECT_EQ(Name(cell), "shown 1,1");
  EXPECT_EQ(Name(CellOf(cell)->columnHeaderCells().value(0)), "caption 1");
  auto* hidden = new TStringGrid(&window);  // never shown
  hidden->SetRowCount(8);
  hidden->SetRow(3);
  for (const TEventSeen& e : seen)
    EXPECT_TRUE(e.Object != hidden || (e.Type != QAccessible::Focus && e.Type != QAccessible::Selection &&
                                       e.Type != QAccessible::TableModelChanged)) << e.Type;
  EXPECT_EQ(TableOf(hidden)->rowCount(), 7);
}

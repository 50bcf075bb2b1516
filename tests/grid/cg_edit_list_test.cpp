#include "tests/grid/cg_edit_fixture.h"
#include "tests/grid/wheel.h"

#include <QScreen>

namespace {

using CgEditList = CgEditTest;

QStringList Numbered(int n, const QString& longOne = {}) {
  QStringList items;
  for (int i = 0; i < n; ++i) items << QStringLiteral("Item %1").arg(i);
  if (!longOne.isEmpty()) items[1] = longOne;
  return items;
}

TEST_F(CgEditList, TheListIsAsWideAsTheTextAreaMadeOnceAndKeptThroughCellsWithoutOne) {
  TProbeEdit* e = Edit(3, 1);
  e->ShowList();
  ASSERT_TRUE(e->ListVisible);
  TPopupListbox* list = e->PickList;
  ASSERT_TRUE(list && list->isVisible());
  EXPECT_EQ(list->width(), RectWidth(e->TextRect) - e->ButtonWidth);
  // Below the text area, from its left edge.
  const QPoint p = e->mapToGlobal(QPoint(e->TextRect.Left, e->TextRect.Top));
  EXPECT_EQ(list->pos(), QPoint(p.x(), p.y() + RectHeight(e->TextRect)));
  EXPECT_TRUE(e->hasFocus() && list->isWindow());  // the list never takes the focus

  e = Edit(1, 1);
  e->ShowList();
  EXPECT_EQ(e->PickList->width(), RectWidth(e->TextRect));

  // A cell without a drop-down after one keeps the list for the next.
  e = Edit(1, 1);
  TPopupListbox* first = e->PickList;
  ASSERT_NE(first, nullptr);
  e = Edit(4, 1);
  EXPECT_EQ(e->ActiveList, nullptr);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_FALSE(e->ListVisible);
  e = Edit(3, 1);
  EXPECT_EQ(std::tuple(e->PickList, e->ActiveList), std::tuple(first, first));  // made once, kept
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(std::tuple(e->ListVisible, e->PickList->Items()), std::tuple(true, QStringList{"Red", "Green", "Blue"}));
}

TEST_F(CgEditList, HeightsForFewAndManyItemsAndTheWidestItem) {
  TcgColumn* col = Column(1);
  const QString wide = QStringLiteral("An item far wider than the text area of the cell");
  col->Items().SetList(Numbered(3, wide));
  ASSERT_EQ(col->DropDownCount(), 8);
  TProbeEdit* e = Edit(1, 1);
  e->ShowList();
  TPopupListbox* list = e->PickList;
  auto reopen = [&](const QStringList& items) { e->CloseList(false); col->Items().SetList(items); e->ShowList(); };
  const int h = list->RowHeight();
  ASSERT_GT(h, 0);
  EXPECT_EQ(std::tuple(list->visualItemRect(list->item(0)).height(), list->height()), std::tuple(h, 3 * h + 4));
  EXPECT_EQ(list->width(), RectWidth(e->TextRect));  // ComboMaxWidth off: the items do not count
  reopen(Numbered(12, wide));
  EXPECT_EQ(std::tuple(list->height(), list->width()), std::tuple(8 * h + 4, RectWidth(e->TextRect)));

  const int itemWidth = list->TextWidth(wide);
  ASSERT_GT(itemWidth, RectWidth(e->TextRect));
  col->SetComboMaxWidth(true);
  reopen(Numbered(12, wide));
  const int scrolled = itemWidth + 16;
  EXPECT_EQ(list->width(), scrolled > e->width() ? scrolled + 4 : scrolled);
  reopen(Numbered(3, wide));
  EXPECT_EQ(list->height(), 3 * h + 4);
  EXPECT_EQ(list->width(), itemWidth > e->width() ? itemWidth + 4 : itemWidth);
  reopen({});  // nothing to show: the border only
  EXPECT_EQ(std::tuple(list->height(), list->ItemIndex()), std::tuple(4, -1));
}

TEST_F(CgEditList, AValueNotAmongTheItemsSelectsNothingAndEnterWritesEmptyText) {
  grid->SetCells(1, 1, "  banana ");
  TProbeEdit* e = Edit(1, 1);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(e->ListVisible);
  EXPECT_EQ(e->PickList->ItemIndex(), 2);  // trimmed, any case
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 1)), std::tuple(false, "  banana "));

  grid->SetCells(1, 2, "Cherry");
  e = Edit(1, 2);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(e->PickList->ItemIndex(), -1);
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 2)), std::tuple(false, ""));
  EXPECT_EQ(e->EditText(), "");  // the editor shows what the cell now holds
  EXPECT_TRUE(e->isVisible());   // Enter closed the list, not the editor
}

TEST_F(CgEditList, NearTheScreensBottomTheListOpensAboveTheCell) {
  const QRect screen = window.screen()->geometry();
  // The grid's last row a few pixels above the screen's bottom edge.
  const TRect last = grid->CellRect(1, grid->RowCount() - 1);
  const QPoint lastOnScreen = grid->viewport()->mapToGlobal(QPoint(last.Left, last.Bottom));
  window.move(window.pos() + QPoint(0, screen.bottom() - 5 - lastOnScreen.y()));
  QApplication::processEvents();
  TProbeEdit* e = Edit(1, grid->RowCount() - 1);
  e->ShowList();
  TPopupListbox* list = e->PickList;
  const QPoint p = e->mapToGlobal(QPoint(e->TextRect.Left, e->TextRect.Top));
  ASSERT_GT(p.y() + RectHeight(e->TextRect) + list->height(), screen.bottom() + 1);
  EXPECT_EQ(list->pos(), QPoint(p.x(), p.y() - list->height()));

  // Higher up it opens below again.
  e->CloseList(false);
  e = Edit(1, 1);
  e->ShowList();
  const QPoint q = e->mapToGlobal(QPoint(e->TextRect.Left, e->TextRect.Top));
  ASSERT_LE(q.y() + RectHeight(e->TextRect) + list->height(), screen.bottom() + 1);
  EXPECT_EQ(list->pos(), QPoint(q.x(), q.y() + RectHeight(e->TextRect)));
}

TEST_F(CgEditList, PressingTheArrowLosingTheFocusOrHidingTheEditorClosesTheListWithoutWriting) {
  grid->SetCells(1, 1, "Apple");
  TProbeEdit* e = Edit(1, 1);
  QTest::mouseClick(e, Qt::LeftButton, {}, e->Center(e->ArrowRect));
  ASSERT_TRUE(e->ListVisible);
  EXPECT_FALSE(e->ArrowPressed);  // released: drawn up again
  QTest::keyClick(e, Qt::Key_Down);  // another item selected
  EXPECT_EQ(e->PickList->ItemIndex(), 1);
  QTest::mousePress(e, Qt::LeftButton, {}, e->Center(e->ArrowRect));
  EXPECT_FALSE(e->ListVisible || e->Tracking);
  QTest::mouseRelease(e, Qt::LeftButton, {}, e->Center(e->ArrowRect));
  EXPECT_EQ(std::tuple(grid->Cells(1, 1), e->ListVisible), std::tuple("Apple", false));

  // Losing the focus or another widget taking over closes the list.
  e = Edit(1, 1);
  Keys(e, {Qt::AltModifier | Qt::Key_Down, Qt::Key_Down});
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(e->ListVisible || e->PickList->isVisible());
  EXPECT_EQ(grid->Cells(1, 1), "Apple");

  // The editor hidden by the grid takes its list along.
  e = Edit(1, 1);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(e->PickList->isVisible());
  grid->HideEditor();
  EXPECT_FALSE(e->ListVisible || e->PickList->isVisible());
}

TEST_F(CgEditList, KeysActOnTheOpenListAltUpAcceptsADragFromTheArrowOrAClickSelects) {
  TProbeEdit* e = Edit(1, 1);
  QTest::keyClick(e, Qt::Key_Up, Qt::AltModifier);
  ASSERT_TRUE(e->ListVisible);
  Keys(e, {Qt::Key_Down, Qt::Key_Down});
  EXPECT_EQ(e->PickList->ItemIndex(), 1);
  EXPECT_EQ(grid->Row(), 1);  // the grid did not move
  QTest::keyClick(e, Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 1), e->EditText()), std::tuple(false, "ABC", "ABC"));
  // Closed, the arrows are the grid's again.
  QTest::keyClick(e, Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 2);

  e = Edit(1, 1);
  const QPoint arrow = e->Center(e->ArrowRect);
  QTest::mousePress(e, Qt::LeftButton, {}, arrow);
  ASSERT_TRUE(e->ListVisible);
  EXPECT_EQ(std::pair(e->ArrowPressed, e->Tracking), std::pair(true, true));
  // Off the arrow but not yet over the list: drawn up, still followed.
  QTest::mouseMove(e, QPoint(arrow.x() - e->ArrowWidth, arrow.y()));
  EXPECT_EQ(std::pair(e->ArrowPressed, e->Tracking), std::pair(false, true));
  QTest::mouseMove(e, e->OverListRow(0));
  EXPECT_FALSE(e->Tracking);  // the list has the press now
  QTest::mouseMove(e, e->OverListRow(2));
  EXPECT_EQ(e->PickList->ItemIndex(), 2);
  QTest::mouseRelease(e, Qt::LeftButton, {}, e->OverListRow(2));
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 1), e->hasFocus()), std::tuple(false, "Banana", true));

  // A click in the open list takes the item clicked.
  QTest::mouseClick(e, Qt::LeftButton, {}, arrow);
  ASSERT_TRUE(e->ListVisible);
  TPopupListbox* list = e->PickList;
  const QRect row = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 1), e->hasFocus()), std::tuple(false, "ABC", true));
}

TEST_F(CgEditList, OnGetReadOnlyLetsAListValueThroughButTheColumnDoesNot) {
  grid->OnGetReadOnly = [](QObject*, int, int, bool& readOnly) { readOnly = true; };
  TProbeEdit* e = Edit(1, 1);
  ASSERT_TRUE(e->ReadOnly());
  QTest::keyClicks(e, "typed");
  EXPECT_EQ(grid->Cells(1, 1), "");
  Keys(e, {Qt::AltModifier | Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  EXPECT_EQ(grid->Cells(1, 1), "Apple");

  Column(1)->SetReadOnly(true);
  e = Edit(1, 2);
  Keys(e, {Qt::AltModifier | Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  EXPECT_EQ(std::tuple(e->ListVisible, grid->Cells(1, 2)), std::tuple(false, ""));
}

TEST_F(CgEditList, ScrollingTheGridClosesTheListAndKeepsTheText) {
  grid->SetRowCount(40);
  grid->SetCells(1, 6, "Apple");
  TProbeEdit* e = Edit(1, 6);
  Keys(e, {Qt::AltModifier | Qt::Key_Down, Qt::Key_Down});
  ASSERT_TRUE(e->PickList->isVisible());
  Wheel(grid->viewport(), QPoint(10, 50), 1);
  ASSERT_GT(grid->TopRow(), 1);
  ASSERT_TRUE(e->isVisible());  // the cell is still in view
  EXPECT_FALSE(e->ListVisible || e->PickList->isVisible());
  EXPECT_EQ(grid->Cells(1, 6), "Apple");
}

TEST_F(CgEditList, TypedSearchExtendsWithinTwoSecondsUpToThirtyTwoCharacters) {
  QStringList items{"alpha", "beta", "bravo", "brown", "charlie"};
  items << QString(40, QLatin1Char('z'));
  Column(1)->Items().SetList(items);
  TProbeEdit* e = Edit(1, 1);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  TPopupListbox* list = e->PickList;
  std::uint32_t now = 100000;
  list->TickCount = [&] { return now; };
  auto type = [&](QChar c, std::uint32_t at) { now = at; QTest::keyClicks(e, QString(c)); };
  type('b', 100000);
  EXPECT_EQ(list->ItemIndex(), 1);
  auto search = [&] { return std::pair(list->SearchText, list->ItemIndex()); };
  type('R', 101000);  // case does not count
  EXPECT_EQ(search(), std::pair(QString("bR"), 2));
  type('o', 103000);  // exactly 2000 ms later: still the same search
  EXPECT_EQ(search(), std::pair(QString("bRo"), 3));
  type('c', 105001);  // more than 2000 ms: a new search
  EXPECT_EQ(search(), std::pair(QString("c"), 4));
  type('q', 105100);  // no item begins with "cq": the selection stays
  EXPECT_EQ(list->ItemIndex(), 4);

  QTest::keyClick(e, Qt::Key_Backspace);  // starts over
  EXPECT_EQ(list->SearchText, "");
  for (int i = 0; i < 40; ++i) type('z', 106000 + i * 10);
  EXPECT_EQ(search(), std::pair(QString(32, QLatin1Char('z')), 5));
  // Typing in the list is no typing in the cell.
  EXPECT_EQ(std::pair(grid->Cells(1, 1), e->EditText()), std::pair(QString(), QString()));
}

}  // namespace

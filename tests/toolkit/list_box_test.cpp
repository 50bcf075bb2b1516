#include "toolkit/core/tick_count.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/list_box.h"

#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ListBox, RowsAreOneFontHeightAReleaseSelectsInClientCoordinatesTheItemsIndexFontAndColour) {
  TListBox list;
  TFont font;
  font.SetHeight(20);
  list.SetFont(font);
  list.SetItems({"one", "two", "three"});
  list.resize(120, 100);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  const int h = QFontMetrics(font.QtFont()).height();
  EXPECT_EQ(std::tuple(list.RowHeight(), list.visualItemRect(list.item(0)).height()), std::tuple(h, h));
  EXPECT_EQ(list.visualItemRect(list.item(1)).top(), h);

  struct TUp { Qt::MouseButton button; int x, y; int index; };
  std::vector<TUp> ups;
  list.OnMouseUp = [&](QObject* sender, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
    EXPECT_EQ(sender, &list);
    ups.push_back({b, x, y, list.ItemIndex()});
  };
  const int y = list.RowHeight() + 2;  // second row
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(7, y));
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(std::tuple(ups[0].button, ups[0].x, ups[0].y, ups[0].index), std::tuple(Qt::LeftButton, 7, y, 1));
  EXPECT_EQ(list.ClientRect(), TRect::FromQRect(list.viewport()->rect()));
  EXPECT_EQ(list.ClientRect().Left, 0);
  list.SetItems({"a", "b", "c"});
  EXPECT_EQ(std::tuple(list.Items(), list.ItemIndex()), std::tuple((QStringList{"a", "b", "c"}), -1));
  list.SetItemIndex(2);
  EXPECT_EQ(list.ItemIndex(), 2);
  list.SetItemIndex(3);  // out of range: nothing selected
  EXPECT_EQ(list.ItemIndex(), -1);
  list.SetItemIndex(1);
  list.SetItems({"x", "y"});
  EXPECT_EQ(list.ItemIndex(), -1);
  font.SetColor(clRed);
  list.SetFont(font);
  list.SetColor(QColor(1, 2, 3));
  list.SetItems({"text"});
  EXPECT_EQ(std::tuple(list.palette().color(QPalette::Text), list.palette().color(QPalette::Base), list.Color()),
            std::tuple(QColor(Qt::red), QColor(1, 2, 3), QColor(1, 2, 3)));
}

TEST(TickCount, GoesOnInMilliseconds) {
  const std::uint32_t start = GetTickCount();
  QTest::qWait(30);  // the clock under test moves on: nothing to wait for
  const std::uint32_t passed = GetTickCount() - start;
  EXPECT_GE(passed, 30u);
  EXPECT_LT(passed, 60000u);
}

}  // namespace

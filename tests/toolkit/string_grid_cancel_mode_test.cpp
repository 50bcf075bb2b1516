#include "tests/common/shown_window.h"
#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid.h"

#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <vector>

namespace {

struct TCancelProbe : TStringGrid {
  using TStringGrid::TStringGrid;
  std::vector<QObject*> senders;
  void CancelMode(QObject* Sender) override { senders.push_back(Sender); TStringGrid::CancelMode(Sender); }
};

// The grid, an edit box and a widget that takes no focus (like the program's speed buttons).
struct GridCancelMode : orvix::test::ShownWindowTest {
  void SetUp() override {
    grid = new TCancelProbe(&window);
    grid->setGeometry(0, 0, 300, 150);
    grid->SetRowCount(20);  // enough for a vertical scroll bar
    noFocus = new QWidget(&window);
    noFocus->setGeometry(110, 160, 60, 30);
    ASSERT_NO_FATAL_FAILURE(ShowWindow({420, 260}, {0, 160, 100, 20}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(150, 60));  // the user's click
    ASSERT_TRUE(grid->hasFocus());
    grid->senders.clear();
  }
  TCancelProbe* grid = nullptr;
  QWidget* noFocus = nullptr;
};

TEST_F(GridCancelMode, APressOnAnotherWidgetOfTheWindowComesFromThatWidgetOneOnTheGridFromTheGrid) {
  QTest::mouseClick(noFocus, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(grid->senders, std::vector<QObject*>{noFocus});
  EXPECT_TRUE(grid->hasFocus());  // the press took no focus, still the grid's
  grid->senders.clear();
  // A press on a child that does not take it is handed to the parent: one notification, from the child.
  auto* label = new QWidget(noFocus);
  label->setGeometry(0, 0, 20, 20);
  label->show();
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(grid->senders, std::vector<QObject*>{label});
  // A press on the grid itself, its scroll bar too, comes from the grid.
  grid->senders.clear();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 60));
  QScrollBar* bar = grid->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 20));
  EXPECT_EQ(grid->senders, (std::vector<QObject*>{grid, grid}));
}

TEST_F(GridCancelMode, APressOnTheEditorComesFromTheEditor) {
  grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goEditing});
  QTest::keyClick(grid, Qt::Key_F2);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  QWidget* editor = grid->InplaceEditor();
  grid->setFocus();  // the grid holds the focus while its editor shows
  grid->senders.clear();
  QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(3, 3));
  ASSERT_FALSE(grid->senders.empty());
  for (QObject* s : grid->senders) EXPECT_EQ(s, editor);
}

TEST_F(GridCancelMode, TheFocusMovingToAnotherWidgetComesFromThatWidget) {
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(grid->senders, std::vector<QObject*>{other});
  // Focus elsewhere: presses and focus moves among other widgets are not ours.
  grid->senders.clear();
  QTest::mouseClick(noFocus, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  noFocus->setFocusPolicy(Qt::StrongFocus);
  noFocus->setFocus();
  EXPECT_TRUE(grid->senders.empty());
}

TEST_F(GridCancelMode, AClickElsewhereMayNotifyTwiceFromTheSameWidget) {
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(other->hasFocus());
  ASSERT_FALSE(grid->senders.empty());
  for (QObject* s : grid->senders) EXPECT_EQ(s, other);
}

TEST_F(GridCancelMode, AModalBoxOrAPopupOpeningComesFromIt) {
  QDialog box(&window);  // exec() makes it modal
  QTimer::singleShot(0, &box, [&] { box.reject(); });
  box.exec();
  ASSERT_FALSE(grid->senders.empty());
  EXPECT_EQ(grid->senders.front(), &box);
  for (QObject* s : grid->senders) EXPECT_NE(s, grid);

  ASSERT_TRUE(orvix::test::ShowActive(window));
  grid->setFocus();
  grid->senders.clear();
  QMenu menu(&window);
  menu.addAction("Copy");
  menu.popup(window.mapToGlobal(QPoint(50, 50)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
  ASSERT_FALSE(grid->senders.empty());
  EXPECT_EQ(grid->senders.front(), &menu);
  menu.close();
}

TEST_F(GridCancelMode, OtherWindowsAndTooltipsAreNotTakingOver) {
  QWidget tip(nullptr, Qt::ToolTip);
  tip.setAttribute(Qt::WA_ShowWithoutActivating);
  tip.resize(40, 20);
  tip.show();
  QWidget elsewhere;  // a plain window of its own
  elsewhere.resize(50, 50);
  elsewhere.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
  QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(grid->senders.empty());
}

}  // namespace

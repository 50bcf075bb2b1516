#include "grid/cell_grid.h"
#include "grid/cg_hint_grid.h"
#include "tests/common/shown_window.h"
#include "tests/common/wait.h"
#include "tests/grid/wheel.h"
#include "toolkit/widgets/inplace_edit.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <iostream>
#include <optional>
#include <vector>

namespace {

using namespace orvix::test;

template <class TBase>
struct TProbe : TBase {
  TProbe() { this->setFrameShape(QFrame::NoFrame); this->SetScrollBars(TScrollStyle::ssNone); }
  using TBase::HintCell, TBase::HintCountdown, TBase::HintShowing, TBase::HintTimer, TBase::HintWindow;
  using TBase::MouseInside;

  // The test drives the ticks itself, only while the (frozen) timer runs, as the timer would.
  void FreezeTimer() { HintTimer->setInterval(24 * 3600 * 1000); }
  void Tick(int n) { for (int i = 0; i < n && HintTimer->isActive(); ++i) this->HintTimerTick(); }
  bool Armed() const { return HintTimer->isActive(); }
  bool PopupShown() const { return HintWindow->isVisible(); }
  // The popup, the grid's flag for it and the countdown, as one text.
  std::string State() const {
    std::string s = std::string(PopupShown() ? " popup" : "") + (this->HintShowing ? " showing" : "") +
                    (Armed() ? " armed" : "");
    return s.empty() ? "idle" : s.substr(1);
  }
};

// Row heights of 24: the string grid's.
using TProbeHintGrid = TProbe<TCgHintGrid>;

// Following the current cell, the grid moves the hint on every cell change and hides it when a cell is left.
struct TFocusCellGrid : TProbe<TCellGrid> { TFocusCellGrid() { SetHintFollowsMouse(false); } };

struct TMoveRecorder : QObject {
  QObject* receiver = nullptr;
  QPoint pos;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::MouseMove)
      std::tie(receiver, pos) = std::pair(o, static_cast<QMouseEvent*>(e)->position().toPoint());
    return false;
  }
};

struct TRequest {
  QObject* sender; int col, row; QPoint topLeft;
  bool operator==(const TRequest&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const TRequest& r) {
    return os << r.col << "," << r.row << " at " << r.topLeft.x() << "," << r.topLeft.y();
  }
};
using Cells = std::vector<std::pair<int, int>>;

template <typename TGrid>
struct HintFixture : ShownWindowTest {
  void SetUp() override {
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());  // over no window
    window.move(100, 100);
    grid = new TGrid;
    grid->setParent(&window);
    grid->setGeometry(10, 10, 400, 200);  // cells end at 325 x 125: 64 + 1 and 24 + 1 pixels each
    qApp->installEventFilter(&moves);
    noFocus = new QWidget(&window);  // takes no focus, like the speed buttons
    noFocus->setGeometry(150, 220, 60, 30);
    ASSERT_NO_FATAL_FAILURE(ShowWindow({480, 300}, {10, 220, 100, 20}, nullptr));
    other->setMouseTracking(true);
    other->setFocus();
    grid->OnShowCellHint = [this](QObject* sender, int c, int r, QString& hint, QPoint& topLeft) {
      requests.push_back({sender, c, r, topLeft});
      hint = text;
      if (placeAt) topLeft = *placeAt;
    };
    grid->FreezeTimer();
  }
  Cells Asked() const { Cells out; for (const TRequest& r : requests) out.emplace_back(r.col, r.row); return out; }
  void TearDown() override {
    qApp->removeEventFilter(&moves);
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
  }

  // Moves the pointer as a user does and waits until the widget has seen it (an X server takes its time).
  void MoveOver(QWidget* w, QPoint p) {
    QTest::mouseMove(w, p);
    (void)WaitUntil([&] { return moves.receiver == w && moves.pos == p; }, 2s);
  }
  void MoveTo(QPoint p) { MoveOver(grid->viewport(), p); }
  void RestOn(int c, int r) { MoveTo(Inside(c, r)); grid->Tick(TCgHintGrid::HintTicks); }
  QPoint Inside(int c, int r, int x = 5, int y = 5) const {
    return grid->CellRect(c, r).ToQRect().topLeft() + QPoint(x, y);
  }
  static void SetAppState(Qt::ApplicationState s) { emit qApp->applicationStateChanged(s); qApp->processEvents(); }
  // Another program's window becomes the active one. Without a window manager Qt may not report it: the test does.
  void SwitchAway() {
    elsewhere.setGeometry(600, 500, 100, 100);
    ASSERT_TRUE(ShowActive(elsewhere));
    SetAppState(Qt::ApplicationInactive);
  }
  // A shown hint: gone while another program is active, asked for again once this one is back.
  void ExpectHiddenAwayAndRearmedBack() {
    ASSERT_TRUE(grid->PopupShown());
    SwitchAway();
    EXPECT_EQ(grid->State(), "idle");
    ASSERT_TRUE(ShowActive(window));
    SetAppState(Qt::ApplicationActive);
    EXPECT_EQ(std::tuple(grid->State(), grid->HintCountdown), std::tuple("armed", TCgHintGrid::HintTicks));
    grid->Tick(60);
    EXPECT_EQ(requests.size(), 2u);
  }

  TGrid* grid = nullptr;
  QWidget* noFocus = nullptr;
  std::vector<TRequest> requests;
  QString text = "Voice message, 0:12";
  std::optional<QPoint> placeAt;
  QWidget elsewhere;
  TMoveRecorder moves;
};

using MouseHints = HintFixture<TProbeHintGrid>;
using FocusHints = HintFixture<TFocusCellGrid>;

TEST_F(MouseHints, RestingOnACellAsksOnceAfterSixtyTicks) {
  MoveTo(Inside(2, 3));
  EXPECT_EQ(std::tuple(grid->MouseInside, grid->State()), std::tuple(true, "armed"));
  grid->Tick(59);
  EXPECT_EQ(std::tuple(requests.empty(), grid->State()), std::tuple(true, "armed"));
  grid->Tick(1);
  // Default place: right of the cell, one row height (and a pixel) up, 4 down. Cell (2, 3): x 130..193, y 75..98.
  const QPoint expected = grid->viewport()->mapToGlobal(QPoint(194, 75 - 25 + 4));
  EXPECT_EQ(requests, (std::vector<TRequest>{{grid, 2, 3, expected}}));
  EXPECT_EQ(std::tuple(grid->State(), grid->HintWindow->Caption()), std::tuple("popup showing", "Voice message, 0:12"));
  EXPECT_EQ(grid->HintWindow->pos(), expected);
  grid->Tick(200);  // one arming, one request
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_TRUE(window.isActiveWindow() && other->hasFocus());  // the popup took nothing
}

TEST_F(MouseHints, TheRealTimerShowsTheHintAfterAtLeast600ms) {
  grid->HintTimer->setInterval(TCgHintGrid::HintTickInterval);
  QElapsedTimer clock;
  clock.start();
  MoveTo(Inside(1, 2));
  ASSERT_TRUE(WaitUntil([&] { return !requests.empty(); }, 3s));
  const qint64 elapsed = clock.elapsed();
  std::cout << "hint requested " << elapsed << " ms after the mouse reached the cell\n";
  EXPECT_GE(elapsed, 600);
  EXPECT_TRUE(grid->PopupShown());
  HandleEventsFor(600ms);  // resting on: no second request
  EXPECT_EQ(std::tuple(requests.size(), grid->PopupShown()), std::tuple(1u, true));
}

TEST_F(MouseHints, MovingWithinTheCellKeepsTheCountdownAnotherCellRestarts) {
  MoveTo(Inside(2, 2));
  grid->Tick(30);
  MoveTo(Inside(2, 2, 40, 20));
  EXPECT_EQ(grid->HintCountdown, 30);
  grid->Tick(30);
  ASSERT_EQ(requests.size(), 1u);
  MoveTo(Inside(2, 2, 20, 10));  // shown: moving within keeps it
  EXPECT_EQ(grid->State(), "popup showing");

  MoveTo(Inside(3, 2));
  EXPECT_EQ(std::tuple(grid->State(), grid->HintCountdown), std::tuple("armed", TCgHintGrid::HintTicks));
  grid->Tick(60);
  EXPECT_EQ(Asked(), (Cells{{2, 2}, {3, 2}}));
  EXPECT_TRUE(grid->PopupShown());
}

TEST_F(MouseHints, FixedCellsAreAskedLikeOthersPlacesPastTheCellsAreNot) {
  RestOn(0, 0);
  EXPECT_EQ(Asked(), (Cells{{0, 0}}));
  MoveTo(QPoint(350, 50));  // right of the last column, still in the grid
  EXPECT_EQ(grid->State(), "idle");
  MoveTo(QPoint(10, 24));  // on the line below row 0
  EXPECT_FALSE(grid->Armed());
  // Cells given from outside (the current cell, the editor's) are checked too.
  for (TGridCoord outside : {TGridCoord{5, 1}, TGridCoord{1, 5}, TGridCoord{-1, 2}}) {
    grid->SetHintCell(outside);
    EXPECT_FALSE(grid->Armed());
  }
  grid->SetHintCell({4, 4});
  EXPECT_TRUE(grid->Armed());
  grid->Tick(100);
  EXPECT_EQ(requests.size(), 2u);
}

TEST_F(MouseHints, ABlankHintShowsNothingAPaddedOneKeepsItsBlanks) {
  text = " \t\x01 \n ";
  RestOn(1, 1);
  EXPECT_EQ(std::tuple(requests.size(), grid->State()), std::tuple(1u, "idle"));

  text = "  Fax, 2 pages  ";
  RestOn(2, 1);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(std::tuple(grid->PopupShown(), grid->HintWindow->Caption()), std::tuple(true, "  Fax, 2 pages  "));
  const QFontMetrics fm(grid->HintWindow->font());
  EXPECT_EQ(grid->HintWindow->width(), fm.horizontalAdvance("  Fax, 2 pages  ") + 8);
}

TEST_F(MouseHints, AScrollEndsTheHintAndRearmsItForTheCellNowUnderThePointer) {
  grid->SetRowCount(30);
  const QPoint at = Inside(2, 3);
  MoveTo(at);
  grid->Tick(30);
  Wheel(grid->viewport(), at, 1);  // three rows down: row 6 is under the pointer
  ASSERT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(grid->HintCountdown, TCgHintGrid::HintTicks);
  grid->Tick(60);
  EXPECT_EQ(requests, (std::vector<TRequest>{{grid, 2, 6, grid->viewport()->mapToGlobal(QPoint(194, 75 - 25 + 4))}}));
  ASSERT_TRUE(grid->PopupShown());
  Wheel(grid->viewport(), at, -1);
  EXPECT_FALSE(grid->PopupShown());
  grid->Tick(60);
  EXPECT_EQ(Asked(), (Cells{{2, 6}, {2, 3}}));
}

TEST_F(MouseHints, WithoutAHandlerNothingIsEverShown) {
  grid->OnShowCellHint = nullptr;
  MoveTo(Inside(1, 1));
  EXPECT_TRUE(grid->Armed());
  grid->Tick(60);
  EXPECT_EQ(grid->State(), "idle");  // the countdown is over: no ticking on
  MoveTo(Inside(2, 1));
  grid->Tick(1000);
  EXPECT_FALSE(grid->PopupShown());
}

TEST_F(MouseHints, MovingOverTheShownPopupKeepsItLeavingTheGridHidesIt) {
  placeAt = grid->viewport()->mapToGlobal(Inside(3, 3, 20, 2));  // over the cell itself
  RestOn(3, 3);
  ASSERT_TRUE(grid->PopupShown());
  const QPoint overPopup = grid->viewport()->mapFromGlobal(grid->HintWindow->pos() + QPoint(5, 5));
  ASSERT_EQ(grid->MouseCell(overPopup.x(), overPopup.y()), (TGridCoord{3, 3}));
  MoveTo(overPopup);
  EXPECT_TRUE(grid->PopupShown());
  // Where the pointer entering the popup reads as leaving the grid.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(grid->viewport(), &leave);
  EXPECT_EQ(std::tuple(grid->MouseInside, grid->PopupShown(), requests.size()), std::tuple(true, true, 1u));

  MoveOver(other, QPoint(5, 5));
  EXPECT_EQ(std::tuple(grid->MouseInside, grid->State()), std::tuple(false, "idle"));
  // Armed but not yet shown: leaving disarms too.
  MoveTo(Inside(1, 1));
  grid->Tick(10);
  MoveOver(other, QPoint(5, 5));
  EXPECT_FALSE(grid->Armed());
  grid->Tick(100);
  EXPECT_EQ(requests.size(), 1u);
}

TEST_F(MouseHints, ThePopupIsMovedOntoTheScreen) {
  const QRect s = QGuiApplication::primaryScreen()->geometry();
  const struct {
    QPoint placeAt, corner;
    QPoint (QRect::*at)() const;  // the corner that meets the screen's edge
  } cases[] = {{{s.right() - 3, 200}, {s.right(), 200}, &QRect::topRight},
               {{200, s.bottom()}, {200, s.bottom()}, &QRect::bottomLeft},
               {{-30, -12}, s.topLeft(), &QRect::topLeft}};
  for (int col = 1; const auto& c : cases) {
    placeAt = c.placeAt;
    RestOn(col++, 1);
    EXPECT_EQ((grid->HintWindow->geometry().*c.at)(), c.corner) << c.placeAt.x() << "," << c.placeAt.y();
  }
}

TEST_F(MouseHints, SwitchingToAnotherProgramHidesComingBackRearms) {
  SetAppState(Qt::ApplicationActive);
  RestOn(2, 2);
  ExpectHiddenAwayAndRearmedBack();
  EXPECT_EQ(std::tuple(requests.back().col, grid->PopupShown()), std::tuple(2, true));
}

TEST_F(MouseHints, AGridWithoutParentOrInAnInactiveWindowNeverArms) {
  TProbeHintGrid alone;
  alone.resize(300, 150);
  ASSERT_TRUE(ShowActive(alone));
  alone.FreezeTimer();
  MoveOver(alone.viewport(), QPoint(100, 40));
  EXPECT_EQ(std::tuple(alone.MouseInside, alone.Armed()), std::tuple(true, false));

  SwitchAway();
  ASSERT_FALSE(window.isActiveWindow());
  MoveTo(Inside(2, 2));
  EXPECT_FALSE(grid->Armed() || grid->CanShowCellHint());
}

TEST_F(MouseHints, DestroyingTheGridTakesItsPopupAndItsHookAlong) {
  RestOn(2, 2);
  const QPointer<QWidget> popup(grid->HintWindow);
  ASSERT_TRUE(popup && popup->isVisible());
  delete grid;
  grid = nullptr;
  EXPECT_TRUE(popup.isNull());
  SetAppState(Qt::ApplicationInactive);  // must not reach the grid any more
  SetAppState(Qt::ApplicationActive);
}

struct TLoadingProbe : TProbeHintGrid {
  bool armedWhileLoading = false;

  void ReadProperties(const QJsonObject& properties) override {
    TProbeHintGrid::ReadProperties(properties);
    UpdateCellHint(true);
    armedWhileLoading = Armed();
    HintCountdown = 1;
    HintTimerTick();
  }
};

TEST_F(MouseHints, NothingChangesWhileLoading) {
  MoveTo(Inside(1, 1));
  ASSERT_TRUE(grid->Armed());
  TLoadingProbe loaded;
  loaded.setParent(&window);
  loaded.setGeometry(0, 0, 300, 150);
  loaded.show();
  loaded.OnShowCellHint = grid->OnShowCellHint;
  grid->SetHintFollowsMouse(false);
  loaded.LoadDefinition(grid->SaveDefinition());
  EXPECT_FALSE(loaded.HintFollowsMouse() || loaded.armedWhileLoading);
  EXPECT_EQ(std::tuple(loaded.HintCountdown, requests.empty()), std::tuple(1, true));  // the tick did not count
  QJsonObject bad{{"Properties", QJsonObject{{"HintFollowsMouse", "yes"}}}};
  EXPECT_THROW(loaded.LoadDefinition(bad), EInvalidGridDefinition);
}

TEST_F(FocusHints, TheUsersClickArmsForTheCurrentCellMovingItRestarts) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Inside(3, 2));
  ASSERT_TRUE(grid->hasFocus());
  EXPECT_EQ(std::tuple(grid->HintCell, grid->Armed()), std::tuple(TGridCoord{3, 2}, true));
  MoveTo(Inside(1, 3));  // the mouse does not matter
  EXPECT_EQ(grid->HintCell, (TGridCoord{3, 2}));
  grid->Tick(60);
  EXPECT_EQ(Asked(), (Cells{{3, 2}}));
  EXPECT_TRUE(grid->PopupShown() && grid->hasFocus());

  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(std::tuple(grid->HintCell, grid->PopupShown()), std::tuple(TGridCoord{3, 3}, false));
  EXPECT_EQ(grid->HintCountdown, TCgHintGrid::HintTicks);
  grid->Tick(30);
  QTest::keyClick(grid, Qt::Key_Right);
  EXPECT_EQ(grid->HintCountdown, TCgHintGrid::HintTicks);
  grid->Tick(60);
  EXPECT_EQ(Asked(), (Cells{{3, 2}, {4, 3}}));
}

TEST_F(FocusHints, AScrollRearmsForTheCurrentCellWhichShowsNothingOutOfView) {
  grid->SetRowCount(30);
  grid->setFocus(Qt::TabFocusReason);
  grid->Tick(30);
  Wheel(grid->viewport(), Inside(2, 2), 1);
  ASSERT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(grid->HintCountdown, TCgHintGrid::HintTicks);
  grid->Tick(60);
  EXPECT_EQ(std::tuple(requests.empty(), grid->PopupShown()), std::tuple(true, false));
}

TEST_F(FocusHints, APressOnAnotherControlOrLosingTheFocusHidesAShownHint) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Inside(2, 1));
  grid->Tick(60);
  ASSERT_TRUE(grid->PopupShown());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Inside(2, 1, 30));  // the grid itself: kept
  EXPECT_TRUE(grid->PopupShown());
  QTest::mouseClick(noFocus, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(grid->hasFocus());  // no focus change, yet the hint goes
  EXPECT_FALSE(grid->PopupShown());

  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Inside(1, 1));
  grid->Tick(60);
  ASSERT_TRUE(grid->PopupShown());
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(other->hasFocus());
  EXPECT_EQ(grid->State(), "idle");
}

TEST_F(FocusHints, MouseEnteringArmsOnlyWithTheFocusOnTheGridOrItsEditor) {
  grid->setFocus(Qt::TabFocusReason);
  grid->UpdateCellHint(false);
  MoveTo(Inside(2, 2));
  EXPECT_EQ(std::tuple(grid->Armed(), grid->HintCell), std::tuple(true, TGridCoord{1, 1}));

  MoveOver(other, QPoint(5, 5));
  EXPECT_TRUE(grid->Armed());  // leaving does not matter here
  grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goEditing});
  QTest::keyClick(grid, Qt::Key_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->hasFocus());
  grid->UpdateCellHint(false);
  MoveTo(Inside(3, 3));
  EXPECT_TRUE(grid->Armed());

  other->setFocus();
  EXPECT_FALSE(grid->Armed());
  MoveOver(other, QPoint(5, 5));
  MoveTo(Inside(2, 2));
  EXPECT_FALSE(grid->Armed());
  grid->Tick(100);
  EXPECT_TRUE(requests.empty());
}

TEST_F(FocusHints, SwitchingToAnotherProgramHidesComingBackRearms) {
  SetAppState(Qt::ApplicationActive);
  grid->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(grid->HintCell, (TGridCoord{1, 1}));
  grid->Tick(60);
  ExpectHiddenAwayAndRearmedBack();
  EXPECT_TRUE(grid->hasFocus());
}

}  // namespace

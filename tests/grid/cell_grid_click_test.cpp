// Pressing fixed cells and heading bands like buttons, with real mouse events on the viewport.

#include "tests/grid/cell_grid_probe.h"

using enum TGridOption;
using Rects = std::vector<TRect>;

namespace {

struct TClick {
  QObject* sender;
  int col, row, heading;
  Qt::MouseButton button;
  Qt::KeyboardModifiers shift;
  int x, y;
  bool trackingSeen, lookSeen;
  bool operator==(const TClick&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const TClick& c) {
    return os << c.col << "," << c.row << " heading " << c.heading << " button " << c.button << " shift "
              << c.shift.toInt() << " at " << c.x << "," << c.y << (c.trackingSeen ? " tracking" : "")
              << (c.lookSeen ? " pressed look" : "");
  }
};
using Clicks = std::vector<TClick>;

// Five 64-pixel columns, a 40-pixel title row: column 1 spans x 65..128, column 2 130..193, column 3 195..258,
// column 4 260..323; the title row y 0..39; row 1 y 41..60. Column 0 is a fixed column.
struct CellGridClick : ::testing::Test {
  void SetUp() override {
    grid.SetRowHeights(0, 40);
    grid.OnFixedCellClick = [this](QObject* sender, int c, int r, int heading, Qt::MouseButton button,
                                   Qt::KeyboardModifiers shift, int x, int y) {
      clicks.push_back({sender, c, r, heading, button, shift, x, y, grid.Tracking, grid.PressedLook});
    };
    grid.ShowClient(400, 200);
    grid.invalidated.clear();
  }
  QWidget* View() { return grid.viewport(); }
  void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(View(), b, {}, p); }
  void Move(QPoint p) { QTest::mouseMove(View(), p); }
  void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    QTest::mouseRelease(View(), b, m, p);
  }
  // A click as the handler sees it once the press is over.
  TClick Click(int col, int heading, QPoint at, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    return {&grid, col, 0, heading, b, m, at.x(), at.y(), false, false};
  }
  auto Pressed() const {
    return std::tuple(grid.PressedCol, grid.PressedRow, grid.PressedHeading, grid.PressedButton, grid.OverPressed);
  }
  void SpanColumnsOneToThree() {
    grid.Headings().Add()->SetCaption("Span");
    for (int c = 1; c <= 3; ++c) grid.ColumnAt(c)->SetHeadingIndex(0);
  }

  TProbeCellGrid grid;
  std::vector<TClick> clicks;
  static constexpr TRect kTitle1{65, 0, 129, 40};
};

TEST_F(CellGridClick, ALeftPressIsTrackedOnlyInsideTheEdgesOfAFixedCell) {
  // Column 1's title: 1 + 4 pixels off the left and right, 1 + 6 off top and bottom stay with the base grid.
  const struct { QPoint at; bool tracked; } cases[] = {
      {{70, 7}, true},   {{123, 32}, true}, {{69, 20}, false}, {{124, 20}, false},
      {{90, 6}, false},  {{90, 33}, false}, {{30, 72}, true},  // fixed column 0, row 2 (y 62..81)
      {{90, 72}, false},                                        // a normal cell
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at.x() << "," << c.at.y());
    Press(c.at);
    EXPECT_EQ(std::tuple(grid.Tracking, grid.PressedLook), std::tuple(c.tracked, c.tracked));
    Release(c.at);
    EXPECT_FALSE(grid.Tracking || grid.PressedLook);
  }
  EXPECT_EQ(clicks.size(), 3u);
  EXPECT_EQ(grid.Row(), 2) << "the press on the normal cell reached the base grid";
  EXPECT_EQ(grid.Col(), 1);
}

TEST_F(CellGridClick, PressAndReleaseOnACellClicksIt) {
  Press({90, 20});
  EXPECT_EQ(Pressed(), std::tuple(1, 0, -1, Qt::LeftButton, true));
  EXPECT_EQ(grid.invalidated, (Rects{kTitle1}));
  Move({100, 25});
  EXPECT_EQ(grid.invalidated.size(), 1u) << "moving within the cell changes no look";
  Release({100, 25}, Qt::LeftButton, Qt::ShiftModifier);
  // Neither tracked nor sunken any more: the press is over when the handler runs.
  EXPECT_EQ(clicks, (Clicks{Click(1, -1, {100, 25}, Qt::LeftButton, Qt::ShiftModifier)}));
  EXPECT_EQ(grid.invalidated, (Rects{kTitle1, kTitle1})) << "released: drawn raised again";
  EXPECT_EQ(grid.Row(), 1) << "the base grid saw nothing";
}

TEST_F(CellGridClick, DraggingOutAndReleasingClicksNothingDraggingBackInDoes) {
  Press({90, 20});
  Move({150, 20});  // onto column 2's title
  EXPECT_FALSE(grid.OverPressed || grid.PressedLook);
  EXPECT_TRUE(grid.Tracking);
  Move({90, 50});  // a data cell below
  EXPECT_EQ(grid.invalidated, (Rects{kTitle1, kTitle1}));
  Release({90, 50});
  EXPECT_EQ(std::tuple(clicks.empty(), grid.Tracking, grid.invalidated.size()), std::tuple(true, false, 2u));

  grid.invalidated.clear();
  Press({90, 20});
  Move({150, 20});
  Move({-20, 20});  // out of the grid altogether
  EXPECT_FALSE(grid.OverPressed);
  Move({110, 30});
  EXPECT_EQ(std::tuple(grid.PressedLook, grid.invalidated), std::tuple(true, Rects{kTitle1, kTitle1, kTitle1}));
  Release({110, 30});
  EXPECT_EQ(clicks, (Clicks{Click(1, -1, {110, 30})}));
}

TEST_F(CellGridClick, TheRightButtonIsTrackedAnywhereInTheCellButNeverSunken) {
  Press({66, 1}, Qt::RightButton);  // in the edge a left press leaves alone
  EXPECT_EQ(std::pair(grid.Tracking, grid.PressedLook), std::pair(true, false));
  EXPECT_EQ(Pressed(), std::tuple(1, 0, -1, Qt::RightButton, true));
  Move({150, 20});
  EXPECT_FALSE(grid.OverPressed);
  Move({100, 30});
  EXPECT_EQ(std::tuple(grid.OverPressed, grid.PressedLook), std::tuple(true, false));
  Release({100, 30}, Qt::RightButton);
  EXPECT_TRUE(grid.invalidated.empty()) << "the look never changed";
  Press({90, 20}, Qt::MiddleButton);
  Release({90, 20}, Qt::MiddleButton);
  EXPECT_EQ(clicks, (Clicks{Click(1, -1, {100, 30}, Qt::RightButton), Click(1, -1, {90, 20}, Qt::MiddleButton)}));
  EXPECT_TRUE(grid.invalidated.empty());
}

TEST_F(CellGridClick, HeadingBandsLieInTheUpperHalfOfTheTitleRowAndClickInAnyOfTheirColumns) {
  SpanColumnsOneToThree();
  const TRect band{65, 0, 259, 18};
  Press({90, 10});
  EXPECT_EQ(std::tuple(grid.PressedHeading, grid.PressedLook, grid.invalidated), std::tuple(0, true, Rects{band}));
  Move({220, 12});  // column 3's part of the band
  EXPECT_EQ(std::tuple(grid.PressedLook, grid.invalidated.size()), std::tuple(true, 1u));
  Move({220, 25});  // column 3's own caption, below the band
  EXPECT_EQ(std::tuple(grid.OverPressed, grid.invalidated), std::tuple(false, Rects{band, band}));
  Move({150, 12});
  EXPECT_TRUE(grid.PressedLook);
  Move({300, 12});  // column 4: another heading (none)
  EXPECT_FALSE(grid.OverPressed);
  Move({220, 12});
  Release({220, 12});
  EXPECT_EQ(std::tuple(clicks, grid.invalidated.size()), std::tuple(Clicks{Click(3, 0, {220, 12})}, 6u));

  // A press on a caption below the band is a plain cell press: the band above it is not that cell.
  Press({150, 28});
  EXPECT_EQ(std::tuple(grid.PressedHeading, grid.PressedLook), std::tuple(-1, true));
  Move({150, 12});
  EXPECT_FALSE(grid.OverPressed);
  Release({150, 12});
  EXPECT_EQ(clicks.size(), 1u);

  // The band ends at 40 / 2 - 2; column 0 has no heading; x 129 is the line between two columns.
  const struct { int x, y, heading; } cases[] = {{90, 10, 0}, {258, 0, 0}, {90, 17, 0}, {90, 18, -1}, {30, 10, -1},
      {300, 10, -1}, {129, 10, -1}, {90, 50, -1}, {-1, 5, -1}, {500, 5, -1}};
  for (const auto& c : cases) EXPECT_EQ(grid.HeadingAt(c.x, c.y), c.heading) << c.x << "," << c.y;
  grid.ColumnAt(4)->SetHeadingIndex(7);  // not checked against Headings
  EXPECT_EQ(grid.HeadingAt(300, 10), 7);
}

TEST_F(CellGridClick, TheBandRepaintedIsTheVisiblePartOfTheSpan) {
  SpanColumnsOneToThree();
  // Column 3 starts right at the client edge: it has no rectangle.
  grid.resize(195, 200);
  QApplication::processEvents();
  ASSERT_EQ(std::tuple(grid.CellRect(3, 0).IsEmpty(), grid.VisibleColCount()), std::tuple(true, 2));
  grid.invalidated.clear();
  Press({90, 10});
  EXPECT_EQ(grid.invalidated, (Rects{TRect{65, 0, 194, 18}}));
  Release({90, 10});
}

TEST_F(CellGridClick, TheEdgesOfATitleCellStillMoveColumnsWithoutColumnClickTheWholeCellDoes) {
  grid.NameColumns({"A", "B", "C", "D", "E"});
  grid.SetOptions(grid.Options() + TGridOptions{goColMoving});
  Press({67, 20});  // 2 pixels into column 1's title
  EXPECT_FALSE(grid.Tracking);
  Move({150, 20});
  Move({220, 20});
  Release({220, 20});
  EXPECT_EQ(grid.ColumnNames(), (std::vector<std::string>{"A", "C", "D", "B", "E"}));
  EXPECT_TRUE(clicks.empty());

  // The middle of the cell is a press, not a move.
  Press({90, 20});
  Move({150, 20});
  Release({220, 20});
  EXPECT_EQ(grid.ColumnNames(), (std::vector<std::string>{"A", "C", "D", "B", "E"}));
  EXPECT_TRUE(clicks.empty());

  // Without column click fixed cells are the base grid's alone.
  grid.SetCellColumnClick(false);
  grid.invalidated.clear();
  Press({90, 20});
  EXPECT_FALSE(grid.Tracking || grid.PressedLook);
  Move({150, 20});
  Move({220, 20});
  Release({220, 20});
  EXPECT_EQ(grid.ColumnNames(), (std::vector<std::string>{"A", "D", "B", "C", "E"}));
  Press({100, 20}, Qt::RightButton);
  Release({100, 20}, Qt::RightButton);
  EXPECT_TRUE(clicks.empty() && grid.invalidated.empty());
}

TEST_F(CellGridClick, APopupOpeningEndsThePressWithoutAClick) {
  Press({90, 20});
  ASSERT_TRUE(grid.hasFocus());
  QWidget popup(nullptr, Qt::Popup);
  popup.resize(50, 50);
  popup.show();
  EXPECT_FALSE(grid.Tracking || grid.PressedLook);
  EXPECT_EQ(grid.invalidated, (Rects{kTitle1, kTitle1}));
  popup.close();
  Release({90, 20});
  EXPECT_TRUE(clicks.empty());
}

}  // namespace

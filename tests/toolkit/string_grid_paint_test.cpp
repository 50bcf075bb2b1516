#include "tests/common/pixels.h"
#include "tests/common/shown_window.h"
#include "tests/toolkit/string_grid_probe.h"

#include <QBackingStore>
#include <QScreen>
#include <QPainter>

#include <set>
#include <stdexcept>

using enum TGridOption;
using enum TGridDrawStateFlag;

namespace {

const QColor kUnpainted(255, 0, 255);
const QColor kSilver(192, 192, 192);
const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);

// Whatever the grid leaves alone stays kUnpainted.
QImage Render(TStringGrid& grid, qreal scale = 1) {
  QImage img(grid.viewport()->size() * scale, QImage::Format_RGB32);
  img.setDevicePixelRatio(scale);
  img.fill(kUnpainted);
  grid.viewport()->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  return img;
}

QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

void SetUpMessageGrid(TProbeGrid& grid, QWidget* window = nullptr, QRect geometry = {}) {
  if (window) {
    grid.setParent(window);
    grid.SetScrollBars(TScrollStyle::ssNone);
    grid.setGeometry(geometry);
  }
  SetMessageGridLayout(grid);
  grid.SetColor(kBlue);
}

TEST(GridPaint, WithoutDefaultDrawingCellsAreLeftToDrawCellWithTheirRectangleAndState) {
  QWidget window;
  auto* grid = new TProbeGrid;
  SetUpMessageGrid(*grid, &window, {0, 0, 400, 150});
  ASSERT_TRUE(orvix::test::ShowActive(window));
  grid->setFocus();
  grid->draws.clear();
  const QImage img = Render(*grid);

  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 6; ++r) {
      const TRect rect = grid->CellRect(c, r);
      EXPECT_EQ(At(img, rect.Left, rect.Top), kUnpainted) << c << "," << r;
      EXPECT_EQ(At(img, rect.Right - 1, rect.Bottom - 1), kUnpainted) << c << "," << r;
    }
  EXPECT_EQ(grid->draws.size(), 24u);
  std::set<std::pair<int, int>> focused;
  for (const TDrawCall& d : grid->draws) if (d.state.Contains(gdFocused)) focused.insert({d.col, d.row});
  EXPECT_EQ(focused, (std::set<std::pair<int, int>>{{0, 1}})) << "only the current cell, while focused";
  // Rows of 20 + 1; outside the cells the grid colour: columns end at 45+80+80+159+4 = 368, rows at 126.
  ExpectPixels(img, {{10, 20, kBlack, "below title cell (0,0)"}, {45, 5, kBlack, "right of title cell (0,0)"},
                     {45, 30, kSilver, "right of (0,1)"}, {10, 41, kSilver, "below (0,1)"}, {368, 10, kBlue},
                     {399, 149, kBlue}, {10, 126, kBlue}});

  grid->SetRow(2);
  grid->clearFocus();
  grid->draws.clear();
  Render(*grid);
  ASSERT_EQ(grid->draws.size(), 24u);
  for (const TDrawCall& d : grid->draws) {
    EXPECT_EQ(std::tuple(d.rect, d.state.Contains(gdFixed)), std::tuple(grid->CellRect(d.col, d.row), d.row == 0));
    EXPECT_EQ(d.state.Contains(gdSelected), d.row == 2) << d.col << "," << d.row;  // the whole row
    EXPECT_FALSE(d.state.Contains(gdFocused));  // the grid has no focus
  }
}

TEST(GridPaint, OnDrawCellFollowsDrawCellOnACanvasThatExistsOnlyDuringThePaint) {
  TProbeGrid grid;
  grid.ShowClient(200, 100);
  EXPECT_EQ(grid.Canvas(), nullptr);
  std::vector<std::string> order;
  grid.paintCell = [&](QPainter& p, int c, int r, const TRect&, TGridDrawState) {
    EXPECT_EQ(&p, grid.Canvas());
    if (c == 1 && r == 1) order.push_back("DrawCell");
  };
  grid.OnDrawCell = [&](QObject* sender, int c, int r, const TRect& rect, TGridDrawState state) {
    EXPECT_EQ(sender, &grid);
    if (c == 1 && r == 1) {
      order.push_back("OnDrawCell");
      EXPECT_EQ(std::tuple(rect, state.Contains(gdFixed)), std::tuple(grid.CellRect(1, 1), false));
    }
  };
  Render(grid);
  EXPECT_EQ(order, (std::vector<std::string>{"DrawCell", "OnDrawCell"}));
  EXPECT_EQ(grid.Canvas(), nullptr);
}

TEST(GridPaint, DefaultDrawingPaintsBackgrounds) {
  TProbeGrid grid;
  grid.SetOptions(grid.Options() + TGridOptions{goRowSelect});
  grid.SetFixedColor(QColor(200, 200, 0));
  grid.SetColor(QColor(255, 255, 255));
  grid.ShowClient(400, 200);
  grid.SetRow(2);
  const QImage img = Render(grid);
  ExpectPixels(img, {{3, 3, QColor(200, 200, 0), "fixed corner"}, {100, 40, QColor(255, 255, 255), "(1,1)"},
                     {200, grid.CellRect(2, 2).Bottom - 2, grid.palette().color(QPalette::Highlight), "selected row"},
                     {129, 40, kSilver, "between normal cells"}, {64, 40, kBlack, "right of the fixed column"},
                     {129, 10, kBlack, "right of a title cell"}});
}

TEST(GridPaint, WideLinesAndLinesSwitchedOff) {
  TProbeGrid grid;
  grid.SetDefaultDrawing(false);
  grid.SetGridLineWidth(3);
  grid.SetColor(kBlue);
  grid.SetOptions({goFixedVertLine, goFixedHorzLine, goHorzLine});  // no vertical lines between normal cells
  grid.ShowClient(400, 200);
  const QImage img = Render(grid);
  const int right = grid.CellRect(1, 1).Right;
  ExpectPixels(img, {{64, 40, kBlack, "fixed column line: x 64..66"}, {65, 40, kBlack}, {66, 40, kBlack},
                     {67, 40, kUnpainted, "cell (1,1) starts at 67"}, {right, 40, kBlue}, {right + 1, 40, kBlue},
                     {right + 2, 40, kBlue}, {100, 51, kSilver, "normal line below row 1: y 51..53"},
                     {100, 52, kSilver}, {100, 53, kSilver}});
}

TEST(GridPaint, OnlyTheCellsInViewArePainted) {
  TProbeGrid grid;
  grid.SetColCount(4);
  grid.SetRowCount(100000);
  grid.ShowClient(300, 200);  // rows of 25 px: the title row and rows 1..7
  grid.draws.clear();
  Render(grid);
  EXPECT_EQ(grid.draws.size(), 4u * 8u);
  grid.SetTopRow(99999);  // clamped to 99993: rows 99993..99999 fill the bottom
  grid.draws.clear();
  Render(grid);
  EXPECT_EQ(grid.draws.size(), 4u * 8u);
  for (const TDrawCall& d : grid.draws) EXPECT_TRUE(d.row == 0 || d.row >= 99993) << d.row;
}

TEST(GridPaint, AFailingCellDoesNotStopThePaintAnInvalidatedCellRepaintsOnlyAroundIt) {
  TProbeGrid grid;
  grid.SetDefaultDrawing(false);
  grid.ShowClient(300, 120);
  grid.paintCell = [](QPainter& p, int c, int r, const TRect& rect, TGridDrawState) {
    if (c == 1 && r == 1) throw std::runtime_error("bad cell");
    p.fillRect(rect.ToQRect(), Qt::green);
  };
  const QImage img = Render(grid);
  EXPECT_EQ(At(img, grid.CellRect(2, 2).Left + 1, grid.CellRect(2, 2).Top + 1), QColor(Qt::green));
  EXPECT_TRUE(grid.paintFailures.empty());  // reported after the paint
  QApplication::processEvents();
  EXPECT_EQ(grid.paintFailures, (std::vector<std::string>{"1,1 bad cell"}));
  grid.draws.clear();
  grid.InvalidateCell(2, 2);
  grid.viewport()->repaint(grid.viewport()->visibleRegion().boundingRect().intersected(grid.CellRect(2, 2).ToQRect()));
  ASSERT_FALSE(grid.draws.empty());
  for (const TDrawCall& d : grid.draws) EXPECT_EQ(std::pair(d.col, d.row), std::pair(2, 2));
}

}  // namespace

// A replaced window buffer (Qt on Wayland adding its title bar) is one update of the whole window.
TEST(GridPaint, ARepaintOfTheWholeWindowPaintsTheCellsAgain) {
  QWidget window;
  window.resize(300, 150);
  auto* grid = new TProbeGrid;
  SetUpMessageGrid(*grid, &window, {0, 20, 300, 130});
  grid->paintCell = [](QPainter& p, int, int, const TRect& r, TGridDrawState) { p.fillRect(r.ToQRect(), Qt::green); };
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QApplication::processEvents();

  QBackingStore* store = window.backingStore();
  ASSERT_NE(store, nullptr);
  store->beginPaint(QRect(QPoint(), window.size()));
  QPainter(store->paintDevice()).fillRect(QRect(QPoint(), window.size()), kUnpainted);
  store->endPaint();
  window.update();
  QApplication::processEvents();

  const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
  const TRect cell = grid->CellRect(1, 2);
  EXPECT_EQ(shown.pixelColor(cell.Left + 5, 20 + cell.Top + 5).name(), QColor(Qt::green).name());
}

// Thicknesses in device pixels of the runs of line colour down column `at` or across row `at`.
std::vector<int> LineRuns(const QImage& img, int at, bool down) {
  std::vector<int> runs;
  int run = 0;
  const int n = down ? img.height() : img.width();
  for (int i = 0; i < n; ++i) {
    const QColor c = down ? img.pixelColor(at, i) : img.pixelColor(i, at);
    if (c == kSilver || c == kBlack) ++run;
    else if (run > 0) { runs.push_back(run); run = 0; }
  }
  if (run > 0) runs.push_back(run);
  return runs;
}

TEST(GridPaint, LinesAreEvenlyThickAtEveryScale) {
  TProbeGrid grid;
  SetUpMessageGrid(grid);
  grid.SetRowCount(9);
  grid.paintCell = [](QPainter& p, int, int, const TRect& r, TGridDrawState) { p.fillRect(r.ToQRect(), Qt::green); };
  grid.ShowClient(400, 200);
  for (qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0}) {
    SCOPED_TRACE(scale);
    const QImage img = Render(grid, scale);
    const int thickness = std::max(1, qRound(scale));
    EXPECT_EQ(LineRuns(img, qRound(100 * scale), true), std::vector<int>(9, thickness)) << "down";
    EXPECT_EQ(LineRuns(img, qRound(50 * scale), false), std::vector<int>(4, thickness)) << "across";
  }
}

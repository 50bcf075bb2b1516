// Paint and scroll cost of the string grid: a 100-row grid and a 100,000-row
// grid with the same viewport, measured side by side in one run.
//
//   string_grid_bench [--reps N] [--snapshot FILE.png]
//
// --snapshot renders a grid set up like the main window's message grid to a
// PNG (as configured, and with default drawing on so the texts show).

#include "grid/cell_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::unique_ptr<TStringGrid> MakeGrid(int rows) {
  auto grid = std::make_unique<TStringGrid>();
  grid->SetColCount(4);
  grid->SetFixedCols(0);
  grid->SetRowCount(rows);
  grid->SetDefaultRowHeight(20);
  grid->SetOptions({TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                    TGridOption::goHorzLine, TGridOption::goRowSelect, TGridOption::goThumbTracking});
  grid->SetScrollBars(TScrollStyle::ssVertical);
  const int widths[] = {45, 80, 80, 159};
  for (int c = 0; c < 4; ++c) grid->SetColWidths(c, widths[c]);
  for (int r = 1; r < rows; ++r) {
    grid->SetCells(0, r, QString::number(r));
    grid->SetCells(1, r, r % 3 ? "Voice" : "Fax");
    grid->SetCells(2, r, QString("%1 s").arg(r % 97));
    grid->SetCells(3, r, "12/03/2024 10:41");
  }
  grid->resize(400, 400);
  grid->show();
  QApplication::processEvents();
  return grid;
}

void Paint(TStringGrid& grid, QImage& img) {
  QPainter p(&img);
  grid.viewport()->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
}

struct TResult {
  double paintUs = 0;   // per paint of the whole viewport
  double scrollUs = 0;  // per scroll step (scroll bar move + paint)
};

void Snapshot(const char* file) {
  TCellGrid grid;
  grid.SetColCount(4);
  grid.SetFixedCols(0);
  grid.SetRowCount(6);
  grid.SetDefaultRowHeight(20);
  grid.SetOptions({TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                   TGridOption::goHorzLine, TGridOption::goDrawFocusSelected, TGridOption::goRowSelect,
                   TGridOption::goThumbTracking});
  grid.SetScrollBars(TScrollStyle::ssVertical);
  grid.SetDefaultDrawing(false);
  const int widths[] = {45, 80, 80, 159};
  for (int c = 0; c < 4; ++c) grid.SetColWidths(c, widths[c]);
  const char* titles[] = {"#", "Type", "Duration", "Receive Time"};
  for (int c = 0; c < 4; ++c) grid.SetCells(c, 0, titles[c]);
  const char* rows[][4] = {{"1", "Voice", "12 s", "03/12/24 10:41"},
                           {"2", "Fax", "2 pages", "03/12/24 11:02"},
                           {"3", "Voice", "40 s", "Clock was OFF"},
                           {"4", "Data", "1 s", "04/12/24 08:15"},
                           {"5", "Voice", "7 s", "04/12/24 09:30"},
                           {"6", "Voice", "9 s", "04/12/24 09:31"},
                           {"7", "Fax", "1 pages", "05/12/24 17:00"}};
  for (int r = 0; r < 7; ++r) {
    if (r + 1 >= grid.RowCount()) grid.SetRowCount(r + 2);
    for (int c = 0; c < 4; ++c) grid.SetCells(c, r + 1, rows[r][c]);
  }
  grid.resize(390, 128);
  grid.show();
  grid.SetRow(1);
  QApplication::processEvents();
  QImage both(390, 128 * 2 + 8, QImage::Format_RGB32);
  both.fill(Qt::magenta);  // what the grid leaves unpainted shows magenta
  {
    QPainter p(&both);
    grid.render(&p, QPoint(0, 0), QRegion(), QWidget::DrawChildren);
    grid.SetDefaultDrawing(true);
    grid.render(&p, QPoint(0, 136), QRegion(), QWidget::DrawChildren);
  }
  both.save(file);
  std::printf("snapshot written to %s\n", file);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int reps = 2000;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--reps") && i + 1 < argc) reps = std::atoi(argv[++i]);
    if (!std::strcmp(argv[i], "--snapshot") && i + 1 < argc) {
      Snapshot(argv[++i]);
      return 0;
    }
  }

  QElapsedTimer build;
  build.start();
  auto small = MakeGrid(100);
  auto large = MakeGrid(100000);
  std::printf("set-up of both grids (texts of 100,100 rows): %.1f ms\n", build.nsecsElapsed() / 1e6);
  std::printf("viewport %dx%d, rows in view %d, repetitions %d\n", large->viewport()->width(),
              large->viewport()->height(), large->VisibleRowCount(), reps);

  QImage img(small->viewport()->size(), QImage::Format_RGB32);
  TResult rs, rl;
  // Interleaved so that both grids see the same machine noise.
  qint64 tSmall = 0, tLarge = 0;
  for (int i = 0; i < reps; ++i) {
    QElapsedTimer t;
    t.start();
    Paint(*small, img);
    tSmall += t.nsecsElapsed();
    t.restart();
    Paint(*large, img);
    tLarge += t.nsecsElapsed();
  }
  rs.paintUs = tSmall / 1e3 / reps;
  rl.paintUs = tLarge / 1e3 / reps;

  // Scrolling: move the scroll bar (as thumb tracking does) and paint.
  tSmall = tLarge = 0;
  QScrollBar* bs = small->verticalScrollBar();
  QScrollBar* bl = large->verticalScrollBar();
  for (int i = 0; i < reps; ++i) {
    QElapsedTimer t;
    t.start();
    bs->setValue((i * 37) % (bs->maximum() + 1));
    Paint(*small, img);
    tSmall += t.nsecsElapsed();
    t.restart();
    bl->setValue(static_cast<int>((static_cast<long long>(i) * 48271) % (bl->maximum() + 1)));
    Paint(*large, img);
    tLarge += t.nsecsElapsed();
  }
  rs.scrollUs = tSmall / 1e3 / reps;
  rl.scrollUs = tLarge / 1e3 / reps;

  std::printf("%-12s %14s %18s\n", "grid", "paint (us)", "scroll+paint (us)");
  std::printf("%-12s %14.1f %18.1f\n", "100 rows", rs.paintUs, rs.scrollUs);
  std::printf("%-12s %14.1f %18.1f\n", "100000 rows", rl.paintUs, rl.scrollUs);
  std::printf("ratio large/small: paint %.2f, scroll %.2f\n", rl.paintUs / rs.paintUs, rl.scrollUs / rs.scrollUs);
  return 0;
}

// Paint cost of the message grid: the window's grid (its own definition and
// font, 390 x 128 pixels) with 100 and with 100,000 messages, and in the same
// run a QTableWidget with the same contents, column widths, row heights,
// centred texts and selected row. Each paint renders the whole widget (title
// row or header, cells, scroll bar) into an image; the four are interleaved
// so that they see the same machine noise.
//
//   cell_grid_bench [--reps N] [--images DIR] [--snapshot FILE.png]
//
// --images saves what the four paints show (DIR/grid-100.png ...), to check
// that both draw the same thing.
// --snapshot renders a grid showing what the control can do (headings,
// formats, images, borders, a pressed title) for docs/grid.md, and exits.

#include "grid/cell_grid.h"
#include "toolkit/widgets/font_substitutes.h"
#include "toolkit/widgets/image_list.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#ifndef ORVIX_BUILD_TYPE
#define ORVIX_BUILD_TYPE "unknown"
#endif

// The window's definitions are built into the program's library.
static void InitWindowDefinitions() { Q_INIT_RESOURCE(form_main); }

namespace {

const char* const kCaptions[] = {"#", "Type", "Duration", "Receive Time"};
const int kWidths[] = {45, 80, 80, 159};

// Row r (from 1) of the list, as the window writes it.
QString Text(int c, int r) {
  switch (c) {
    case 0: return QString::number(r);
    case 1: return r % 3 ? "Voice" : "Fax";
    case 2: return r % 3 ? QString("%1 sec.").arg(r % 97) : QString("%1 pag.").arg(r % 7 + 1);
    // The window's long date and time: too long for the column.
    default: return QString("Friday, 14 March 2025 %1:%2:00").arg(10 + r % 14).arg(r % 60, 2, 10, QChar('0'));
  }
}

QFont WindowFont() {
  QFont font(SubstituteFontFamily("MS Sans Serif"));
  font.setBold(true);
  font.setPixelSize(11);
  return font;
}

std::unique_ptr<TCellGrid> MessageGrid(int messages) {
  InitWindowDefinitions();
  QFile file(":/forms/GridMsgStore.json");
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "the window definition of the grid is missing\n");
    std::exit(1);
  }
  auto grid = std::make_unique<TCellGrid>();
  grid->setFont(WindowFont());
  grid->LoadDefinitionText(file.readAll());
  grid->SetRowCount(messages + 1);
  for (int r = 1; r <= messages; ++r)
    for (int c = 0; c < 4; ++c) grid->SetCells(c, r, Text(c, r));
  grid->resize(390, 128);
  grid->SetRow(1);
  grid->show();
  return grid;
}

std::unique_ptr<QTableWidget> Table(int messages) {
  auto table = std::make_unique<QTableWidget>(messages, 4);
  table->setFont(WindowFont());
  for (int c = 0; c < 4; ++c) {
    table->setHorizontalHeaderItem(c, new QTableWidgetItem(kCaptions[c]));
    table->setColumnWidth(c, kWidths[c]);
  }
  table->verticalHeader()->hide();
  table->verticalHeader()->setMinimumSectionSize(1);
  table->verticalHeader()->setDefaultSectionSize(21);  // 20 and the grid line
  table->horizontalHeader()->setFixedHeight(21);
  table->horizontalHeader()->setFont(WindowFont());
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int r = 0; r < messages; ++r)
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(Text(c, r + 1));
      item->setTextAlignment(Qt::AlignCenter);
      table->setItem(r, c, item);
    }
  table->resize(390, 128);
  table->selectRow(0);
  table->show();
  return table;
}

void Render(QWidget& w, QImage& img) {
  QPainter p(&img);
  w.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// A grid showing the control's looks, for the documentation.
void Snapshot(const char* file) {
  TCellGrid grid;
  grid.setFont(WindowFont());
  grid.SetColCount(5);
  grid.SetRowCount(5);
  grid.SetFixedCols(1);
  grid.SetOptions({TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                   TGridOption::goHorzLine, TGridOption::goRowSelect, TGridOption::goDrawFocusSelected});
  grid.SetRowHeights(0, 40);
  const int widths[] = {30, 110, 90, 90, 130};
  for (int c = 0; c < 5; ++c) grid.SetColWidths(c, widths[c]);
  grid.Headings().Add()->SetCaption("Payment");
  const char* captions[] = {"", "Customer", "Amount", "Rate", "Due"};
  for (int c = 0; c < 5; ++c) {
    grid.ColumnAt(c)->SetCaption(captions[c]);
    grid.ColumnAt(c)->SetColumnVAlignment(TcgVAlignment::cgvaCenter);
  }
  for (int c = 2; c <= 3; ++c) grid.ColumnAt(c)->SetHeadingIndex(0);
  TcgColumn& amount = *grid.ColumnAt(2);
  amount.SetFormatType(TcgFormatType::cgfmtNumeric);
  amount.SetPrefix("$");
  amount.SetNegativeParenthesis(true);
  amount.SetColumnHAlignment(TAlignment::taRightJustify);
  TcgColumn& rate = *grid.ColumnAt(3);
  rate.SetFormatType(TcgFormatType::cgfmtScientific);
  rate.SetColumnHAlignment(TAlignment::taRightJustify);
  TcgColumn& due = *grid.ColumnAt(4);
  due.SetFormatType(TcgFormatType::cgfmtDateTime);
  due.SetDateFormat(8);
  due.SetColumnColor(ColorFromRgb(0xff, 0xf8, 0xe0));
  TcgBorder line;
  line.SetStyle(TcgBorderStyle::cgbrdDot);
  line.SetColor(clGray);
  due.SetLeftBorder(line);
  TcgColumn& customer = *grid.ColumnAt(1);
  customer.ColumnFont().SetName(SubstituteFontFamily("MS Sans Serif"));
  customer.ColumnFont().SetHeight(11);
  const char* rows[][4] = {{"Ada Lovelace", "1234.5", "0.000123", "3/7/2024"},
                           {"Charles Babbage", "-80", "6.02e23", "12/24/2024"},
                           {"Grace Hopper", "abc", "42", "1/2/2025"},
                           {"Alan Turing", "", "", ""}};
  for (int r = 0; r < 4; ++r) {
    grid.SetCells(0, r + 1, QString::number(r + 1));
    for (int c = 0; c < 4; ++c) grid.SetCells(c + 1, r + 1, rows[r][c]);
  }
  TImageList marks(12, 12);
  QImage dot(12, 12, QImage::Format_ARGB32_Premultiplied);
  dot.fill(Qt::transparent);
  {
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x30, 0x8c, 0xc6));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 10, 10);
  }
  marks.Add(dot);
  grid.OnGetCellImage = [&](QObject*, int c, int r, int, TPersistent*& object, int& index, TcgImagePosition&,
                            TAlignment&, TcgVAlignment&, int&) {
    if (c == 1 && r == 2) {
      object = &marks;
      index = 0;
    }
  };
  grid.OnChangeCellAttributes = [](QObject*, int c, int r, TcgHeading*, TcgCellStates state, TColor& color, TFont& font,
                                   TAlignment&, TcgVAlignment&, TPanelBevel&, TPanelBevel&) {
    if (c == 2 && r == 2 && !state.Contains(TcgCellState::cgcsSelected)) {
      color = ColorFromRgb(0xfd, 0xe8, 0xe8);
      font.SetColor(clMaroon);
    }
  };
  grid.SetScrollBars(TScrollStyle::ssNone);
  grid.resize(457, 127);
  grid.show();
  grid.SetRow(3);
  QApplication::processEvents();
  // The "Rate" title held down, as a user pressing it sees it.
  const TRect rateTitle = grid.CellRect(3, 0);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint((rateTitle.Left + rateTitle.Right) / 2, 30));
  QApplication::processEvents();
  QImage img(grid.size(), QImage::Format_RGB32);
  Render(grid, img);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(0, 0));
  img.save(file);
  std::printf("snapshot written to %s\n", file);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  int reps = 2000;
  QString images;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--reps") && i + 1 < argc) reps = std::atoi(argv[++i]);
    if (!std::strcmp(argv[i], "--images") && i + 1 < argc) images = argv[++i];
    if (!std::strcmp(argv[i], "--snapshot") && i + 1 < argc) {
      Snapshot(argv[++i]);
      return 0;
    }
  }
  const std::string loadBefore = LoadAverage();

  QElapsedTimer build;
  build.start();
  auto small = MessageGrid(100);
  auto large = MessageGrid(100000);
  const double gridSetUp = build.nsecsElapsed() / 1e6;
  build.restart();
  auto smallTable = Table(100);
  auto largeTable = Table(100000);
  const double tableSetUp = build.nsecsElapsed() / 1e6;
  QApplication::processEvents();

  QImage img(390, 128, QImage::Format_RGB32);
  QWidget* widgets[] = {small.get(), large.get(), smallTable.get(), largeTable.get()};
  const char* names[] = {"grid-100", "grid-100000", "table-100", "table-100000"};
  for (int k = 0; k < 4; ++k) {  // fonts, layouts and the bitmap warmed up
    Render(*widgets[k], img);
    if (!images.isEmpty()) img.save(images + "/" + names[k] + ".png");
  }
  qint64 total[4] = {};
  for (int i = 0; i < reps; ++i)
    for (int k = 0; k < 4; ++k) {
      QElapsedTimer t;
      t.start();
      Render(*widgets[k], img);
      total[k] += t.nsecsElapsed();
    }
  double us[4];
  for (int k = 0; k < 4; ++k) us[k] = total[k] / 1e3 / reps;

  std::printf("build type %s; load average before %s, after %s\n", ORVIX_BUILD_TYPE, loadBefore.c_str(),
              LoadAverage().c_str());
  std::printf("set-up: message grids %.0f ms, tables %.0f ms; rows in view %d; %d paints each\n", gridSetUp,
              tableSetUp, small->VisibleRowCount(), reps);
  std::printf("%-24s %14s %14s\n", "paint of 390x128 (us)", "100 rows", "100000 rows");
  std::printf("%-24s %14.1f %14.1f\n", "message grid", us[0], us[1]);
  std::printf("%-24s %14.1f %14.1f\n", "QTableWidget", us[2], us[3]);
  std::printf("rows, 100000/100: message grid %.2f, QTableWidget %.2f\n", us[1] / us[0], us[3] / us[2]);
  std::printf("message grid / QTableWidget: %.2f at 100 rows, %.2f at 100000 rows\n", us[0] / us[2], us[1] / us[3]);
  return 0;
}

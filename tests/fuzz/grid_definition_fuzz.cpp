// The grid's saved-definition loader on any text: a definition is refused with EInvalidGridDefinition or
// gives a grid that keeps its own rules, saves to a definition that loads back the same, and paints.

#include <QApplication>
#include <QImage>
#include <QJsonDocument>

#include "grid/cell_grid.h"
#include "tests/fuzz/fuzz_input.h"

using fuzz::Check;

namespace {

void CheckRules(const TCellGrid& g) {
  Check(g.ColCount() >= 1 && g.RowCount() >= 1, "counts below one");
  Check(g.FixedCols() >= 0 && g.FixedCols() < g.ColCount(), "fixed columns out of range");
  Check(g.FixedRows() >= 0 && g.FixedRows() < g.RowCount(), "fixed rows out of range");
  Check(g.DefaultColWidth() >= 0 && g.DefaultRowHeight() >= 0 && g.GridLineWidth() >= 0, "negative size");
  Check(g.Col() >= g.FixedCols() && g.Col() < g.ColCount(), "current column out of range");
  Check(g.Row() >= g.FixedRows() && g.Row() < g.RowCount(), "current row out of range");
  Check(g.LeftCol() >= g.FixedCols() && g.TopRow() >= g.FixedRows(), "scrolled into the fixed part");
  for (int c = 0; c < g.ColCount() && c < 64; ++c) Check(g.ColWidths(c) >= 0, "negative column width");
  for (int r = 0; r < g.RowCount() && r < 64; ++r) Check(g.RowHeights(r) >= 0, "negative row height");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TCellGrid grid;
  grid.resize(390, 128);  // the main window's grid
  try {
    grid.LoadDefinitionText(text);
  } catch (const EInvalidGridDefinition&) {
    return 0;
  }
  Check(!grid.Loading(), "still loading");
  CheckRules(grid);

  const QByteArray saved = grid.SaveDefinitionText();
  TCellGrid copy;
  copy.resize(grid.size());
  try {
    copy.LoadDefinitionText(saved);
  } catch (const EInvalidGridDefinition&) {
    fuzz::Fail("a saved definition does not load");
  }
  Check(copy.SaveDefinition() == grid.SaveDefinition(), "a saved definition loads as another grid");

  QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
  grid.render(&image);
  return 0;
}

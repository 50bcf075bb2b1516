#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid_accessible.h"
#include "toolkit/widgets/string_grid_axis.h"

#include <QScrollBar>

#include <algorithm>

using namespace string_grid_detail;

// ---------------------------------------------------------------------------

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallStringGridAccessible();
  using enum TGridOption;
  options_ = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  colWidths_.assign(5, defaultColWidth_);
  rowHeights_.assign(5, defaultRowHeight_);
  cells_.resize(5);
  color_ = palette().color(QPalette::Base);
  fixedColor_ = palette().color(QPalette::Button);

  // Every pixel of the client area is painted, yet the client area must not
  // claim to be opaque: Qt then leaves it out when the whole window is
  // repainted, which on Wayland follows a fresh, blank window buffer (Qt
  // adding its own title bar), and the cells would stay blank.
  viewport()->setAutoFillBackground(false);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  horizontalScrollBar()->setTracking(false);
  verticalScrollBar()->setTracking(false);
  SetScrollBars(TScrollStyle::ssBoth);
  UpdateScrollBars();
}

TStringGrid::~TStringGrid() {
  if (mouseCapture_) viewport()->releaseMouse();
  destroying_ = true;
  editor_.reset();
}

// --- structure --------------------------------------------------------------------

void TStringGrid::SetColCount(int value) {
  value = std::max(1, value);
  const int oldCols = ColCount(), oldRows = RowCount();
  if (value == oldCols) return;
  HideEditor();
  colWidths_.resize(value, defaultColWidth_);
  cells_.resize(value);
  if (fixedCols_ >= value) fixedCols_ = value - 1;
  ClampCurrent();
  StructureChanged();
  SizeChanged(oldCols, oldRows);
}

void TStringGrid::SetRowCount(int value) {
  value = std::max(1, value);
  const int oldCols = ColCount(), oldRows = RowCount();
  if (value == oldRows) return;
  HideEditor();
  rowHeights_.resize(value, defaultRowHeight_);
  for (auto& column : cells_)
    if (static_cast<int>(column.size()) > value) column.resize(value);
  if (fixedRows_ >= value) fixedRows_ = value - 1;
  ClampCurrent();
  StructureChanged();
  SizeChanged(oldCols, oldRows);
}

void TStringGrid::SetFixedCols(int value) {
  value = std::clamp(value, 0, ColCount() - 1);
  if (value == fixedCols_) return;
  HideEditor();
  fixedCols_ = value;
  leftCol_ = col_ = anchor_.X = fixedCols_;
  StructureChanged();
}

void TStringGrid::SetFixedRows(int value) {
  value = std::clamp(value, 0, RowCount() - 1);
  if (value == fixedRows_) return;
  HideEditor();
  fixedRows_ = value;
  topRow_ = row_ = anchor_.Y = fixedRows_;
  StructureChanged();
}

void TStringGrid::SetDefaultColWidth(int value) {
  value = std::max(0, value);
  if (value == defaultColWidth_) return;
  defaultColWidth_ = value;
  std::fill(colWidths_.begin(), colWidths_.end(), value);
  StructureChanged();
}

void TStringGrid::SetDefaultRowHeight(int value) {
  value = std::max(0, value);
  if (value == defaultRowHeight_) return;
  defaultRowHeight_ = value;
  std::fill(rowHeights_.begin(), rowHeights_.end(), value);
  StructureChanged();
}

int TStringGrid::ColWidths(int ACol) const {
  return (ACol >= 0 && ACol < ColCount()) ? colWidths_[ACol] : 0;
}

void TStringGrid::SetColWidths(int ACol, int value) {
  if (ACol < 0 || ACol >= ColCount()) return;
  value = std::max(0, value);
  if (colWidths_[ACol] == value) return;
  colWidths_[ACol] = value;
  StructureChanged();
}

int TStringGrid::RowHeights(int ARow) const {
  return (ARow >= 0 && ARow < RowCount()) ? rowHeights_[ARow] : 0;
}

void TStringGrid::SetRowHeights(int ARow, int value) {
  if (ARow < 0 || ARow >= RowCount()) return;
  value = std::max(0, value);
  if (rowHeights_[ARow] == value) return;
  rowHeights_[ARow] = value;
  StructureChanged();
}

void TStringGrid::SetGridLineWidth(int value) {
  value = std::max(0, value);
  if (value == gridLineWidth_) return;
  gridLineWidth_ = value;
  StructureChanged();
}

void TStringGrid::SetOptions(TGridOptions value) {
  if (value == options_) return;
  using enum TGridOption;
  options_ = value;
  const bool tracking = options_.Contains(goThumbTracking);
  horizontalScrollBar()->setTracking(tracking);
  verticalScrollBar()->setTracking(tracking);
  if (!options_.Contains(goRangeSelect)) anchor_ = {col_, row_};
  if (!CanEditShow())
    HideEditor();
  else if (options_.Contains(goAlwaysShowEditor))
    ShowEditor();
  StructureChanged();
}

void TStringGrid::SetDefaultDrawing(bool value) {
  if (value == defaultDrawing_) return;
  defaultDrawing_ = value;
  Invalidate();
}

void TStringGrid::SetScrollBars(TScrollStyle value) {
  scrollBars_ = value;
  const bool h = value == TScrollStyle::ssHorizontal || value == TScrollStyle::ssBoth;
  const bool v = value == TScrollStyle::ssVertical || value == TScrollStyle::ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TStringGrid::SetEnabled(bool value) { setEnabled(value); }

void TStringGrid::SetColor(const QColor& value) {
  if (value == color_) return;
  color_ = value;
  Invalidate();
}

void TStringGrid::SetFixedColor(const QColor& value) {
  if (value == fixedColor_) return;
  fixedColor_ = value;
  Invalidate();
}

// After any change of counts, sizes or lines: keep the top-left reachable,
// refresh the scroll bars and the editor, repaint.
void TStringGrid::StructureChanged() {
  reportedFailures_.clear();
  const int maxLeft = MaxLeftCol(), maxTop = MaxTopRow();
  int left = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, maxLeft));
  int top = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, maxTop));
  const bool moved = left != leftCol_ || top != topRow_;
  leftCol_ = left;
  topRow_ = top;
  UpdateScrollBars();
  UpdateEditor();
  Invalidate();
  AnnounceStructureChanged(this);
  if (moved) TopLeftChanged();
}

void TStringGrid::ClampCurrent() {
  col_ = std::clamp(col_, fixedCols_, ColCount() - 1);
  row_ = std::clamp(row_, fixedRows_, RowCount() - 1);
  anchor_.X = std::clamp(anchor_.X, fixedCols_, ColCount() - 1);
  anchor_.Y = std::clamp(anchor_.Y, fixedRows_, RowCount() - 1);
}

// --- texts ------------------------------------------------------------------

QString TStringGrid::Cells(int ACol, int ARow) const {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return QString();
  const auto& column = cells_[ACol];
  return ARow < static_cast<int>(column.size()) ? column[ARow] : QString();
}

void TStringGrid::SetCells(int ACol, int ARow, const QString& value) {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return;
  auto& column = cells_[ACol];
  if (ARow >= static_cast<int>(column.size())) {
    if (value.isEmpty()) return;
    column.resize(ARow + 1);
  }
  if (column[ARow] == value) return;
  column[ARow] = value;
  InvalidateCell(ACol, ARow);
  // A cell written from outside while it is being edited shows its new text.
  if (editorMode_ && !writingFromEditor_ && editor_ && editCell_ == TGridCoord{ACol, ARow}) {
    loadingEditor_ = true;
    editor_->SetEditText(value);
    loadingEditor_ = false;
  }
}

QStringList TStringGrid::Cols(int ACol) const {
  QStringList out;
  if (ACol < 0 || ACol >= ColCount()) return out;
  out.reserve(RowCount());
  for (int r = 0; r < RowCount(); ++r) out.append(Cells(ACol, r));
  return out;
}

void TStringGrid::SetCols(int ACol, const QStringList& value) {
  if (ACol < 0 || ACol >= ColCount()) return;
  const int n = std::min<int>(RowCount(), value.size());
  auto& column = cells_[ACol];
  column.assign(value.begin(), value.begin() + n);
  if (editorMode_ && editor_ && editCell_.X == ACol) {
    loadingEditor_ = true;
    editor_->SetEditText(Cells(editCell_.X, editCell_.Y));
    loadingEditor_ = false;
  }
  Invalidate();
}

// --- current cell and scrolling --------------------------------------------------

void TStringGrid::SetCol(int value) {
  if (value == col_ || value < fixedCols_ || value >= ColCount()) return;
  FocusCell(value, row_, false);
}

void TStringGrid::SetRow(int value) {
  if (value == row_ || value < fixedRows_ || value >= RowCount()) return;
  FocusCell(col_, value, false);
}

TGridRect TStringGrid::Selection() const {
  using enum TGridOption;
  if (options_.Contains(goRowSelect)) return TGridRect{fixedCols_, row_, ColCount() - 1, row_};
  if (options_.Contains(goRangeSelect))
    return TGridRect{std::min(col_, anchor_.X), std::min(row_, anchor_.Y), std::max(col_, anchor_.X),
                     std::max(row_, anchor_.Y)};
  return TGridRect{col_, row_, col_, row_};
}

void TStringGrid::FocusCell(int ACol, int ARow, bool extendSelection) {
  if (ACol != col_ || ARow != row_) {
    if (SelectCell(ACol, ARow)) MoveCurrent(ACol, ARow, extendSelection);
  }
  Click();
}

void TStringGrid::MoveCurrent(int ACol, int ARow, bool extendSelection) {
  // The handler of the query may have changed the grid.
  if (ACol < fixedCols_ || ACol >= ColCount() || ARow < fixedRows_ || ARow >= RowCount()) return;
  if (!options_.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
  col_ = ACol;
  row_ = ARow;
  if (!extendSelection) anchor_ = {ACol, ARow};
  ScrollInView(ACol, ARow);
  UpdateEditor();
  Invalidate();
  AnnounceCurrentCell(this);
}

// --- structure operations -------------------------------------------------------

void TStringGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= ColCount() || ToIndex < 0 || ToIndex >= ColCount() || FromIndex == ToIndex)
    return;
  HideEditor();
  MoveItem(colWidths_, FromIndex, ToIndex);
  col_ = MovedIndex(col_, FromIndex, ToIndex);
  anchor_.X = MovedIndex(anchor_.X, FromIndex, ToIndex);
  ClampCurrent();
  ColumnMoved(FromIndex, ToIndex);
  StructureChanged();
}

void TStringGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= RowCount() || ToIndex < 0 || ToIndex >= RowCount() || FromIndex == ToIndex)
    return;
  HideEditor();
  MoveItem(rowHeights_, FromIndex, ToIndex);
  row_ = MovedIndex(row_, FromIndex, ToIndex);
  anchor_.Y = MovedIndex(anchor_.Y, FromIndex, ToIndex);
  ClampCurrent();
  RowMoved(FromIndex, ToIndex);
  StructureChanged();
}

void TStringGrid::DeleteColumn(int ACol) {
  if (ACol < 0 || ACol >= ColCount() || ColCount() == 1) return;
  MoveColumn(ACol, ColCount() - 1);
  SetColCount(ColCount() - 1);
}

void TStringGrid::DeleteRow(int ARow) {
  if (ARow < 0 || ARow >= RowCount() || RowCount() == 1) return;
  MoveRow(ARow, RowCount() - 1);
  SetRowCount(RowCount() - 1);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  MoveItem(cells_, FromIndex, ToIndex);
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  const int needed = std::max(FromIndex, ToIndex) + 1;
  for (auto& column : cells_) {
    const int size = static_cast<int>(column.size());
    if (size <= std::min(FromIndex, ToIndex)) continue;  // both rows empty
    if (size < needed) column.resize(needed);
    MoveItem(column, FromIndex, ToIndex);
  }
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// --- default hooks ------------------------------------------------------------

bool TStringGrid::SelectCell(int ACol, int ARow) {
  bool canSelect = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, canSelect);
  return canSelect;
}

void TStringGrid::Click() {
  if (OnClick) OnClick(this);
}

void TStringGrid::SizeChanged(int, int) {}

void TStringGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TStringGrid::MouseEnter() {}
void TStringGrid::MouseLeave() {}

void TStringGrid::DoEnter() { Invalidate(); }
void TStringGrid::DoExit() { Invalidate(); }

void TStringGrid::Loaded() {}

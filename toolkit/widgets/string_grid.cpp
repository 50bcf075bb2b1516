#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/inplace_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// One axis of the grid (columns or rows) as laid out in the client area.
// Every walk stops at the client edge, so the cost follows what is in view.
struct TAxis {
  const std::vector<int>& sizes;
  int fixed;
  int first;   // first scrollable index in view
  int line;    // effective line width
  int extent;  // client width or height

  int Count() const { return static_cast<int>(sizes.size()); }

  int FixedExtent() const {
    int x = 0;
    for (int i = 0; i < fixed && i < Count(); ++i) x += sizes[i] + line;
    return x;
  }

  // Start of cell i, or -1 when it is not in view.
  int Start(int i) const {
    if (i < 0 || i >= Count()) return -1;
    int x = 0;
    if (i < fixed) {
      for (int k = 0; k < i; ++k) x += sizes[k] + line;
      return x < extent ? x : -1;
    }
    if (i < first) return -1;
    x = FixedExtent();
    for (int k = first; k < i; ++k) {
      if (x >= extent) return -1;
      x += sizes[k] + line;
    }
    return x < extent ? x : -1;
  }

  // Index of the cell covering pos, -1 on a line or outside the cells.
  int Hit(int pos) const {
    if (pos < 0 || pos >= extent) return -1;
    int x = 0;
    auto probe = [&](int i) -> int {  // 1 hit, 0 line, -1 go on
      if (pos < x + sizes[i]) return 1;
      if (pos < x + sizes[i] + line) return 0;
      x += sizes[i] + line;
      return -1;
    };
    for (int i = 0; i < fixed && i < Count(); ++i) {
      int r = probe(i);
      if (r == 1) return i;
      if (r == 0) return -1;
    }
    for (int i = first; i < Count() && x < extent; ++i) {
      int r = probe(i);
      if (r == 1) return i;
      if (r == 0) return -1;
    }
    return -1;
  }

  // Scrollable cells from `first` whose cell area ends inside the client area.
  int FullCount() const {
    int x = FixedExtent(), n = 0;
    for (int i = first; i < Count(); ++i) {
      if (x + sizes[i] > extent) break;
      ++n;
      x += sizes[i] + line;
    }
    return n;
  }

  // The smallest first index that still shows cell `last` completely.
  int FirstShowing(int last) const {
    const int avail = extent - FixedExtent();
    int i = last;
    int used = sizes[last];
    while (i - 1 >= fixed && used + sizes[i - 1] + line <= avail) {
      used += sizes[i - 1] + line;
      --i;
    }
    return i;
  }
};

template <typename T>
void MoveItem(std::vector<T>& v, int from, int to) {
  if (from < to)
    std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
  else if (from > to)
    std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

int MovedIndex(int i, int from, int to) {
  if (i == from) return to;
  if (from < to && i > from && i <= to) return i - 1;
  if (from > to && i >= to && i < from) return i + 1;
  return i;
}

const char* const kScrollStyleNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

int ReadInt(const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  const double d = v.toDouble(std::nan(""));
  if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 1e9)
    throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be an integer");
  return static_cast<int>(d);
}

// A definition is data: a count no real grid comes near must be refused
// rather than make the grid allocate gigabytes for it.
constexpr int kMaxDefinitionCount = 1000000;

int ReadCount(const QJsonObject& o, const char* key) {
  const int n = ReadInt(o, key);
  if (n > kMaxDefinitionCount)
    throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " above " +
                                 std::to_string(kMaxDefinitionCount));
  return n;
}

bool ReadBool(const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (!v.isBool()) throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be true or false");
  return v.toBool();
}

QColor ReadColor(const QJsonObject& o, const char* key) {
  const QColor c = QColor::fromString(o.value(QLatin1String(key)).toString());
  if (!c.isValid()) throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be a colour");
  return c;
}

std::vector<int> ReadIntArray(const QJsonValue& value, const char* name) {
  if (!value.isArray()) throw EInvalidGridDefinition(std::string("Grid definition: ") + name + " must be a list");
  std::vector<int> out;
  for (const QJsonValue& v : value.toArray()) {
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 1e9)
      throw EInvalidGridDefinition(std::string("Grid definition: ") + name + " must hold integers");
    out.push_back(static_cast<int>(d));
  }
  return out;
}

}  // namespace

void TGridDefinitionFiler::DefineProperty(const QString& Name, TReader ReadData, TWriter WriteData,
                                          bool HasData) {
  entries_.push_back({Name, std::move(ReadData), std::move(WriteData), HasData});
}

// ---------------------------------------------------------------------------

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  using enum TGridOption;
  options_ = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  colWidths_.assign(5, defaultColWidth_);
  rowHeights_.assign(5, defaultRowHeight_);
  cells_.resize(5);
  color_ = palette().color(QPalette::Base);
  fixedColor_ = palette().color(QPalette::Button);

  // Every pixel of the client area is painted, so Qt need not erase first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
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

// --- geometry -----------------------------------------------------------------

int TStringGrid::LineV() const {
  using enum TGridOption;
  return (options_.Contains(goFixedVertLine) || options_.Contains(goVertLine)) ? gridLineWidth_ : 0;
}

int TStringGrid::LineH() const {
  using enum TGridOption;
  return (options_.Contains(goFixedHorzLine) || options_.Contains(goHorzLine)) ? gridLineWidth_ : 0;
}

int TStringGrid::ClientWidth() const { return viewport()->width(); }
int TStringGrid::ClientHeight() const { return viewport()->height(); }

int TStringGrid::ColLeft(int ACol) const {
  return TAxis{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()}.Start(ACol);
}

int TStringGrid::RowTop(int ARow) const {
  return TAxis{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()}.Start(ARow);
}

int TStringGrid::MaxLeftCol() const {
  return TAxis{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()}.FirstShowing(ColCount() - 1);
}

int TStringGrid::MaxTopRow() const {
  return TAxis{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()}.FirstShowing(RowCount() - 1);
}

int TStringGrid::VisibleColCount() const {
  return TAxis{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()}.FullCount();
}

int TStringGrid::VisibleRowCount() const {
  return TAxis{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()}.FullCount();
}

TRect TStringGrid::CellRect(int ACol, int ARow) const {
  const int x = ColLeft(ACol);
  const int y = RowTop(ARow);
  if (x < 0 || y < 0) return TRect{};
  return TRect{x, y, x + colWidths_[ACol], y + rowHeights_[ARow]};
}

TGridCoord TStringGrid::MouseToCell(int X, int Y) const {
  const int c = TAxis{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()}.Hit(X);
  const int r = TAxis{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()}.Hit(Y);
  if (c < 0 || r < 0) return TGridCoord{};
  return TGridCoord{c, r};
}

bool TStringGrid::FocusInside() const {
  return hasFocus() || (editor_ && editor_->hasFocus());
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

void TStringGrid::SetGridLineColor(const QColor& value) {
  if (value == gridLineColor_) return;
  gridLineColor_ = value;
  Invalidate();
}

void TStringGrid::SetFixedLineColor(const QColor& value) {
  if (value == fixedLineColor_) return;
  fixedLineColor_ = value;
  Invalidate();
}

// After any change of counts, sizes or lines: keep the top-left reachable,
// refresh the scroll bars and the editor, repaint.
void TStringGrid::StructureChanged() {
  const int maxLeft = MaxLeftCol(), maxTop = MaxTopRow();
  int left = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, maxLeft));
  int top = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, maxTop));
  const bool moved = left != leftCol_ || top != topRow_;
  leftCol_ = left;
  topRow_ = top;
  UpdateScrollBars();
  UpdateEditor();
  Invalidate();
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
    editor_->setText(value);
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
    editor_->setText(Cells(editCell_.X, editCell_.Y));
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
}

void TStringGrid::ScrollInView(int ACol, int ARow) {
  int left = leftCol_, top = topRow_;
  if (ARow < top) {
    top = ARow;
  } else if (ARow > top + VisibleRowCount() - 1) {
    top = TAxis{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()}.FirstShowing(ARow);
  }
  if (!options_.Contains(TGridOption::goRowSelect)) {
    if (ACol < left) {
      left = ACol;
    } else if (ACol > left + VisibleColCount() - 1) {
      left = TAxis{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()}.FirstShowing(ACol);
    }
  }
  SetTopLeft(left, top);
}

void TStringGrid::SetLeftCol(int value) {
  if (value < fixedCols_ || value >= ColCount()) return;
  SetTopLeft(value, topRow_);
}

void TStringGrid::SetTopRow(int value) {
  if (value < fixedRows_ || value >= RowCount()) return;
  SetTopLeft(leftCol_, value);
}

void TStringGrid::SetTopLeft(int leftCol, int topRow) {
  leftCol = std::clamp(leftCol, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  topRow = std::clamp(topRow, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  if (leftCol == leftCol_ && topRow == topRow_) return;
  leftCol_ = leftCol;
  topRow_ = topRow;
  UpdateScrollBars();
  UpdateEditor();
  Invalidate();
  TopLeftChanged();
}

void TStringGrid::UpdateScrollBars() {
  syncingScrollBars_ = true;
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, MaxLeftCol() - fixedCols_));
  h->setPageStep(std::max(1, VisibleColCount()));
  h->setSingleStep(1);
  h->setValue(leftCol_ - fixedCols_);
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, MaxTopRow() - fixedRows_));
  v->setPageStep(std::max(1, VisibleRowCount()));
  v->setSingleStep(1);
  v->setValue(topRow_ - fixedRows_);
  syncingScrollBars_ = false;
}

void TStringGrid::scrollContentsBy(int, int) {
  if (syncingScrollBars_) return;
  SetTopLeft(fixedCols_ + horizontalScrollBar()->value(), fixedRows_ + verticalScrollBar()->value());
}

void TStringGrid::resizeEvent(QResizeEvent*) { StructureChanged(); }

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

std::unique_ptr<TInplaceEdit> TStringGrid::CreateEditor() { return std::make_unique<TInplaceEdit>(this); }

QString TStringGrid::GetEditText(int ACol, int ARow) { return Cells(ACol, ARow); }

void TStringGrid::SetEditText(int ACol, int ARow, const QString& value) { SetCells(ACol, ARow, value); }

int TStringGrid::GetEditLimit() { return 0; }

bool TStringGrid::CanEditShow() {
  using enum TGridOption;
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && col_ >= fixedCols_ &&
         row_ >= fixedRows_;
}

bool TStringGrid::CanEditModify() { return options_.Contains(TGridOption::goEditing); }

void TStringGrid::EditorTextChanged() {}

void TStringGrid::MouseEnter() {}
void TStringGrid::MouseLeave() {}

void TStringGrid::DoEnter() { Invalidate(); }
void TStringGrid::DoExit() { Invalidate(); }

void TStringGrid::Loaded() {}

void TStringGrid::CellPaintFailed(int ACol, int ARow, const QString& message) {
  qWarning("Painting cell (%d, %d) failed: %s", ACol, ARow, qPrintable(message));
}

// --- painting -------------------------------------------------------------------

void TStringGrid::InvalidateRect(const TRect& rect) {
  if (!rect.IsEmpty()) viewport()->update(rect.ToQRect());
}

void TStringGrid::InvalidateCell(int ACol, int ARow) {
  const TRect r = CellRect(ACol, ARow);
  // The focus rectangle and a subclass's drawing may touch the lines too.
  if (!r.IsEmpty()) InvalidateRect(TRect{r.Left, r.Top, r.Right + LineV(), r.Bottom + LineH()});
}

void TStringGrid::Invalidate() { viewport()->update(); }

void TStringGrid::DefaultCellBackground(QPainter& p, const TRect& rect, TGridDrawState state) {
  using enum TGridDrawStateFlag;
  QColor bg = color_;
  QColor fg = palette().color(QPalette::Text);
  if (state.Contains(gdFixed)) {
    bg = fixedColor_;
    fg = palette().color(QPalette::ButtonText);
  } else if (state.Contains(gdSelected) &&
             (!state.Contains(gdFocused) || options_.Contains(TGridOption::goDrawFocusSelected) ||
              options_.Contains(TGridOption::goRowSelect))) {
    bg = palette().color(QPalette::Highlight);
    fg = palette().color(QPalette::HighlightedText);
  }
  p.fillRect(rect.ToQRect(), bg);
  p.setPen(fg);
}

void TStringGrid::DrawLines(QPainter& p, int ACol, int ARow, const TRect& cell) {
  using enum TGridOption;
  const bool fixed = IsFixed(ACol, ARow);
  const int lv = LineV(), lh = LineH();
  if (lv > 0) {
    const bool drawn = options_.Contains(fixed ? goFixedVertLine : goVertLine);
    p.fillRect(cell.Right, cell.Top, lv, cell.Height() + lh, drawn ? (fixed ? fixedLineColor_ : gridLineColor_) : color_);
  }
  if (lh > 0) {
    const bool drawn = options_.Contains(fixed ? goFixedHorzLine : goHorzLine);
    p.fillRect(cell.Left, cell.Bottom, cell.Width(), lh, drawn ? (fixed ? fixedLineColor_ : gridLineColor_) : color_);
  }
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (defaultDrawing_ && canvas_)
    canvas_->drawText(ARect.ToQRect().adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      Cells(ACol, ARow));
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TStringGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  canvas_ = &p;
  struct TCanvasReset {
    QPainter*& canvas;
    ~TCanvasReset() { canvas = nullptr; }
  } reset{canvas_};

  const QRect clip = event->rect();
  const int cw = ClientWidth(), ch = ClientHeight();
  const int lv = LineV(), lh = LineH();
  const bool focus = FocusInside();
  const TGridRect sel = Selection();
  struct TFailure {
    int col, row;
    QString message;
  };
  std::vector<TFailure> failures;

  // Walks fixed indexes, then scrollable ones from `first`, while in view.
  auto forEachInView = [](const std::vector<int>& sizes, int fixed, int first, int line, int extent, auto&& fn) {
    int pos = 0;
    const int n = static_cast<int>(sizes.size());
    for (int i = 0; i < fixed && i < n && pos < extent; ++i) {
      fn(i, pos);
      pos += sizes[i] + line;
    }
    for (int i = first; i < n && pos < extent; ++i) {
      fn(i, pos);
      pos += sizes[i] + line;
    }
    return std::min(pos, extent);
  };

  int gridRight = 0;
  const int gridBottom = forEachInView(rowHeights_, fixedRows_, topRow_, lh, ch, [&](int r, int y) {
    gridRight = forEachInView(colWidths_, fixedCols_, leftCol_, lv, cw, [&](int c, int x) {
      const TRect cell{x, y, x + colWidths_[c], y + rowHeights_[r]};
      if (!clip.intersects(QRect(x, y, cell.Width() + lv, cell.Height() + lh))) return;
      DrawLines(p, c, r, cell);
      if (cell.IsEmpty()) return;
      using enum TGridDrawStateFlag;
      TGridDrawState state;
      if (IsFixed(c, r)) {
        state.Include(gdFixed);
      } else {
        if (sel.Contains(c, r)) state.Include(gdSelected);
        if (focus && c == col_ && r == row_) state.Include(gdFocused);
      }
      p.save();
      p.setFont(font());
      p.setPen(palette().color(QPalette::Text));
      if (defaultDrawing_) DefaultCellBackground(p, cell, state);
      try {
        DrawCell(c, r, cell, state);
      } catch (const std::exception& e) {
        failures.push_back({c, r, QString::fromLocal8Bit(e.what())});
      } catch (...) {
        failures.push_back({c, r, QStringLiteral("unknown error")});
      }
      p.restore();
      if (defaultDrawing_ && state.Contains(gdFocused) && !(editorMode_ && editor_ && editor_->isVisible())) {
        p.save();
        QPen pen(palette().color(QPalette::Text), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.ToQRect().adjusted(0, 0, -1, -1));
        p.restore();
      }
    });
  });

  if (gridRight < cw) p.fillRect(gridRight, 0, cw - gridRight, ch, color_);
  if (gridBottom < ch) p.fillRect(0, gridBottom, gridRight, ch - gridBottom, color_);

  if (!failures.empty()) {
    PostCall([this, failures = std::move(failures)] {
      for (const auto& f : failures) CellPaintFailed(f.col, f.row, f.message);
    });
  }
}

// --- mouse ---------------------------------------------------------------------

int TStringGrid::SizingLineAt(int X, int Y, bool& isColumn) const {
  using enum TGridOption;
  constexpr int kSlack = 3;  // pixels either side of a line that still grab it
  const TAxis horz{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()};
  const TAxis vert{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()};
  auto lineNear = [&](const TAxis& axis, int pos) {
    int found = -1;
    auto check = [&](int i, int start) {
      const int end = start + axis.sizes[i];
      if (found < 0 && pos >= end - kSlack && pos < end + axis.line + kSlack) found = i;
    };
    int x = 0;
    for (int i = 0; i < axis.fixed && i < axis.Count() && x < axis.extent; ++i) {
      check(i, x);
      x += axis.sizes[i] + axis.line;
    }
    for (int i = axis.first; i < axis.Count() && x < axis.extent; ++i) {
      check(i, x);
      x += axis.sizes[i] + axis.line;
    }
    return found;
  };
  if (options_.Contains(goColSizing) && fixedRows_ > 0 && Y >= 0 && Y < vert.FixedExtent()) {
    isColumn = true;
    return lineNear(horz, X);
  }
  if (options_.Contains(goRowSizing) && fixedCols_ > 0 && X >= 0 && X < horz.FixedExtent()) {
    isColumn = false;
    return lineNear(vert, Y);
  }
  return -1;
}

void TStringGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  using enum TGridOption;
  if (Button != Qt::LeftButton) return;
  bool isColumn = false;
  const int line = SizingLineAt(X, Y, isColumn);
  if (line >= 0) {
    HideEditor();
    gridState_ = isColumn ? TGridState::gsColSizing : TGridState::gsRowSizing;
    sizingIndex_ = line;
    // Keep the offset of the grab so the line does not jump to the pointer.
    sizingOrigin_ = isColumn ? X - colWidths_[line] : Y - rowHeights_[line];
    return;
  }
  const TGridCoord cell = MouseToCell(X, Y);
  if (cell.X < 0) return;
  if (IsFixed(cell.X, cell.Y)) {
    if (options_.Contains(goColMoving) && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
      gridState_ = TGridState::gsColMoving;
      moveFrom_ = cell.X;
    } else if (options_.Contains(goRowMoving) && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
      gridState_ = TGridState::gsRowMoving;
      moveFrom_ = cell.Y;
    }
    return;
  }
  gridState_ = TGridState::gsSelecting;
  const bool wasCurrent = cell.X == col_ && cell.Y == row_;
  if (wasCurrent) {
    if (CanEditShow()) ShowEditor();
    return;
  }
  const bool extend = Shift.testFlag(Qt::ShiftModifier) && options_.Contains(goRangeSelect) &&
                      !options_.Contains(goRowSelect);
  if (SelectCell(cell.X, cell.Y)) MoveCurrent(cell.X, cell.Y, extend);
}

void TStringGrid::MouseMove(Qt::KeyboardModifiers, int X, int Y) {
  using enum TGridOption;
  switch (gridState_) {
    case TGridState::gsColSizing:
      SetColWidths(sizingIndex_, X - sizingOrigin_);
      return;
    case TGridState::gsRowSizing:
      SetRowHeights(sizingIndex_, Y - sizingOrigin_);
      return;
    case TGridState::gsSelecting: {
      if (!options_.Contains(goRangeSelect) || options_.Contains(goRowSelect)) return;
      const TGridCoord cell = MouseToCell(X, Y);
      if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == anchor_)) {
        anchor_ = cell;
        Invalidate();
      }
      return;
    }
    case TGridState::gsNormal: {
      bool isColumn = false;
      const int line = SizingLineAt(X, Y, isColumn);
      const Qt::CursorShape shape = line < 0 ? Qt::ArrowCursor : isColumn ? Qt::SplitHCursor : Qt::SplitVCursor;
      if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
      return;
    }
    default:
      return;
  }
}

void TStringGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button != Qt::LeftButton) return;
  const TGridState state = std::exchange(gridState_, TGridState::gsNormal);
  switch (state) {
    case TGridState::gsColMoving: {
      const int to = MouseToCell(X, Y).X;
      if (to >= fixedCols_ && to != moveFrom_) MoveColumn(moveFrom_, to);
      break;
    }
    case TGridState::gsRowMoving: {
      const int to = MouseToCell(X, Y).Y;
      if (to >= fixedRows_ && to != moveFrom_) MoveRow(moveFrom_, to);
      break;
    }
    case TGridState::gsSelecting:
      Click();
      break;
    default:
      break;
  }
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt sends press, release, double-click, release: the double-click stands
  // for the second press so that every release has its press.
  mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseMove(event->modifiers(), pos.x(), pos.y());
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

bool TStringGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Enter) MouseEnter();
  if (event->type() == QEvent::Leave) MouseLeave();
  return QAbstractScrollArea::viewportEvent(event);
}

void TStringGrid::SetMouseCapture(bool value) {
  if (value == mouseCapture_) return;
  mouseCapture_ = value;
  if (value) {
    if (viewport()->isVisible()) viewport()->grabMouse();
  } else {
    viewport()->releaseMouse();
  }
}

void TStringGrid::PostCall(std::function<void()> fn) {
  QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

// --- focus ------------------------------------------------------------------------

namespace {
bool WindowSwitch(Qt::FocusReason reason) {
  return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
}  // namespace

void TStringGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  Invalidate();
  if (!focusInside_ && !WindowSwitch(event->reason())) {
    focusInside_ = true;
    DoEnter();
  }
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  Invalidate();
  FocusLeft(event->reason());
}

void TStringGrid::FocusLeft(Qt::FocusReason reason) {
  if (destroying_ || WindowSwitch(reason)) return;
  QWidget* now = QApplication::focusWidget();
  if (now && (now == this || isAncestorOf(now))) return;
  if (focusInside_) {
    focusInside_ = false;
    DoExit();
  }
}

void TStringGrid::FocusEnteredEditor(Qt::FocusReason reason) {
  Invalidate();
  if (!focusInside_ && !WindowSwitch(reason)) {
    focusInside_ = true;
    DoEnter();
  }
}

bool TStringGrid::focusNextPrevChild(bool next) {
  // With goTabs, Tab moves between cells instead of leaving the grid.
  if (options_.Contains(TGridOption::goTabs)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

// --- keyboard ---------------------------------------------------------------------

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (KeyDown(event->key(), event->modifiers(), event->text()))
    event->accept();
  else
    event->ignore();
}

bool TStringGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift, const QString& Text) {
  using enum TGridOption;
  const bool ctrl = Shift.testFlag(Qt::ControlModifier);
  const bool alt = Shift.testFlag(Qt::AltModifier);
  const bool shift = Shift.testFlag(Qt::ShiftModifier);
  const bool rowSelect = options_.Contains(goRowSelect);
  int c = col_, r = row_;
  const int page = std::max(1, VisibleRowCount());
  switch (Key) {
    case Qt::Key_Up: r -= 1; break;
    case Qt::Key_Down: r += 1; break;
    case Qt::Key_Left:
      if (rowSelect) {
        SetTopLeft(leftCol_ - 1, topRow_);
        return true;
      }
      c -= 1;
      break;
    case Qt::Key_Right:
      if (rowSelect) {
        SetTopLeft(leftCol_ + 1, topRow_);
        return true;
      }
      c += 1;
      break;
    case Qt::Key_PageUp: r -= page; break;
    case Qt::Key_PageDown: r += page; break;
    case Qt::Key_Home:
      c = fixedCols_;
      if (ctrl || rowSelect) r = fixedRows_;
      break;
    case Qt::Key_End:
      c = ColCount() - 1;
      if (ctrl || rowSelect) r = RowCount() - 1;
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      if (!options_.Contains(goTabs) || alt || ctrl) return false;
      const bool back = Key == Qt::Key_Backtab || shift;
      if (rowSelect) {
        r += back ? -1 : 1;
      } else if (back) {
        if (--c < fixedCols_) {
          c = ColCount() - 1;
          --r;
        }
      } else if (++c >= ColCount()) {
        c = fixedCols_;
        ++r;
      }
      if (r < fixedRows_ || r >= RowCount()) return true;  // no wrap past the ends
      break;
    }
    case Qt::Key_F2:
      if (!CanEditShow()) return false;
      ShowEditor();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!CanEditShow()) return false;
      if (!editorMode_)
        ShowEditor();
      else if (!options_.Contains(goAlwaysShowEditor))
        HideEditor();
      return true;
    case Qt::Key_Escape:
      if (!editorMode_) return false;
      CancelEdit();
      return true;
    default:
      if (!ctrl && !alt && !editorMode_ && !Text.isEmpty() && Text.at(0).isPrint() && CanEditShow()) {
        ShowEditorChar(Text);
        return true;
      }
      return false;
  }
  c = std::clamp(c, fixedCols_, ColCount() - 1);
  r = std::clamp(r, fixedRows_, RowCount() - 1);
  if (c != col_ || r != row_) {
    const bool tabbing = Key == Qt::Key_Tab || Key == Qt::Key_Backtab;
    FocusCell(c, r, shift && !tabbing && options_.Contains(goRangeSelect) && !rowSelect);
  }
  return true;
}

// --- in-place editor -----------------------------------------------------------------

void TStringGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TStringGrid::ShowEditor() {
  if (!CanEditShow()) return;
  if (!editor_) {
    editor_ = CreateEditor();
    if (!editor_) return;
    editor_->setParent(viewport());
    editor_->hide();
    connect(editor_.get(), &QLineEdit::textChanged, this, &TStringGrid::EditorTextEdited);
  }
  editorMode_ = true;
  UpdateEditor();
  if (editor_->isVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

void TStringGrid::ShowEditorChar(const QString& ch) {
  ShowEditor();
  if (!editorMode_ || !editor_ || !editor_->isVisible()) return;
  editor_->setText(ch);
  editor_->setCursorPosition(ch.size());
}

void TStringGrid::HideEditor() {
  if (!editorMode_ && !(editor_ && editor_->isVisible())) return;
  editorMode_ = false;
  if (!editor_) return;
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  editCell_ = TGridCoord{};
  if (hadFocus) setFocus(Qt::OtherFocusReason);
  Invalidate();
}

void TStringGrid::CancelEdit() {
  if (!editor_ || editCell_.X < 0) {
    HideEditor();
    return;
  }
  if (CanEditModify()) SetEditText(editCell_.X, editCell_.Y, editOriginal_);
  loadingEditor_ = true;
  editor_->setText(editOriginal_);
  loadingEditor_ = false;
  if (!options_.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
}

// Places the editor over the current cell, loading it when the cell changed.
void TStringGrid::UpdateEditor() {
  if (!editor_) return;
  if (!editorMode_) {
    if (editor_->isVisible()) editor_->hide();
    return;
  }
  const TRect rect = CellRect(col_, row_);
  if (rect.IsEmpty()) {
    // Scrolled out of view: stays in editing mode, shows again when back.
    editor_->hide();
    return;
  }
  bool placed = false;
  if (!(editCell_ == TGridCoord{col_, row_})) {
    editCell_ = TGridCoord{col_, row_};
    editOriginal_ = GetEditText(col_, row_);
    loadingEditor_ = true;
    editor_->LoadCell();
    loadingEditor_ = false;
    placed = true;
  }
  if (editor_->geometry() != rect.ToQRect() || !editor_->isVisible()) {
    editor_->setGeometry(rect.ToQRect());
    placed = true;
  }
  editor_->show();
  if (placed) editor_->UpdateLayout();
}

void TStringGrid::EditorTextEdited(const QString& text) {
  if (!loadingEditor_ && editorMode_ && editCell_.X >= 0 && CanEditModify()) {
    writingFromEditor_ = true;
    SetEditText(editCell_.X, editCell_.Y, text);
    writingFromEditor_ = false;
  }
  EditorTextChanged();
}

// --- saved definition -----------------------------------------------------------------

void TStringGrid::WriteProperties(QJsonObject& properties) const {
  properties.insert("ColCount", ColCount());
  properties.insert("RowCount", RowCount());
  properties.insert("FixedCols", fixedCols_);
  properties.insert("FixedRows", fixedRows_);
  properties.insert("DefaultColWidth", defaultColWidth_);
  properties.insert("DefaultRowHeight", defaultRowHeight_);
  properties.insert("GridLineWidth", gridLineWidth_);
  QJsonArray options;
  for (TGridOption o : kAllGridOptions)
    if (options_.Contains(o)) options.append(GridOptionName(o));
  properties.insert("Options", options);
  properties.insert("DefaultDrawing", defaultDrawing_);
  properties.insert("ScrollBars", QString::fromLatin1(kScrollStyleNames[static_cast<int>(scrollBars_)]));
  properties.insert("Enabled", isEnabled());
  properties.insert("Color", color_.name());
  properties.insert("FixedColor", fixedColor_.name());
}

void TStringGrid::ReadProperties(const QJsonObject& p) {
  // Counts before fixed counts, default sizes after counts.
  if (p.contains("ColCount")) SetColCount(ReadCount(p, "ColCount"));
  if (p.contains("RowCount")) SetRowCount(ReadCount(p, "RowCount"));
  if (p.contains("FixedCols")) SetFixedCols(ReadInt(p, "FixedCols"));
  if (p.contains("FixedRows")) SetFixedRows(ReadInt(p, "FixedRows"));
  if (p.contains("DefaultColWidth")) SetDefaultColWidth(ReadInt(p, "DefaultColWidth"));
  if (p.contains("DefaultRowHeight")) SetDefaultRowHeight(ReadInt(p, "DefaultRowHeight"));
  if (p.contains("GridLineWidth")) SetGridLineWidth(ReadInt(p, "GridLineWidth"));
  if (p.contains("Options")) {
    const QJsonValue v = p.value("Options");
    if (!v.isArray()) throw EInvalidGridDefinition("Grid definition: Options must be a list");
    TGridOptions options;
    for (const QJsonValue& name : v.toArray()) {
      const auto o = GridOptionFromName(name.toString());
      if (!o) throw EInvalidGridDefinition("Grid definition: unknown option " + name.toString().toStdString());
      options.Include(*o);
    }
    SetOptions(options);
  }
  if (p.contains("DefaultDrawing")) SetDefaultDrawing(ReadBool(p, "DefaultDrawing"));
  if (p.contains("ScrollBars")) {
    const QString name = p.value("ScrollBars").toString();
    const auto* it = std::find_if(std::begin(kScrollStyleNames), std::end(kScrollStyleNames),
                                  [&](const char* n) { return name == QLatin1String(n); });
    if (it == std::end(kScrollStyleNames))
      throw EInvalidGridDefinition("Grid definition: unknown scroll bar style " + name.toStdString());
    SetScrollBars(static_cast<TScrollStyle>(it - std::begin(kScrollStyleNames)));
  }
  if (p.contains("Enabled")) SetEnabled(ReadBool(p, "Enabled"));
  if (p.contains("Color")) SetColor(ReadColor(p, "Color"));
  if (p.contains("FixedColor")) SetFixedColor(ReadColor(p, "FixedColor"));
}

void TStringGrid::DefineProperties(TGridDefinitionFiler& Filer) {
  const bool colsDiffer =
      std::any_of(colWidths_.begin(), colWidths_.end(), [&](int w) { return w != defaultColWidth_; });
  Filer.DefineProperty(
      "ColWidths",
      [this](const QJsonValue& v) {
        const std::vector<int> widths = ReadIntArray(v, "ColWidths");
        for (int c = 0; c < static_cast<int>(widths.size()) && c < ColCount(); ++c) SetColWidths(c, widths[c]);
      },
      [this] {
        QJsonArray a;
        for (int w : colWidths_) a.append(w);
        return QJsonValue(a);
      },
      colsDiffer);
  const bool rowsDiffer =
      std::any_of(rowHeights_.begin(), rowHeights_.end(), [&](int h) { return h != defaultRowHeight_; });
  Filer.DefineProperty(
      "RowHeights",
      [this](const QJsonValue& v) {
        const std::vector<int> heights = ReadIntArray(v, "RowHeights");
        for (int r = 0; r < static_cast<int>(heights.size()) && r < RowCount(); ++r) SetRowHeights(r, heights[r]);
      },
      [this] {
        QJsonArray a;
        for (int h : rowHeights_) a.append(h);
        return QJsonValue(a);
      },
      rowsDiffer);
}

QJsonObject TStringGrid::SaveDefinition() const {
  QJsonObject properties;
  WriteProperties(properties);
  TGridDefinitionFiler filer;
  const_cast<TStringGrid*>(this)->DefineProperties(filer);
  QJsonObject defined;
  for (const auto& e : filer.Entries())
    if (e.HasData && e.Write) defined.insert(e.Name, e.Write());
  QJsonObject definition;
  definition.insert("Properties", properties);
  definition.insert("Defined", defined);
  return definition;
}

void TStringGrid::LoadDefinition(const QJsonObject& definition) {
  struct TLoadingFlag {
    bool& flag;
    explicit TLoadingFlag(bool& f) : flag(f) { flag = true; }
    ~TLoadingFlag() { flag = false; }
  };
  {
    TLoadingFlag loading(loading_);
    if (definition.contains("Properties")) {
      if (!definition.value("Properties").isObject())
        throw EInvalidGridDefinition("Grid definition: Properties must be an object");
      ReadProperties(definition.value("Properties").toObject());
    }
    if (definition.contains("Defined")) {
      if (!definition.value("Defined").isObject())
        throw EInvalidGridDefinition("Grid definition: Defined must be an object");
      const QJsonObject defined = definition.value("Defined").toObject();
      TGridDefinitionFiler filer;
      DefineProperties(filer);
      for (const auto& e : filer.Entries())
        if (defined.contains(e.Name) && e.Read) e.Read(defined.value(e.Name));
    }
  }
  Loaded();
}

QByteArray TStringGrid::SaveDefinitionText() const {
  return QJsonDocument(SaveDefinition()).toJson(QJsonDocument::Indented);
}

void TStringGrid::LoadDefinitionText(const QByteArray& text) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError)
    throw EInvalidGridDefinition("Grid definition is not valid JSON: " + error.errorString().toStdString());
  if (!doc.isObject()) throw EInvalidGridDefinition("Grid definition must be a JSON object");
  LoadDefinition(doc.object());
}

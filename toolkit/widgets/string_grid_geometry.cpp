#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid_axis.h"

#include <QScrollBar>

#include <algorithm>

using namespace string_grid_detail;

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

// --- scrolling ------------------------------------------------------------------

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

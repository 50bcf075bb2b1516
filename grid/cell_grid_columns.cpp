// Keeping the base grid's columns in step with Columns: hiding and showing
// columns, counts, and moves made by the user.

#include "grid/cell_grid.h"

#include <algorithm>

namespace {

// Sets a flag for a scope and puts back what it was (hiding and showing
// nest inside SetColCountInternal).
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

void TCellGrid::SetColCountInternal(int Count) {
  TFlagScope internal(InternalColChange);
  SetColCount(Count);
}

void TCellGrid::SetColumns(const TcgColumns& Value) {
  HideEditor();
  columns_.Assign(Value);
  // The copies bring their own Visible flags: lay the grid out for them.
  SetColCountInternal(VisibleColumnCount());
  PadHiddenCells();
  Invalidate();
}

void TCellGrid::ColumnChanged(TcgHeading* Item, bool RepaintOnly) {
  // A definition being read sets every property; the layout follows once
  // it is complete.
  if (Loading() || Destroying()) return;
  if (!RepaintOnly) {
    auto* column = dynamic_cast<TcgColumn*>(Item);
    if (!column) return;
    HideEditor();
    if (column->Visible())
      ShowColumn(column);
    else
      HideColumn(column);
  }
  Invalidate();
}

void TCellGrid::HideColumn(TcgColumn* Column) {
  const int n = VisibleBefore(Column);
  Column->HiddenCells().SetList(Cols(n));
  Column->SetHiddenWidth(ColWidths(n));
  TFlagScope internal(InternalColChange);
  if (ColCount() > 1) {
    DeleteColumn(n);
  } else {
    // The base grid keeps one column: it stays, empty, until a column is
    // shown in it again.
    SetCols(0, {});
  }
}

void TCellGrid::ShowColumn(TcgColumn* Column) {
  if (VisibleColumnCount() == 1 && ColCount() == 1) {
    // The grid's one column stood empty while every column was hidden.
    SetColWidths(0, Column->HiddenWidth());
    SetCols(0, Column->HiddenCells().List());
    Column->HiddenCells().Clear();
    return;
  }
  const int w = ColWidths(ColCount() - 1);
  SetColCountInternal(ColCount() + 1);
  SetColWidths(ColCount() - 2, w);
  const int b = VisibleBefore(Column);
  SetColWidths(ColCount() - 1, Column->HiddenWidth());
  SetCols(ColCount() - 1, Column->HiddenCells().List());
  {
    TFlagScope internal(InternalColChange);
    MoveColumn(ColCount() - 1, b);
  }
  Column->HiddenCells().Clear();
}

// Every hidden column keeps a text for every row, so that it can be shown.
void TCellGrid::PadHiddenCells() {
  for (int i = 0; i < columns_.Count(); ++i) {
    TcgColumn* column = columns_.Items(i);
    if (column->Visible()) continue;
    while (column->HiddenCells().Count() < RowCount()) column->HiddenCells().Add(QString());
  }
}

void TCellGrid::SizeChanged(int OldColCount, int OldRowCount) {
  TCgHintGrid::SizeChanged(OldColCount, OldRowCount);
  if (RowCount() != OldRowCount) PadHiddenCells();
  if (InternalColChange) return;
  if (ColCount() > OldColCount) {
    // With every column hidden the one grid column left had no column
    // object: it gets a new one too.
    const int stood = VisibleColumnCount() == 0 ? OldColCount : 0;
    for (int n = ColCount() - OldColCount + stood; n > 0; --n) columns_.Add();
  } else if (ColCount() < OldColCount) {
    int toFree = OldColCount - ColCount();
    for (int i = columns_.Count() - 1; i >= 0 && toFree > 0; --i) {
      if (!columns_.Items(i)->Visible()) continue;
      columns_.Delete(i);
      --toFree;
    }
  }
}

void TCellGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (!InternalColChange) {
    // Both looked up before anything moves, so that Columns follows the
    // order on the screen. The texts move in any case, so that they stay
    // with their widths.
    try {
      const int from = ColumnAt(FromIndex)->Index();
      const int to = ColumnAt(ToIndex)->Index();
      columns_.Move(from, to);
    } catch (const EcgColumnIndexOutOfRange&) {
    }
  }
  TCgHintGrid::ColumnMoved(FromIndex, ToIndex);
}

void TCellGrid::RowMoved(int FromIndex, int ToIndex) {
  TCgHintGrid::RowMoved(FromIndex, ToIndex);
  const int needed = std::max(FromIndex, ToIndex) + 1;
  for (int i = 0; i < columns_.Count(); ++i) {
    TcgColumn* column = columns_.Items(i);
    if (column->Visible()) continue;
    TStringList& cells = column->HiddenCells();
    while (cells.Count() < needed) cells.Add(QString());
    const QString moving = cells.Strings(FromIndex);
    cells.Delete(FromIndex);
    cells.Insert(ToIndex, moving);
  }
}

#pragma once

// A cell grid without frame or scroll bars (client and widget coordinates agree), its state readable.

#include "grid/cell_grid.h"
#include "tests/common/shown_window.h"

#include <QApplication>
#include <QFrame>

#include <ostream>
#include <string>
#include <vector>

struct TProbeCellGrid : TCellGrid {
  explicit TProbeCellGrid(QWidget* parent = nullptr) : TCellGrid(parent) {
    setFrameShape(QFrame::NoFrame);
    SetScrollBars(TScrollStyle::ssNone);
  }

  // Shown and active, with a client area of w x h pixels.
  void ShowClient(int w, int h) { resize(w, h); (void)orvix::test::ShowActive(*this); }
  void SetSize(int cols, int rows, int fixedCols = 1) { SetColCount(cols); SetRowCount(rows); SetFixedCols(fixedCols); }
  void UseFont(int pixels) { QFont f("DejaVu Sans"); f.setPixelSize(pixels); setFont(f); }
  // Cell (c, r) reads "c:r" in every cell.
  void FillTexts() {
    for (int c = 0; c < ColCount(); ++c)
      for (int r = 0; r < RowCount(); ++r) SetCells(c, r, QString("%1:%2").arg(c).arg(r));
  }
  void NameColumns(std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) Columns().Items(i++)->SetName(n);
  }
  std::vector<std::string> ColumnNames() const {
    std::vector<std::string> out;
    for (int i = 0; i < Columns().Count(); ++i) out.push_back(Columns().Items(i)->Name().toStdString());
    return out;
  }
  void SetWidths(std::initializer_list<int> widths) { int c = 0; for (int w : widths) SetColWidths(c++, w); }
  std::vector<int> Widths() const {
    std::vector<int> out;
    for (int c = 0; c < ColCount(); ++c) out.push_back(ColWidths(c));
    return out;
  }

  using TCellGrid::HeadingBitmap, TCellGrid::InternalColChange, TCellGrid::OverPressed, TCellGrid::PressedButton;
  using TCellGrid::PressedCol, TCellGrid::PressedHeading, TCellGrid::PressedLook, TCellGrid::PressedRow;
  using TCellGrid::Tracking;

  std::vector<TRect> invalidated;

  void InvalidateRect(const TRect& rect) override { invalidated.push_back(rect); TCellGrid::InvalidateRect(rect); }
};

inline QPoint Center(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
inline std::ostream& operator<<(std::ostream& os, const TRect& r) {
  return os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}
inline std::ostream& operator<<(std::ostream& os, const TGridCoord& c) { return os << "(" << c.X << ", " << c.Y << ")"; }

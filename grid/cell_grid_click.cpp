// Fixed cells and heading bands pressed like buttons.
//
// A press inside the hot area of a fixed cell is tracked by the grid itself
// and never reaches the base grid: for the left button the cell less
// GridLineWidth + 4 pixels at the left and right and GridLineWidth + 6 at the
// top and bottom (the edges stay with the base grid, which sizes and moves
// columns there), for other buttons the whole cell. While tracked, the
// pointer being over the pressed cell (or over the band of the pressed
// heading, in any of its columns) makes a release a click, OnFixedCellClick;
// only the left button draws the cell sunken (PressedLook). Whenever the
// look changes, the cell or the visible part of the band is invalidated.
// Releases that raise no click go to the base grid.

#include "grid/cell_grid.h"

#include "toolkit/widgets/inplace_edit.h"

#include <algorithm>

int TCellGrid::HeadingAt(int X, int Y) const {
  const TGridCoord cell = MouseCell(X, Y);
  if (cell.Y != 0 || cell.X < 0) return -1;
  if (!(cell.X < FixedCols() || FixedRows() > 0)) return -1;
  try {
    const int heading = ColumnAt(cell.X)->HeadingIndex();
    if (heading < 0) return -1;
    TRect band = CellRect(cell.X, 0);
    band.Bottom = band.Top + RowHeights(0) / 2 - 2;
    return band.Contains(X, Y) ? heading : -1;
  } catch (const EcgColumnIndexOutOfRange&) {
    return -1;
  }
}

void TCellGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (CellColumnClick()) {
    const TGridCoord cell = MouseCell(X, Y);
    TRect hot = CellRect(cell.X, cell.Y);
    if (Button == Qt::LeftButton) {
      const int h = GridLineWidth() + 4, v = GridLineWidth() + 6;
      hot = TRect{hot.Left + h, hot.Top + v, hot.Right - h, hot.Bottom - v};
    }
    const bool fixed = (cell.X >= 0 && cell.X < FixedCols()) || (cell.Y >= 0 && cell.Y < FixedRows());
    if (fixed && hot.Contains(X, Y)) {
      Tracking = true;
      PressedCol = cell.X;
      PressedRow = cell.Y;
      PressedHeading = HeadingAt(X, Y);
      PressedButton = Button;
      // No explicit capture: Qt sends the moves and the release to the
      // pressed viewport until the last button is up, which is the capture
      // the tracking needs.
      UpdatePressedState(X, Y);
      return;
    }
  }
  TCgHintGrid::MouseDown(Button, Shift, X, Y);
}

void TCellGrid::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
  if (Tracking && CellColumnClick()) UpdatePressedState(X, Y);
  TCgHintGrid::MouseMove(Shift, X, Y);
}

void TCellGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (CellColumnClick() && Tracking) {
    const TGridCoord cell = MouseCell(X, Y);
    const bool click = OverPressed && Button == PressedButton;
    const int heading = PressedHeading;
    // The press is over before the handler runs, so that a handler that
    // fails or opens a box leaves no press tracked and no sunken cell.
    EndTracking();
    if (click) {
      if (OnFixedCellClick) OnFixedCellClick(this, cell.X, cell.Y, heading, Button, Shift, X, Y);
      return;
    }
  }
  TCgHintGrid::MouseUp(Button, Shift, X, Y);
}

void TCellGrid::EndTracking() {
  Tracking = false;
  UpdatePressedState(-1, -1);
  PressedLook = false;
}

void TCellGrid::CancelMode(QObject* Sender) {
  TCgHintGrid::CancelMode(Sender);
  // Something else took over (a box or popup opened, the focus moved) and
  // Qt has ended the press's grab: the press ends without a click.
  if (Tracking && Sender != this && Sender != InplaceEditor()) EndTracking();
}

void TCellGrid::UpdatePressedState(int X, int Y) {
  const TGridCoord cell = MouseCell(X, Y);
  const int heading = HeadingAt(X, Y);
  const bool over = (PressedHeading == -1 && cell == TGridCoord{PressedCol, PressedRow} && heading == -1) ||
                    (PressedHeading >= 0 && heading == PressedHeading);
  OverPressed = over;
  const bool look = over && PressedButton == Qt::LeftButton;
  if (look == PressedLook) return;
  PressedLook = look;
  if (PressedHeading == -1)
    InvalidateRect(CellRect(PressedCol, PressedRow));
  else
    InvalidatePressedHeading();
}

void TCellGrid::InvalidatePressedHeading() {
  auto inSpan = [this](int c) {
    try {
      return ColumnAt(c)->HeadingIndex() == PressedHeading;
    } catch (const EcgColumnIndexOutOfRange&) {
      return false;
    }
  };
  int i = PressedCol;
  while (i >= 0 && inSpan(i) && (i >= LeftCol() || i <= FixedCols())) --i;
  int j = PressedCol;
  while (j < ColCount() && inSpan(j) && j <= LeftCol() + VisibleColCount()) ++j;
  // The band over the span's columns in view. A column of the span that is
  // scrolled out or lies past the client area has no rectangle; it must
  // not shrink the band to nothing.
  TRect band;
  for (int c = i + 1; c <= j - 1; ++c) {
    const TRect r = CellRect(c, PressedRow);
    if (r.IsEmpty()) continue;
    if (band.IsEmpty()) {
      band = r;
    } else {
      band.Left = std::min(band.Left, r.Left);
      band.Right = std::max(band.Right, r.Right);
    }
  }
  if (band.IsEmpty()) return;
  band.Bottom = band.Top + RowHeights(PressedRow) / 2 - 2;
  InvalidateRect(band);
}

// Cell painting. The string grid says which cell to paint, where and in
// which state; the grid paints all of it: heading band, borders, background,
// bevels (sunken while the cell is pressed), image, text and focus
// rectangle, then OnDrawCell. A cell that fails is reported after the paint,
// so no box opens inside it, and the other cells still paint.

#include "grid/cell_grid.h"

#include "toolkit/core/message_box.h"

namespace {

// The grid canvas draws through the paint's painter only while one cell is
// painted; it must not keep a painter that is gone.
class TBoundCanvas {
 public:
  TBoundCanvas(TCanvas& canvas, QPainter* painter, const QPalette& palette) : canvas_(canvas) {
    canvas_.Bind(painter, palette);
  }
  ~TBoundCanvas() { canvas_.Bind(nullptr, canvas_.Palette()); }
  TBoundCanvas(const TBoundCanvas&) = delete;
  TBoundCanvas& operator=(const TBoundCanvas&) = delete;

 private:
  TCanvas& canvas_;
};

}  // namespace

void TCellGrid::LayOutCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, bool Draw,
                           TCellLayout& Cell) {
  using enum TGridDrawStateFlag;
  TRect R = ARect;
  TcgColumn* column = ColumnAt(ACol);
  const bool fixed = AState.Contains(gdFixed);
  if (fixed && ARow == 0 && column->HeadingIndex() >= 0) {
    if (Draw) DrawHeadingBand(ACol, ARow, *column);
    R.Top += RowHeights(ARow) / 2 - 1;  // the caption goes below the band
  }

  TPanelBevel outer = TPanelBevel::bvNone, inner = TPanelBevel::bvNone;
  GetCellAttributes(ACol, ARow, AState, column, CellFont, Cell.Info, Cell.Color, outer, inner, Cell.State);

  CellTopBorder.Assign(column->TopBorder());
  CellRightBorder.Assign(column->RightBorder());
  CellBottomBorder.Assign(column->BottomBorder());
  CellLeftBorder.Assign(column->LeftBorder());
  if (OnChangeCellBorders)
    OnChangeCellBorders(this, ACol, ARow, column, Cell.State, CellTopBorder, CellRightBorder, CellBottomBorder,
                        CellLeftBorder);
  if (Draw)
    DrawCellBorders(gridCanvas_, R, CellTopBorder, CellRightBorder, CellBottomBorder, CellLeftBorder);
  else
    InsetCellBorders(R, CellTopBorder, CellRightBorder, CellBottomBorder, CellLeftBorder);
  Cell.Frame = R;

  if (Draw) {
    gridCanvas_.Brush().SetColor(Cell.Color);
    gridCanvas_.Brush().SetStyle(TBrushStyle::bsSolid);  // the last cell's text left it clear
    gridCanvas_.FillRect(R);
  }

  const bool pressed = PressedHeading == -1 && Tracking && PressedLook && ACol == PressedCol && ARow == PressedRow;
  if (pressed) {
    outer = TPanelBevel::bvLowered;
    inner = TPanelBevel::bvNone;
  }
  TRect& text = Cell.Info.Rect;
  text = R;
  if (Draw)
    DrawCellBevels(gridCanvas_, text, outer, inner);
  else
    InsetCellBevels(text, outer, inner);
  if (pressed) {
    text.Left += 2;
    text.Top += 2;
  }

  PlaceCellImage(ACol, ARow, -1, text, Draw, gridCanvas_);
  if (!fixed) Cell.Info.Text = GetDisplayText(ACol, ARow);
}

void TCellGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (ACol >= VisibleColumnCount()) {
    // Every column hidden: the one grid column the string grid keeps shows
    // no column, so its cells are painted empty.
    Canvas()->fillRect(ARect.ToQRect(), AState.Contains(TGridDrawStateFlag::gdFixed) ? FixedColor() : Color());
    return;
  }
  const TBoundCanvas bound(gridCanvas_, Canvas(), palette());
  TCellLayout cell;
  LayOutCell(ACol, ARow, ARect, AState, true, cell);

  gridCanvas_.Font().Assign(CellFont);
  DrawCellText(cell.Info);

  if (AState.Contains(TGridDrawStateFlag::gdFocused) && cellOptions_.Contains(TcgOption::cgoptDrawFocusRectangle)) {
    gridCanvas_.Brush().SetColor(cell.Color);
    gridCanvas_.Brush().SetStyle(TBrushStyle::bsSolid);
    gridCanvas_.DrawFocusRect(cell.Frame);
  }
  // The string grid's own drawing is left out: this grid draws every cell.
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TCellGrid::CellPaintFailed(int, int, const QString& message) {
  ShowErrorBox("Caught exception in drawCell", message.toStdString());
}

// --- the text a cell shows ----------------------------------------------------------

bool TCellGrid::CellTextCut(int ACol, int ARow, QString& Text) {
  Text.clear();
  const TRect rect = CellRect(ACol, ARow);
  if (rect.IsEmpty() || ACol >= VisibleColumnCount()) return false;  // out of view, or painted empty
  // The state the cell is painted in, focus aside: it only changes colours.
  TGridDrawState state;
  if (ACol < FixedCols() || ARow < FixedRows())
    state.Include(TGridDrawStateFlag::gdFixed);
  else if (Selection().Contains(ACol, ARow))
    state.Include(TGridDrawStateFlag::gdSelected);
  TCellLayout cell;
  LayOutCell(ACol, ARow, rect, state, false, cell);
  Text = cell.Info.Text;
  gridCanvas_.Font().Assign(CellFont);
  return !CellTextFits(cell.Info);
}

QString TCellGrid::AccessibleCellText(int ACol, int ARow) const {
  // Read as the painting shows it. Reading must not fail: a cell whose text
  // cannot be formatted is read as stored.
  auto* self = const_cast<TCellGrid*>(this);
  try {
    if (ACol < FixedCols() || ARow < FixedRows()) {
      const QString caption = ColumnAt(ACol)->Caption();
      return ARow == 0 && !caption.isEmpty() ? caption : Cells(ACol, ARow);
    }
    return self->GetDisplayText(ACol, ARow);
  } catch (const std::exception&) {
    return Cells(ACol, ARow);
  }
}

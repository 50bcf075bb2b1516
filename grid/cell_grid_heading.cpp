// The band of a spanning heading, across the title cells of the adjacent
// columns that share its HeadingIndex. The whole span is drawn off screen
// for each of its cells and each cell copies only its own slice, so a
// caption runs across the column boundaries as one piece and any one cell
// can be repainted alone. The grid lines between the span's columns are
// painted over within the band.

#include "grid/cell_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Draws on the heading bitmap for as long as it lives.
class TBitmapPainting {
 public:
  TBitmapPainting(QPainter& painter, QImage& bitmap, TCanvas& canvas, const QPalette& palette)
      : painter_(painter), canvas_(canvas) {
    painter_.begin(&bitmap);
    canvas_.Bind(&painter_, palette);
  }
  ~TBitmapPainting() {
    canvas_.Bind(nullptr, canvas_.Palette());
    if (painter_.isActive()) painter_.end();
  }
  TBitmapPainting(const TBitmapPainting&) = delete;
  TBitmapPainting& operator=(const TBitmapPainting&) = delete;

 private:
  QPainter& painter_;
  TCanvas& canvas_;
};

// The bitmap only grows, so painting does not make a new one once it has
// held the widest span; it follows the device's pixel ratio.
void Reserve(QImage& bitmap, int width, int height, qreal dpr) {
  const int w = static_cast<int>(std::ceil(width * dpr));
  const int h = static_cast<int>(std::ceil(height * dpr));
  if (bitmap.width() >= w && bitmap.height() >= h && bitmap.devicePixelRatio() == dpr) return;
  bitmap = QImage(std::max(w, bitmap.width()), std::max(h, bitmap.height()), QImage::Format_ARGB32_Premultiplied);
  bitmap.setDevicePixelRatio(dpr);
}

}  // namespace

bool TCellGrid::InHeadingSpan(int ACol, int HeadingIndex) const {
  return ColumnAt(ACol)->HeadingIndex() == HeadingIndex;
}

void TCellGrid::DrawHeadingBand(int ACol, int ARow, const TcgColumn& Column) {
  using enum TGridOption;
  const int index = Column.HeadingIndex();
  TcgHeading* heading = headings_.Items(index);
  const int lw = Options().Contains(goFixedVertLine) || Options().Contains(goVertLine) ? GridLineWidth() : 0;

  int first = ACol;
  while (first - 1 >= 0 && InHeadingSpan(first - 1, index)) --first;
  int last = ACol;
  while (last + 1 < ColCount() && InHeadingSpan(last + 1, index)) ++last;

  const TRect cr = CellRect(ACol, ARow);
  int spanWidth = lw * (last - first) + 1;
  for (int i = first; i <= last; ++i) spanWidth += ColWidths(i);
  int offset = lw * (ACol - first);
  for (int i = first; i < ACol; ++i) offset += ColWidths(i);
  const int bh = RowHeights(ARow) / 2;

  TCgDrawInfo info;
  TColor color = clNone;
  TPanelBevel outer = TPanelBevel::bvNone, inner = TPanelBevel::bvNone;
  TcgCellStates state;
  GetCellAttributes(ACol, ARow, TGridDrawState{TGridDrawStateFlag::gdFixed}, heading, CellFont, info, color, outer,
                    inner, state);

  if (!Canvas()) throw EInvalidOperation("Canvas does not allow drawing");
  QPainter& grid = *Canvas();
  const qreal dpr = grid.device() ? grid.device()->devicePixelRatioF() : 1.0;
  Reserve(HeadingBitmap, spanWidth, bh, dpr);
  {
    const TBitmapPainting painting(headingPainter_, HeadingBitmap, headingCanvas_, palette());
    TCanvas& band = headingCanvas_;
    band.Brush() = gridCanvas_.Brush();
    band.Pen() = gridCanvas_.Pen();
    band.Font().Assign(CellFont);
    band.Brush().SetColor(color);
    band.Brush().SetStyle(TBrushStyle::bsSolid);

    info.Canvas = &band;
    info.Rect = {0, 0, spanWidth - 1, bh - 1};
    info.Text = heading->Caption();
    band.FillRect(info.Rect);

    TRect& r = info.Rect;
    if (Options().Contains(goFixedHorzLine)) {
      // The title row's line under the band, as under a title cell.
      CellBottomBorder.SetStyle(TcgBorderStyle::cgbrdSolid);
      CellBottomBorder.SetWidth(GridLineWidth());
      CellBottomBorder.SetColor(clBlack);
      r.Bottom -= DrawBorderLine(band, {r.Right - 1, r.Bottom - 1}, {r.Left - 1, r.Bottom - 1}, CellBottomBorder, 1);
    }

    CellTopBorder.Assign(heading->TopBorder());
    CellRightBorder.Assign(heading->RightBorder());
    CellBottomBorder.Assign(heading->BottomBorder());
    CellLeftBorder.Assign(heading->LeftBorder());
    if (OnChangeCellBorders)
      OnChangeCellBorders(this, -1, -1, heading, TcgCellStates{TcgCellState::cgcsHeading}, CellTopBorder,
                          CellRightBorder, CellBottomBorder, CellLeftBorder);
    DrawCellBorders(band, r, CellTopBorder, CellRightBorder, CellBottomBorder, CellLeftBorder);

    const bool pressed =
        index == PressedHeading && Tracking && PressedLook && first <= PressedCol && PressedCol <= last;
    if (pressed) {
      outer = TPanelBevel::bvLowered;
      inner = TPanelBevel::bvNone;
    }
    DrawCellBevels(band, r, outer, inner);
    if (pressed) {
      r.Left += 2;
      r.Top += 2;
    }
    PlaceCellImage(ACol, ARow, index, r, true, band);
    DrawCellText(info);
  }

  // This cell's slice, right and bottom exclusive.
  const int w = cr.Right - cr.Left + 1;
  TRect source{offset, 0, offset + w - 1, bh - 1};
  TRect target{cr.Left, cr.Top, cr.Right, cr.Top + bh - 1};
  if (first < ACol && ACol > LeftCol()) {
    source.Left -= lw;
    target.Left -= lw;
  }
  if (ACol < last && ACol < LeftCol() + VisibleColCount() && ACol < ColCount()) {
    source.Right += lw;
    target.Right += lw;
  }
  const QPainter::CompositionMode mode = grid.compositionMode();
  grid.setCompositionMode(QPainter::CompositionMode_Source);
  grid.drawImage(target.ToQRect(), HeadingBitmap,
                 QRectF(source.Left * dpr, source.Top * dpr, source.Width() * dpr, source.Height() * dpr));
  grid.setCompositionMode(mode);
}

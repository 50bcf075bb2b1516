#include "grid/cg_edit.h"

#include "grid/cell_grid.h"

#include <QPainter>

namespace {

void Fill(TCanvas& canvas, const TRect& r, TColor color) {
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

// A down-pointing arrow 7 pixels wide and 4 high with its top-left at (x, y).
void Arrow(TCanvas& canvas, int x, int y, TColor color) {
  for (int i = 0; i < 4; ++i) Fill(canvas, TRect{x + i, y + i, x + 7 - i, y + i + 1}, color);
}

}  // namespace

// The raised two-pixel edge of a button with its face filled; pressed, the
// edge is flat: one shadow line around the face.
void TCgInplaceEdit::DrawRaisedFace(TRect R, bool Flat) {
  if (Flat) {
    PaintCanvas.Frame3D(R, clBtnShadow, clBtnShadow);
    PaintCanvas.Frame3D(R, clBtnFace, clBtnFace);
  } else {
    PaintCanvas.Frame3D(R, cl3DLight, cl3DDkShadow);
    PaintCanvas.Frame3D(R, clBtnHighlight, clBtnShadow);
  }
  Fill(PaintCanvas, R, clBtnFace);
}

// The combo box's arrow control: a button face with an arrow in its middle
// that moves a pixel right and down while pushed, greyed when inactive.
void TCgInplaceEdit::DrawComboArrow(const TRect& R, bool Pushed, bool Inactive) {
  DrawRaisedFace(R, Pushed);
  const int p = Pushed ? 1 : 0;
  const int x = R.Left + (R.Width() - 7) / 2 + p;
  const int y = R.Top + (R.Height() - 4) / 2 + p;
  if (Inactive) {
    Arrow(PaintCanvas, x + 1, y + 1, clBtnHighlight);
    Arrow(PaintCanvas, x, y, clBtnShadow);
  } else {
    Arrow(PaintCanvas, x, y, clBtnText);
  }
}

void TCgInplaceEdit::DrawButton(const TcgColumn& Column) {
  const int p = ButtonPressed ? 1 : 0;
  const TRect& r = ButtonRect;
  switch (Column.ButtonStyle()) {
    case TcgButtonStyle::cgbstEllipsis: {
      DrawRaisedFace(r, ButtonPressed);
      const int x = r.Left + RectWidth(r) / 2 - 1 + p;
      const int y = r.Top + RectHeight(r) / 2 - 1 + p;
      for (int dx : {-4, 0, 4}) Fill(PaintCanvas, TRect{x + dx, y, x + dx + 2, y + 2}, clBlack);
      break;
    }
    case TcgButtonStyle::cgbstDropDown:
      DrawComboArrow(r, ButtonPressed, false);
      break;
    case TcgButtonStyle::cgbstCustom: {
      if (Column.DrawButtonface())
        DrawRaisedFace(r, ButtonPressed);
      else
        Fill(PaintCanvas, r, ColorFromQColor(Color()));
      const TPicture& picture = Column.ButtonPicture();
      if (picture.Empty()) break;
      int y = r.Top + 2 + p;
      if (Column.ButtonVAlignment() == TcgVAlignment::cgvaCenter)
        y = r.Top + 2 + p + (RectHeight(r) - picture.Height()) / 2;
      else if (Column.ButtonVAlignment() == TcgVAlignment::cgvaBottom)
        y = r.Bottom - 2 - picture.Height() + p;
      picture.Draw(PaintCanvas, r.Left + 2 + p, y);
      break;
    }
  }
}

void TCgInplaceEdit::PaintEditor(QPainter& DC) {
  // The background first: the image and the aids are drawn on it, and the
  // text area paints itself on the same colour.
  TInplaceEdit::PaintEditor(DC);
  DC.save();
  // The grid's palette: the editor's own holds the cell's colours.
  PaintCanvas.Bind(&DC, CellGrid()->palette());
  try {
    TRect area = ClientArea;
    TCellGrid* grid = CellGrid();
    grid->PlaceCellImage(grid->Col(), grid->Row(), -1, area, true, PaintCanvas);
    if (HasButton || HasDropDown) {
      const TcgColumn* column = CurrentColumn();
      if (HasButton) DrawButton(*column);
      if (HasDropDown) DrawComboArrow(ArrowRect, ArrowPressed, ActiveList == nullptr);
    }
  } catch (const EcgException&) {
    // The grid changed its columns under a paint already queued: the editor
    // is about to be hidden or laid out again.
  }
  PaintCanvas.Bind(nullptr, CellGrid()->palette());
  DC.restore();
}

// What a cell is drawn with: its attributes from the column (or heading),
// and the image a handler may put beside its text. The cell painting and the
// in-place editor share both, so the editor lays its text out as the cell
// shows it.

#include "grid/cell_grid.h"

#include "toolkit/widgets/image_list.h"
#include "toolkit/widgets/picture.h"

const TFont& TCellGrid::GridFont() {
  // Followed here rather than on a font change event: the grid's font can
  // come from its parent at any time.
  gridFont_.AssignQFont(font());
  return gridFont_;
}

void TCellGrid::GetCellAttributes(int ACol, int ARow, TGridDrawState AState, TcgHeading* Column, TFont& AFont,
                                  TCgDrawInfo& Info, TColor& AColor, TPanelBevel& OuterBevel,
                                  TPanelBevel& InnerBevel, TcgCellStates& CellState) {
  using enum TGridDrawStateFlag;
  auto* column = dynamic_cast<TcgColumn*>(Column);

  CellState = {};
  if (AState.Contains(gdFocused)) CellState.Include(TcgCellState::cgcsFocused);
  if (AState.Contains(gdFixed)) CellState.Include(TcgCellState::cgcsFixed);
  if (AState.Contains(gdSelected)) CellState.Include(TcgCellState::cgcsSelected);
  if (!column) CellState.Include(TcgCellState::cgcsHeading);

  Info.Canvas = &gridCanvas_;
  Info.HMargin = 2;
  Info.VMargin = 1;
  Info.VAlign = TcgVAlignment::cgvaTop;
  Info.HAlign = TAlignment::taLeftJustify;
  Info.Text = Cells(ACol, ARow);
  Info.ClipStyle = TcgClipStyle::cgclpClip;
  Info.Col = ACol;
  Info.Row = ARow;
  Info.Grid = this;
  Info.DrawState = AState;

  if (AState.Contains(gdFixed)) {
    if (ARow == 0 && !Column->Caption().isEmpty()) Info.Text = Column->Caption();
    Info.HAlign = Column->TitleHAlignment();
    Info.VAlign = Column->TitleVAlignment();
    Info.ClipStyle = Column->TitleClipStyle();
    AColor = Column->TitleColor();
    AFont.Assign(Column->TitleParentFont() ? GridFont() : Column->TitleFont());
    OuterBevel = Column->TitleOuterBevel();
    InnerBevel = Column->TitleInnerBevel();
  } else {
    // A data cell always belongs to a column; a heading here is a caller's
    // mistake, reported rather than read as a column.
    if (!column) throw EcgException("TCellGrid: a data cell needs its column");
    Info.HAlign = column->ColumnHAlignment();
    Info.VAlign = column->ColumnVAlignment();
    Info.ClipStyle = column->ColumnClipStyle();
    OuterBevel = column->ColumnOuterBevel();
    InnerBevel = column->ColumnInnerBevel();
    AFont.Assign(column->ColumnParentFont() ? GridFont() : column->ColumnFont());
    AColor = column->ColumnColor();
  }

  const bool focused = AState.Contains(gdFocused);
  if (cellOptions_.Contains(TcgOption::cgoptHighlightSelection) &&
      ((focused && Options().Contains(TGridOption::goDrawFocusSelected)) ||
       (AState.Contains(gdSelected) && !focused))) {
    AColor = cellHighlightColor_;
    AFont.SetColor(cellHighlightFontColor_);
  }

  if (OnChangeCellAttributes)
    OnChangeCellAttributes(this, ACol, ARow, Column, CellState, AColor, AFont, Info.HAlign, Info.VAlign, OuterBevel,
                           InnerBevel);
}

void TCellGrid::PlaceCellImage(int ACol, int ARow, int HeadingIndex, TRect& ARect, bool Draw, TCanvas& Canvas) {
  if (!OnGetCellImage) return;
  TPersistent* object = nullptr;
  int imageIndex = -1;
  TcgImagePosition position = TcgImagePosition::cgipLeft;
  TAlignment hAlign = TAlignment::taCenter;
  TcgVAlignment vAlign = TcgVAlignment::cgvaCenter;
  int margin = 2;
  OnGetCellImage(this, ACol, ARow, HeadingIndex, object, imageIndex, position, hAlign, vAlign, margin);

  const auto* picture = dynamic_cast<const TPicture*>(object);
  const auto* imageList = dynamic_cast<const TImageList*>(object);
  int w = 0, h = 0;
  if (picture) {
    w = picture->Width();
    h = picture->Height();
  } else if (imageList) {
    w = imageList->Width();
    h = imageList->Height();
  } else {
    return;
  }

  TRect& R = ARect;
  TRect A = R;
  switch (position) {
    case TcgImagePosition::cgipLeft:
      R.Left += w + 2 * margin;
      A.Right = R.Left - 1;
      break;
    case TcgImagePosition::cgipRight:
      R.Right -= w + 2 * margin;
      A.Left = R.Right + 1;
      break;
    case TcgImagePosition::cgipTop:
      R.Top += h + 2 * margin;
      A.Bottom = R.Top - 1;
      break;
    case TcgImagePosition::cgipBottom:
      R.Bottom -= h + 2 * margin;
      A.Top = R.Bottom + 1;
      break;
  }
  if (!Draw) return;

  if (position == TcgImagePosition::cgipLeft || position == TcgImagePosition::cgipRight) {
    A.Left += margin;
    switch (vAlign) {
      case TcgVAlignment::cgvaTop: A.Top += margin; break;
      case TcgVAlignment::cgvaCenter: A.Top += (RectHeight(A) - h) / 2; break;
      case TcgVAlignment::cgvaBottom: A.Top = A.Bottom - h - margin; break;
    }
  } else {
    A.Top += margin;
    switch (hAlign) {
      case TAlignment::taLeftJustify: A.Left += margin; break;
      case TAlignment::taRightJustify: A.Left = A.Right - w - margin; break;
      case TAlignment::taCenter: A.Left += (RectWidth(A) - w) / 2; break;
    }
  }
  if (picture)
    picture->Draw(Canvas, A.Left, A.Top);
  else
    imageList->Draw(Canvas, A.Left, A.Top, imageIndex);
}

// The current cell's look for the editor: the data-cell attributes and the
// cell image, with the grid's OnChangeCellAttributes and OnGetCellImage.

#include "grid/cg_edit.h"

#include "grid/cell_grid.h"
#include "toolkit/widgets/image_list.h"
#include "toolkit/widgets/picture.h"

TColor TCgInplaceEdit::CellAttributes(TcgColumn& Column) {
  TCellGrid* grid = CellGrid();
  if (Column.ColumnParentFont())
    EditorFont.AssignQFont(grid->font());
  else
    EditorFont.Assign(Column.ColumnFont());
  if (Column.ColumnParentFont()) EditorFont.SetColor(clWindowText);
  TColor color = Column.ColumnColor();
  TAlignment hAlign = Column.ColumnHAlignment();
  TcgVAlignment vAlign = Column.ColumnVAlignment();
  TPanelBevel outer = Column.ColumnOuterBevel();
  TPanelBevel inner = Column.ColumnInnerBevel();
  if (grid->OnChangeCellAttributes)
    grid->OnChangeCellAttributes(grid, grid->Col(), grid->Row(), &Column, TcgCellStates{}, color, EditorFont, hAlign,
                                 vAlign, outer, inner);
  return color;
}

void TCgInplaceEdit::CellImage(TRect& R, TCanvas* Canvas) {
  TCellGrid* grid = CellGrid();
  if (!grid->OnGetCellImage) return;
  TPersistent* object = nullptr;
  int index = -1;
  TcgImagePosition position = TcgImagePosition::cgipLeft;
  TAlignment hAlign = TAlignment::taCenter;
  TcgVAlignment vAlign = TcgVAlignment::cgvaCenter;
  int margin = 2;
  grid->OnGetCellImage(grid, grid->Col(), grid->Row(), -1, object, index, position, hAlign, vAlign, margin);
  const auto* picture = dynamic_cast<const TPicture*>(object);
  const auto* list = dynamic_cast<const TImageList*>(object);
  if (!picture && !list) return;
  const int w = picture ? picture->Width() : list->Width();
  const int h = picture ? picture->Height() : list->Height();
  TRect a = R;
  switch (position) {
    case TcgImagePosition::cgipLeft:
      R.Left += w + 2 * margin;
      a.Right = R.Left - 1;
      break;
    case TcgImagePosition::cgipRight:
      R.Right -= w + 2 * margin;
      a.Left = R.Right + 1;
      break;
    case TcgImagePosition::cgipTop:
      R.Top += h + 2 * margin;
      a.Bottom = R.Top - 1;
      break;
    case TcgImagePosition::cgipBottom:
      R.Bottom -= h + 2 * margin;
      a.Top = R.Bottom + 1;
      break;
  }
  if (!Canvas) return;
  if (position == TcgImagePosition::cgipLeft || position == TcgImagePosition::cgipRight) {
    a.Left += margin;
    if (vAlign == TcgVAlignment::cgvaTop)
      a.Top += margin;
    else if (vAlign == TcgVAlignment::cgvaCenter)
      a.Top += (RectHeight(a) - h) / 2;
    else
      a.Top = a.Bottom - h - margin;
  } else {
    a.Top += margin;
    if (hAlign == TAlignment::taLeftJustify)
      a.Left += margin;
    else if (hAlign == TAlignment::taRightJustify)
      a.Left = a.Right - w - margin;
    else
      a.Left += (RectWidth(a) - w) / 2;
  }
  if (picture)
    picture->Draw(*Canvas, a.Left, a.Top);
  else
    list->Draw(*Canvas, a.Left, a.Top, index);
}

// The cells drawn plainly: background, highlight and one line of text,
// placed as the column asks, with the captions in the title row. Borders,
// bevels, images, heading bands and display formatting are not drawn here.

#include "grid/cell_grid.h"

#include <QPainter>

namespace {

Qt::Alignment QtAlignment(TAlignment h, TcgVAlignment v) {
  Qt::Alignment a = h == TAlignment::taCenter        ? Qt::AlignHCenter
                    : h == TAlignment::taRightJustify ? Qt::AlignRight
                                                      : Qt::AlignLeft;
  a |= v == TcgVAlignment::cgvaCenter ? Qt::AlignVCenter : v == TcgVAlignment::cgvaBottom ? Qt::AlignBottom : Qt::AlignTop;
  return a;
}

}  // namespace

void TCellGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  QPainter* p = Canvas();
  if (!DefaultDrawing() && p) {
    using enum TGridDrawStateFlag;
    const TcgColumn* column = nullptr;
    try {
      column = ColumnAt(ACol);
    } catch (const EcgColumnIndexOutOfRange&) {
    }
    const bool fixed = AState.Contains(gdFixed);
    QString text = Cells(ACol, ARow);
    TColor background = fixed ? clBtnFace : clWindow;
    TColor foreground = clWindowText;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    if (column && fixed) {
      if (ARow == 0 && !column->Caption().isEmpty()) text = column->Caption();
      background = column->TitleColor();
      align = QtAlignment(column->TitleHAlignment(), column->TitleVAlignment());
    } else if (column) {
      background = column->ColumnColor();
      align = QtAlignment(column->ColumnHAlignment(), column->ColumnVAlignment());
    }
    const bool focused = AState.Contains(gdFocused);
    const bool focusSelected = Options().Contains(TGridOption::goDrawFocusSelected);
    if (CellOptions().Contains(TcgOption::cgoptHighlightSelection) &&
        ((focused && focusSelected) || (AState.Contains(gdSelected) && !focused))) {
      background = CellHighlightColor();
      foreground = CellHighlightFontColor();
    }
    p->fillRect(ARect.ToQRect(), ResolveColor(background, palette()));
    p->setPen(ResolveColor(foreground, palette()));
    p->drawText(ARect.ToQRect().adjusted(2, 1, -2, -1), align | Qt::TextSingleLine, text);
  }
  TCgHintGrid::DrawCell(ACol, ARow, ARect, AState);
}

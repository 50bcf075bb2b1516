#include "grid/cg_global.h"

#include "toolkit/widgets/text_layout.h"

#include <algorithm>

void TcgBorder::Assign(const TPersistent& Source) {
  if (const auto* source = dynamic_cast<const TcgBorder*>(&Source)) {
    style_ = source->style_;
    width_ = source->width_;
    color_ = source->color_;
    return;
  }
  TPersistent::Assign(Source);
}

namespace {

TPenStyle PenStyleOf(TcgBorderStyle style) {
  switch (style) {
    case TcgBorderStyle::cgbrdDash: return TPenStyle::psDash;
    case TcgBorderStyle::cgbrdDot: return TPenStyle::psDot;
    case TcgBorderStyle::cgbrdDashDot: return TPenStyle::psDashDot;
    case TcgBorderStyle::cgbrdDashDotDot: return TPenStyle::psDashDotDot;
    default: return TPenStyle::psSolid;
  }
}

QPoint StepOf(int direction) {
  switch (direction) {
    case 0: return {0, 1};
    case 1: return {0, -1};
    case 2: return {1, 0};
    default: return {-1, 0};
  }
}

void Line(TCanvas& c, QPoint from, QPoint to) {
  c.MoveTo(from.x(), from.y());
  c.LineTo(to.x(), to.y());
}

}  // namespace

int BorderThickness(const TcgBorder& Border) {
  // A negative width would make the area inside the border larger than the cell.
  const int width = std::max(0, Border.Width());
  switch (Border.Style()) {
    case TcgBorderStyle::cgbrdNone: return 0;
    case TcgBorderStyle::cgbrdDouble: return width + 2;
    default: return width;
  }
}

int DrawBorderLine(TCanvas& Canvas, QPoint From, QPoint To, const TcgBorder& Border, int Direction) {
  if (Border.Style() == TcgBorderStyle::cgbrdNone) return 0;
  TPen& pen = Canvas.Pen();
  const TPenMode oldMode = pen.Mode();
  const TColor oldColor = pen.Color();
  const TPenStyle oldStyle = pen.Style();
  pen.SetStyle(PenStyleOf(Border.Style()));
  pen.SetMode(TPenMode::pmCopy);
  pen.SetWidth(1);
  pen.SetColor(Border.Color());

  const int width = std::max(0, Border.Width());
  const QPoint step = StepOf(Direction);
  if (Border.Style() == TcgBorderStyle::cgbrdDouble) {
    Line(Canvas, From, To);
    const QPoint gap = step * (width + 1);
    Line(Canvas, From + gap, To + gap);
  } else {
    for (int i = 0; i < width; ++i) {
      Line(Canvas, From, To);
      From += step;
      To += step;
    }
  }

  pen.SetMode(oldMode);
  pen.SetColor(oldColor);
  pen.SetStyle(oldStyle);
  return BorderThickness(Border);
}

void DrawCellBorders(TCanvas& Canvas, TRect& R, const TcgBorder& Top, const TcgBorder& Right,
                     const TcgBorder& Bottom, const TcgBorder& Left) {
  const int l = R.Left, t = R.Top, rt = R.Right, b = R.Bottom;
  R.Top += DrawBorderLine(Canvas, {l, t}, {rt, t}, Top, 0);
  R.Right -= DrawBorderLine(Canvas, {rt - 1, t}, {rt - 1, b}, Right, 3);
  R.Bottom -= DrawBorderLine(Canvas, {rt - 1, b - 1}, {l - 1, b - 1}, Bottom, 1);
  R.Left += DrawBorderLine(Canvas, {l, b - 1}, {l, t - 1}, Left, 2);
}

void InsetCellBorders(TRect& R, const TcgBorder& Top, const TcgBorder& Right, const TcgBorder& Bottom,
                      const TcgBorder& Left) {
  R.Top += BorderThickness(Top);
  R.Right -= BorderThickness(Right);
  R.Bottom -= BorderThickness(Bottom);
  R.Left += BorderThickness(Left);
}

void InsetCellBevels(TRect& R, TPanelBevel Outer, TPanelBevel Inner) {
  const int inset = (Outer != TPanelBevel::bvNone ? 1 : 0) + (Inner != TPanelBevel::bvNone ? 2 : 0);
  R = {R.Left + inset, R.Top + inset, R.Right - inset, R.Bottom - inset};
}

TcgBevelColors BevelColors(TPanelBevel Bevel) {
  switch (Bevel) {
    case TPanelBevel::bvLowered: return {clBtnShadow, clBtnHighlight};
    case TPanelBevel::bvRaised: return {clBtnHighlight, clBtnShadow};
    default: return {clBtnFace, clBtnFace};
  }
}

void DrawCellBevels(TCanvas& Canvas, TRect& R, TPanelBevel Outer, TPanelBevel Inner) {
  if (Outer != TPanelBevel::bvNone) {
    const TcgBevelColors c = BevelColors(Outer);
    Canvas.Frame3D(R, c.TopLeft, c.BottomRight);
  }
  if (Inner != TPanelBevel::bvNone) {
    Canvas.Frame3D(R, clBtnFace, clBtnFace);
    const TcgBevelColors c = BevelColors(Inner);
    Canvas.Frame3D(R, c.TopLeft, c.BottomRight);
  }
}

namespace {

// The text area of a cell: the rectangle less the margins, a fixed cell's a
// margin higher.
TRect TextArea(const TCgDrawInfo& Info) {
  TRect r = Info.Rect;
  r.Left += Info.HMargin;
  r.Right -= Info.HMargin;
  r.Top += Info.VMargin;
  r.Bottom -= Info.VMargin;
  r.Top -= Info.DrawState.Contains(TGridDrawStateFlag::gdFixed) ? 2 * Info.VMargin : Info.VMargin;
  return r;
}

unsigned TextFlags(const TCgDrawInfo& Info) {
  unsigned flags = DT_NOPREFIX | DT_EXPANDTABS;
  if (Info.ClipStyle == TcgClipStyle::cgclpEllipsis) flags |= DT_END_ELLIPSIS;
  if (Info.ClipStyle == TcgClipStyle::cgclpWrap) flags |= DT_WORDBREAK;
  if (Info.HAlign == TAlignment::taRightJustify) flags |= DT_RIGHT;
  if (Info.HAlign == TAlignment::taCenter) flags |= DT_CENTER;
  return flags;
}

}  // namespace

bool CellTextFits(const TCgDrawInfo& Info) {
  const TRect r = TextArea(Info);
  TRect measured = r;
  const int h = DrawTextEx(*Info.Canvas, Info.Text, measured, TextFlags(Info) | DT_CALCRECT);
  return measured.Width() <= r.Width() && h <= r.Height();
}

void DrawCellText(const TCgDrawInfo& Info) {
  TCanvas& canvas = *Info.Canvas;
  TRect r = TextArea(Info);
  const unsigned flags = TextFlags(Info);

  TRect measured = r;
  const int h = DrawTextEx(canvas, Info.Text, measured, flags | DT_CALCRECT);
  if (Info.Grid) {
    if (h > RectHeight(r) && Info.Grid->CellAdjustRowHeight())
      PostMessage(Info.Grid->SizeRequestTarget(), CGM_ADJUSTROWHEIGHT, Info.Row, h + 2 * Info.VMargin);
    if (RectWidth(measured) > RectWidth(r) && Info.Grid->CellAdjustColWidth())
      PostMessage(Info.Grid->SizeRequestTarget(), CGM_ADJUSTCOLWIDTH, Info.Col,
                  RectWidth(measured) + 2 * Info.HMargin);
  }

  if (h < RectHeight(r)) {
    if (Info.VAlign == TcgVAlignment::cgvaCenter)
      r.Top += (RectHeight(r) - h) / 2;
    else if (Info.VAlign == TcgVAlignment::cgvaBottom)
      r.Top = r.Bottom - h;
  }
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  DrawTextEx(canvas, Info.Text, r, flags);
}

bool BeginsWith(const QString& Prefix, const QString& S) {
  return S.size() >= Prefix.size() && QStringView(S).left(Prefix.size()) == Prefix;
}

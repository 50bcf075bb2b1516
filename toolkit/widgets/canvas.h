#pragma once

// TCanvas: drawing with the GDI semantics the grid code was written for, on
// a QPainter it is bound to (not owned). Colours are TColor values; system
// colours are resolved from the palette given with the painter.
//
//  * LineTo(x, y) draws from the pen position to (x, y) WITHOUT the end
//    point, then moves the pen position there. Lines are one pixel wide and
//    not antialiased; pen styles other than solid repeat the patterns of
//    GDI's cosmetic pens (dash 18 on 6 off, dot 3/3, dash-dot 9/6/3/6,
//    dash-dot-dot 9/3/3/3/3/3), starting afresh at every LineTo. The gaps
//    show the brush colour when the brush is solid and are left alone when
//    it is clear (GDI's opaque and transparent background modes).
//    A pen wider than 1 draws a solid flat-ended line of that width.
//  * Pen modes: pmCopy paints the pen colour, pmXor exclusive-ors it with
//    the pixels, pmNot inverts the pixels.
//  * FillRect fills the rectangle (right and bottom exclusive) with the
//    brush colour; a clear brush fills nothing.
//  * Frame3D draws the one-pixel 3-D frame and shrinks the rectangle by one
//    on each side (see below); DrawFocusRect dots every other pixel of the
//    rectangle's edge in black or white, whichever stands out more against
//    the brush colour (the colour it is drawn on).
//  * Text is drawn by DrawTextEx (text_layout.h) in Font().
// Drawing on a canvas without a painter raises EInvalidOperation.

#include "toolkit/core/exception.h"
#include "toolkit/widgets/colors.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/grid_geometry.h"

#include <QPalette>
#include <QPoint>

#include <cstdint>

class QPainter;

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum class TPenMode : std::uint8_t { pmCopy, pmNot, pmXor };
enum class TBrushStyle : std::uint8_t { bsSolid, bsClear };

class TPen {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  int Width() const { return width_; }
  void SetWidth(int Value) { width_ = Value; }
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value) { style_ = Value; }
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value) { mode_ = Value; }

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
};

class TBrush {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value) { style_ = Value; }

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
};

class TCanvas {
 public:
  TCanvas() = default;
  TCanvas(QPainter* Painter, const QPalette& Palette) { Bind(Painter, Palette); }
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Draws through Painter from now on (nullptr: no drawing). Pen, brush,
  // font and pen position stay as they are.
  void Bind(QPainter* Painter, const QPalette& Palette);
  QPainter* Painter() const { return painter_; }
  const QPalette& Palette() const { return palette_; }
  QColor Resolve(TColor c) const { return ResolveColor(c, palette_); }

  TPen& Pen() { return pen_; }
  const TPen& Pen() const { return pen_; }
  TBrush& Brush() { return brush_; }
  const TBrush& Brush() const { return brush_; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  QPoint PenPos() const { return penPos_; }
  void MoveTo(int X, int Y) { penPos_ = QPoint(X, Y); }
  void LineTo(int X, int Y);

  void FillRect(const TRect& Rect);
  // On (L, T, R - 1, B - 1) of Rect: the left edge from the bottom-left corner
  // up and the top edge in TopColor, then the right edge from the top-right
  // corner down and the bottom edge in BottomColor, which therefore owns the
  // top-right and bottom-left corners. Then Rect shrinks by 1 on every side.
  // Solid one-pixel lines whatever the pen; the pen is left as it was.
  void Frame3D(TRect& Rect, TColor TopColor, TColor BottomColor);
  void DrawFocusRect(const TRect& Rect);

 private:
  QPainter& Checked() const;
  void Stroke(QPoint from, QPoint to, const QColor& color, TPenStyle style, TPenMode mode);

  QPainter* painter_ = nullptr;
  QPalette palette_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  QPoint penPos_;
};

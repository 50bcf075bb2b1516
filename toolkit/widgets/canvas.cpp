#include "toolkit/widgets/canvas.h"

#include "toolkit/widgets/device_pixels.h"

#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <span>

namespace {

// GDI's cosmetic pen patterns in pixels, alternating on and off, starting on.
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(TPenStyle style) {
  switch (style) {
    case TPenStyle::psDash: return kDash;
    case TPenStyle::psDot: return kDot;
    case TPenStyle::psDashDot: return kDashDot;
    case TPenStyle::psDashDotDot: return kDashDotDot;
    default: return {};
  }
}

// Relative luminance of a colour (sRGB), as contrast ratios are reckoned.
double Luminance(const QColor& c) {
  auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// Black or white, whichever stands out more against `background`: at least
// 4.5:1 whatever the colour (inverting pixels gives 1.08:1 on a mid blue).
QColor ContrastingInk(const QColor& background) {
  const double l = Luminance(background);
  return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

QPainter::CompositionMode CompositionOf(TPenMode mode) {
  switch (mode) {
    case TPenMode::pmXor: return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::pmNot: return QPainter::RasterOp_NotDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

// Sets a composition mode for one drawing step.
class TCompositionScope {
 public:
  TCompositionScope(QPainter& p, QPainter::CompositionMode mode) : p_(p), old_(p.compositionMode()) {
    p_.setCompositionMode(mode);
  }
  ~TCompositionScope() { p_.setCompositionMode(old_); }

 private:
  QPainter& p_;
  QPainter::CompositionMode old_;
};

}  // namespace

void TCanvas::Bind(QPainter* Painter, const QPalette& Palette) {
  painter_ = Painter;
  palette_ = Palette;
}

QPainter& TCanvas::Checked() const {
  if (!painter_) throw EInvalidOperation("Canvas does not allow drawing");
  return *painter_;
}

void TCanvas::LineTo(int X, int Y) {
  const QPoint from = penPos_;
  penPos_ = QPoint(X, Y);
  if (pen_.Style() == TPenStyle::psClear) return;
  QPainter& p = Checked();
  const QColor color = Resolve(pen_.Color());
  if (pen_.Width() > 1) {
    TCompositionScope scope(p, CompositionOf(pen_.Mode()));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(color, pen_.Width(), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, penPos_);
    p.restore();
    return;
  }
  Stroke(from, penPos_, color, pen_.Style(), pen_.Mode());
}

// One-pixel line from `from` up to, not including, `to`: Bresenham's pixels,
// painted as runs so an axis-parallel line costs one fill per dash.
void TCanvas::Stroke(QPoint from, QPoint to, const QColor& color, TPenStyle style, TPenMode mode) {
  QPainter& p = Checked();
  const int dx = std::abs(to.x() - from.x());
  const int dy = std::abs(to.y() - from.y());
  const int sx = to.x() > from.x() ? 1 : -1;
  const int sy = to.y() > from.y() ? 1 : -1;
  const int n = std::max(dx, dy);
  if (n == 0) return;

  const std::span<const int> pattern = PatternOf(style);
  const bool gapsFilled = !pattern.empty() && brush_.Style() == TBrushStyle::bsSolid;
  const QColor gapColor = gapsFilled ? Resolve(brush_.Color()) : QColor();
  TCompositionScope scope(p, CompositionOf(mode));

  auto fillRun = [&](QPoint a, QPoint b, bool on) {  // a..b inclusive, on one row or column
    if (!on && !gapsFilled) return;
    const QRect r(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    p.fillRect(r, on ? color : gapColor);
  };

  size_t seg = 0;
  int left = pattern.empty() ? n : pattern[0];
  bool on = true;
  auto advancePattern = [&] {
    if (pattern.empty() || --left > 0) return;
    seg = (seg + 1) % pattern.size();
    left = pattern[seg];
    on = !on;
  };

  if (dx == 0 || dy == 0) {
    QPoint runStart = from;
    QPoint pt = from;
    bool runOn = on;
    for (int i = 0; i < n; ++i) {
      if (on != runOn) {
        fillRun(runStart, pt - QPoint(sx * (dx != 0), sy * (dy != 0)), runOn);
        runStart = pt;
        runOn = on;
      }
      advancePattern();
      if (i + 1 < n) pt += QPoint(sx * (dx != 0), sy * (dy != 0));
    }
    fillRun(runStart, pt, runOn);
    return;
  }

  int x = from.x(), y = from.y();
  int err = dx - dy;
  for (int i = 0; i < n; ++i) {
    fillRun(QPoint(x, y), QPoint(x, y), on);
    advancePattern();
    const int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void TCanvas::FillRect(const TRect& Rect) {
  QPainter& p = Checked();
  if (brush_.Style() == TBrushStyle::bsClear || Rect.IsEmpty()) return;
  p.fillRect(Rect.ToQRect(), Resolve(brush_.Color()));
}

void TCanvas::Frame3D(TRect& Rect, TColor TopColor, TColor BottomColor) {
  const int l = Rect.Left, t = Rect.Top, r = Rect.Right - 1, b = Rect.Bottom - 1;
  const QColor top = Resolve(TopColor);
  const QColor bottom = Resolve(BottomColor);
  QPainter& p = Checked();
  // Whole device pixels at fractional scales, each edge kept against its own
  // side of the rectangle.
  FillLine(p, QRect(l, t + 1, 1, b - t), top, TLineAnchor::laStart);
  FillLine(p, QRect(l, t, r - l, 1), top, TLineAnchor::laStart);
  FillLine(p, QRect(r, t, 1, b - t), bottom, TLineAnchor::laEnd);
  FillLine(p, QRect(l, b, r - l + 1, 1), bottom, TLineAnchor::laEnd);
  Rect = {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  QPainter& p = Checked();
  if (Rect.IsEmpty()) return;
  const QColor ink = ContrastingInk(Resolve(brush_.Color()));
  const int l = Rect.Left, t = Rect.Top, r = Rect.Right - 1, b = Rect.Bottom - 1;
  // Square dots of whole device pixels, evenly spaced at any scale.
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) FillLine(p, QRect(x, y, 1, 1), ink, TLineAnchor::laStart);
  };
  for (int x = l; x <= r; ++x) {
    dot(x, t);
    if (b != t) dot(x, b);
  }
  for (int y = t + 1; y < b; ++y) {
    dot(l, y);
    if (r != l) dot(r, y);
  }
}

#include "toolkit/widgets/device_pixels.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <utility>

qreal DeviceScale(const QPainter& painter) {
  const QTransform t = painter.deviceTransform();
  return std::hypot(t.m11(), t.m12());
}

void FillLine(QPainter& painter, const QRect& line, const QColor& colour, TLineAnchor anchor) {
  if (line.isEmpty()) return;
  const QTransform t = painter.deviceTransform();
  const qreal scale = t.m11();
  // Unscaled, rotated or sheared: nothing to snap.
  if (t.type() > QTransform::TxScale || scale == std::round(scale)) {
    painter.fillRect(line, colour);
    return;
  }
  const QRectF device = t.mapRect(QRectF(line));
  using TSpan = std::pair<int, int>;
  auto across = [anchor](qreal from, qreal to) -> TSpan {
    const int n = std::max(1, static_cast<int>(std::lround(to - from)));
    if (anchor == TLineAnchor::laEnd) {
      const int end = static_cast<int>(std::lround(to));
      return {end - n, end};
    }
    const int start = static_cast<int>(std::lround(from));
    return {start, start + n};
  };
  auto along = [](qreal from, qreal to) -> TSpan {
    const int start = static_cast<int>(std::lround(from));
    return {start, std::max(start + 1, static_cast<int>(std::lround(to)))};
  };
  // A square (a dot) is thick both ways.
  const bool thickAcross = line.height() >= line.width(), thickDown = line.width() >= line.height();
  const auto [x0, x1] = thickAcross ? across(device.left(), device.right()) : along(device.left(), device.right());
  const auto [y0, y1] = thickDown ? across(device.top(), device.bottom()) : along(device.top(), device.bottom());
  const QRectF snapped = t.inverted().mapRect(QRectF(QPointF(x0, y0), QPointF(x1, y1)));
  const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
  if (smooth) painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(snapped, colour);
  if (smooth) painter.setRenderHint(QPainter::Antialiasing, true);
}

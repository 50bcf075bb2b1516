#pragma once

// A canvas drawing into an image at device pixel ratio 1, for pixel tests.

#include "toolkit/widgets/canvas.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <string>

// The bounding box of the pixels in `area` that are not `background`.
inline QRect InkIn(const QImage& img, const QRect& area, const QColor& background) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (img.pixelColor(x, y) != background) box |= QRect(x, y, 1, 1);
  return box;
}

struct TImageCanvas {
  TImageCanvas(int w, int h, QColor background = Qt::white, const QPalette& palette = QApplication::palette())
      : image(w, h, QImage::Format_RGB32) {
    image.fill(background);
    painter.begin(&image);
    canvas.Bind(&painter, palette);
  }
  ~TImageCanvas() { End(); }

  // Finishes drawing; pixels are final after this.
  QImage& End() { if (painter.isActive()) painter.end(); return image; }
  QColor At(int x, int y) { return End().pixelColor(x, y); }

  // The smallest rectangle holding every pixel that is not `background`.
  QRect Ink(QColor background = Qt::white) { return InkIn(End(), image.rect(), background); }

  int InkCount(QColor background = Qt::white) {
    const QImage& img = End();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) != background;
    return n;
  }
  // Draws on again after End().
  void Resume() { if (!painter.isActive()) painter.begin(&image); }

  QImage image;
  QPainter painter;
  TCanvas canvas;
};

// "#rrggbb" of a pixel, for readable failures.
inline std::string Hex(const QColor& c) { return c.name().toStdString(); }

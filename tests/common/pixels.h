#pragma once

// Colours expected at points of a painted image, as a table: a failure names the point and why.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <initializer_list>

// An image of one colour.
inline QImage Solid(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(c);
  return img;
}

struct TPixel { int x, y; QColor color; const char* why = ""; };

inline void ExpectPixels(const QImage& img, std::initializer_list<TPixel> pixels) {
  for (const TPixel& p : pixels)
    EXPECT_EQ(img.pixelColor(p.x, p.y).name().toStdString(), p.color.name().toStdString())
        << "at " << p.x << "," << p.y << " " << p.why;
}

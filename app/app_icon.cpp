#include "app/app_icon.h"

#include <QPainter>
#include <QRectF>

#include "app/classic_palette.h"

namespace {

using namespace classic;

TIconShape Box(QColor colour, int x, int y, int w, int h) { return {colour, QPolygonF(QRectF(x, y, w, h))}; }

std::vector<TIconShape> Shapes() {
  std::vector<TIconShape> s;
  // Handset resting on top: a grip between earpiece and mouthpiece.
  s.push_back(Box(Black, 8, 4, 16, 3));
  s.push_back(Box(Black, 4, 6, 8, 5));
  s.push_back(Box(Black, 20, 6, 8, 5));
  s.push_back(Box(Gray, 9, 5, 14, 1));
  s.push_back(Box(Gray, 5, 7, 6, 1));
  s.push_back(Box(Gray, 21, 7, 6, 1));
  // Top face of the case, in perspective.
  s.push_back({White, QPolygonF({{4, 12}, {27, 12}, {31, 17}, {0, 17}})});
  s.push_back({Silver, QPolygonF({{5, 13}, {26, 13}, {29, 16}, {2, 16}})});
  // Cradle cups under the handset ends.
  s.push_back(Box(Gray, 4, 11, 8, 2));
  s.push_back(Box(Gray, 20, 11, 8, 2));
  // Front face and feet.
  s.push_back(Box(Gray, 0, 17, 32, 9));
  s.push_back(Box(Silver, 1, 18, 30, 6));
  s.push_back(Box(Black, 0, 26, 32, 1));
  s.push_back(Box(Black, 2, 27, 3, 2));
  s.push_back(Box(Black, 27, 27, 3, 2));
  // Status lights and a speaker grille.
  const QColor lights[] = {Lime, Lime, Yellow, Red, Lime};
  for (int i = 0; i < 5; ++i) {
    s.push_back(Box(Black, 3 + i * 4, 20, 3, 3));
    s.push_back(Box(lights[i], 3 + i * 4, 20, 2, 2));
  }
  for (int i = 0; i < 3; ++i) s.push_back(Box(Navy, 24 + i * 2, 19, 1, 5));
  return s;
}

QImage Paint(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  // No smoothing, so the picture keeps to its 16 colours.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(Qt::NoPen);
  for (const TIconShape& shape : AppIconShapes()) {
    p.setBrush(shape.Colour);
    p.drawPolygon(shape.Outline);
  }
  return image;
}

}  // namespace

const std::vector<TIconShape>& AppIconShapes() {
  static const std::vector<TIconShape> shapes = Shapes();
  return shapes;
}

QImage AppIconImage(int size) {
  if (size <= 0) return QImage();
  const int crisp = (size + 31) / 32 * 32;
  const QImage image = Paint(crisp);
  return crisp == size ? image : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString AppIconSvg() {
  QString svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\" "
      "shape-rendering=\"crispEdges\">\n";
  for (const TIconShape& shape : AppIconShapes()) {
    QString path;
    for (int i = 0; i < shape.Outline.size(); ++i)
      path += QString("%1%2 %3").arg(i == 0 ? "M" : " L").arg(shape.Outline[i].x()).arg(shape.Outline[i].y());
    svg += QString("  <path fill=\"%1\" d=\"%2 Z\"/>\n").arg(shape.Colour.name(), path);
  }
  return svg + "</svg>\n";
}

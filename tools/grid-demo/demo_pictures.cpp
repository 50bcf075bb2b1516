#include "tools/grid-demo/demo_pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>


namespace {

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QImage Dot(QColor color) {
  QImage image = Blank(12, 12);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(color.darker(150), 1));
  p.setBrush(color);
  p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
  return image;
}

QImage Pencil() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(3, 13);
    body.lineTo(4, 10);
    body.lineTo(11, 3);
    body.lineTo(13, 5);
    body.lineTo(6, 12);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x5d, 0x40, 0x37), 1));
    p.setBrush(QColor(0xf4, 0xc4, 0x30));
    p.drawPath(body);
    p.setBrush(QColor(0xe5, 0x73, 0x73));
    p.drawPolygon(QPolygonF({QPointF(11, 3), QPointF(12.2, 1.8), QPointF(14.2, 3.8), QPointF(13, 5)}));
    p.setBrush(QColor(0x42, 0x42, 0x42));
    p.drawPolygon(QPolygonF({QPointF(3, 13), QPointF(3.6, 11.2), QPointF(4.8, 12.4)}));
    return image;
}

QImage Crate() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    p.setPen(QPen(QColor(0x6d, 0x4c, 0x41), 1));
    p.setBrush(QColor(0xd7, 0xa8, 0x6e));
    p.drawRect(1, 4, 13, 10);
    p.drawLine(1, 9, 14, 9);
    p.drawLine(5, 4, 5, 14);
    p.drawLine(10, 4, 10, 14);
    p.setBrush(QColor(0xe5, 0x39, 0x35));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(3, 0.5, 4.5, 4.5));
    p.setBrush(QColor(0xfb, 0x8c, 0x00));
    p.drawEllipse(QRectF(8, 0.5, 4.5, 4.5));
    return image;
}

// Pictures hold their graphic and are not copied: made once, in place.
struct TDemoPictures {
  TPicture open, packed, shipped, unknown, pencil, crate;
  TDemoPictures() {
    open.SetBitmap(Dot(QColor(0x2e, 0x86, 0xde)));
    packed.SetBitmap(Dot(QColor(0xf3, 0x9c, 0x12)));
    shipped.SetBitmap(Dot(QColor(0x27, 0xae, 0x60)));
    unknown.SetBitmap(Dot(QColor(0x95, 0xa5, 0xa6)));
    pencil.SetBitmap(Pencil());
    crate.SetBitmap(Crate());
  }
};

const TDemoPictures& Pictures() {
  static const TDemoPictures pictures;
  return pictures;
}

}  // namespace

const TPicture& StatusDot(const QString& Status) {
  if (Status == QStringLiteral("Open")) return Pictures().open;
  if (Status == QStringLiteral("Packed")) return Pictures().packed;
  if (Status == QStringLiteral("Shipped")) return Pictures().shipped;
  return Pictures().unknown;
}

const TPicture& PencilPicture() { return Pictures().pencil; }

const TPicture& CratePicture() { return Pictures().crate; }

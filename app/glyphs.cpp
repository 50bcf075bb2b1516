#include "app/glyphs.h"

#include "app/app_icon.h"
#include "app/classic_palette.h"
#include "toolkit/widgets/device_pixels.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <functional>

namespace {

using namespace classic;

// The pictures are drawn in a 32 x 32 layout, for whatever device pixels they
// are shown on: at 150 % a glyph is painted on 48 x 48 pixels rather than
// scaled up from 32 x 32, so its edges are as crisp as the text beside it.
using TPainting = std::function<void(QPainter&)>;

QImage Canvas(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QImage Paint(const TPainting& paint, int side) {
  QImage image = Canvas(side);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(side / 32.0, side / 32.0);
  paint(p);
  return image;
}

// The disabled look of a picture: its shape embossed, white below right of a
// grey copy, as disabled tool buttons are drawn. The offset is one pixel of
// the 32 x 32 layout.
QImage Embossed(const QImage& source) {
  const int side = source.width();
  const int step = std::max(1, (side + 16) / 32);
  QImage out = Canvas(side);
  auto shape = [&](QColor c, int offset) {
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const QRgb p = source.pixel(x, y);
        // Only the darker, solid parts make the shape; light fills drop out.
        if (qAlpha(p) < 128 || qGray(p) > 160) continue;
        const int tx = x + offset, ty = y + offset;
        if (tx < side && ty < side) out.setPixelColor(tx, ty, c);
      }
  };
  shape(White, step);
  shape(Gray, 0);
  return out;
}

// An icon that draws its picture at the size asked for, in device pixels.
class TDrawnIcon : public QIconEngine {
 public:
  using TDraw = std::function<QImage(int side)>;
  TDrawnIcon(TDraw draw, QList<QSize> sizes) : draw_(std::move(draw)), sizes_(std::move(sizes)) {}

  QIconEngine* clone() const override { return new TDrawnIcon(*this); }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return side > 0 ? QPixmap::fromImage(draw_(side)) : QPixmap();
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = DeviceScale(*painter);
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), picture);
  }

 private:
  TDraw draw_;
  QList<QSize> sizes_;
};

QIcon Glyph(TPainting paint) {
  return QIcon(new TDrawnIcon([paint = std::move(paint)](int side) { return Paint(paint, side); }, {QSize(32, 32)}));
}

QIcon EmbossedGlyph(TPainting paint) {
  return QIcon(
      new TDrawnIcon([paint = std::move(paint)](int side) { return Embossed(Paint(paint, side)); }, {QSize(32, 32)}));
}

void PlayTriangle(QPainter& p, QRectF box, QColor fill) {
  QPolygonF t;
  t << box.topLeft() << QPointF(box.right(), box.center().y()) << box.bottomLeft();
  p.setPen(QPen(Black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(fill);
  p.drawPolygon(t);
}

// A speech bubble with its tail down left.
void Bubble(QPainter& p, QRectF box, QColor fill) {
  QPainterPath path;
  path.addRoundedRect(box, 5, 5);
  QPolygonF tail;
  tail << QPointF(box.left() + 5, box.bottom() - 1) << QPointF(box.left() + 2, box.bottom() + 6)
       << QPointF(box.left() + 11, box.bottom() - 1);
  QPainterPath tailPath;
  tailPath.addPolygon(tail);
  tailPath.closeSubpath();
  path = path.united(tailPath);
  p.setPen(QPen(Black, 1.2));
  p.setBrush(fill);
  p.drawPath(path);
}

void Speaker(QPainter& p, QPointF at) {
  QPolygonF cone;
  cone << at + QPointF(0, 4) << at + QPointF(4, 4) << at + QPointF(10, -1) << at + QPointF(10, 17)
       << at + QPointF(4, 12) << at + QPointF(0, 12);
  p.setPen(QPen(Black, 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Silver);
  p.drawPolygon(cone);
  p.setBrush(Gray);
  p.drawRect(QRectF(at + QPointF(0, 4), QSizeF(4, 8)));
}

void DrawPlay(QPainter& p) {
  Speaker(p, {1, 7});
  // Sound waves.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Navy, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(6, 10, 9, 12), -50 * 16, 100 * 16);
  p.drawArc(QRectF(4, 6, 14, 20), -50 * 16, 100 * 16);
  PlayTriangle(p, QRectF(20, 9, 11, 14), Lime);
}

void DrawErase(QPainter& p) {
  const QPen outline(Black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  // Waste bin: body narrowing downwards, ribs, lid with a handle.
  QPolygonF body;
  body << QPointF(7, 9) << QPointF(25, 9) << QPointF(23, 29) << QPointF(9, 29);
  p.setPen(outline);
  p.setBrush(Silver);
  p.drawPolygon(body);
  p.setPen(QPen(Gray, 1.5, Qt::SolidLine, Qt::RoundCap));
  for (double x : {12.0, 16.0, 20.0}) p.drawLine(QPointF(x, 12), QPointF(x + (16 - x) * 0.1, 26));
  p.setPen(outline);
  p.setBrush(Gray);
  p.drawRoundedRect(QRectF(5, 6, 22, 4), 1.5, 1.5);
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(12.5, 3, 7, 3.5), 1.2, 1.2);
  // Red cross: all of them go.
  p.setPen(QPen(Maroon, 4.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 14), QPointF(22, 25));
  p.drawLine(QPointF(22, 14), QPointF(10, 25));
  p.setPen(QPen(Red, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 14), QPointF(22, 25));
  p.drawLine(QPointF(22, 14), QPointF(10, 25));
}

void DrawConnect(QPainter& p) {
  const QPen outline(Black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  // Cables.
  p.setPen(QPen(Black, 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(1, 31), QPointF(6, 26));
  p.drawLine(QPointF(31, 1), QPointF(26, 6));
  // Plug, lower left: body and two prongs going up right.
  p.setPen(outline);
  p.setBrush(Navy);
  p.save();
  p.translate(8.5, 23.5);
  p.rotate(45);
  p.drawRoundedRect(QRectF(-5, -6, 10, 11), 2, 2);
  p.setBrush(Silver);
  p.drawRect(QRectF(-3.5, -11, 2.2, 5));
  p.drawRect(QRectF(1.3, -11, 2.2, 5));
  p.restore();
  // Socket, upper right.
  p.setBrush(Teal);
  p.save();
  p.translate(23.5, 8.5);
  p.rotate(45);
  p.drawRoundedRect(QRectF(-5, -5, 10, 11), 2, 2);
  p.setBrush(Black);
  p.drawRect(QRectF(-3.3, 4.5, 1.8, 1.5));
  p.drawRect(QRectF(1.5, 4.5, 1.8, 1.5));
  p.restore();
  // Sparks beside the gap.
  p.setPen(QPen(Olive, 2.6, Qt::SolidLine, Qt::RoundCap));
  const QLineF sparks[] = {{QPointF(11, 10), QPointF(8, 7)}, {QPointF(13.5, 8), QPointF(12.5, 4)},
                           {QPointF(9.5, 12.5), QPointF(5.5, 11.5)}, {QPointF(21, 22), QPointF(24, 25)},
                           {QPointF(18.5, 24), QPointF(19.5, 28)}, {QPointF(22.5, 19.5), QPointF(26.5, 20.5)}};
  p.drawLines(sparks, 6);
  p.setPen(QPen(Yellow, 1.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLines(sparks, 6);
}

void DrawPlayWelcome(QPainter& p) {
  Bubble(p, QRectF(1.5, 2.5, 22, 16), White);
  // "Hello": a few words in the bubble.
  p.setPen(QPen(Navy, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5, 7.5), QPointF(19, 7.5));
  p.drawLine(QPointF(5, 11), QPointF(16, 11));
  p.drawLine(QPointF(5, 14.5), QPointF(12, 14.5));
  PlayTriangle(p, QRectF(18, 15, 12, 15), Lime);
}

void DrawPlayFullWelcome(QPainter& p) {
  Bubble(p, QRectF(1.5, 2.5, 22, 16), White);
  // A memory gauge filled to the top, in red.
  p.setPen(QPen(Black, 1.0));
  p.setBrush(White);
  p.drawRect(QRectF(5.5, 6.5, 14, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(Red);
  p.drawRect(QRectF(7, 8, 11, 5));
  p.setPen(QPen(White, 1.0));
  for (double x : {10.5, 14.5}) p.drawLine(QPointF(x, 8), QPointF(x, 13));
  PlayTriangle(p, QRectF(18, 15, 12, 15), Lime);
}

}  // namespace

QIcon AppIcon() {
  return QIcon(new TDrawnIcon(AppIconImage, {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48),
                                             QSize(64, 64), QSize(128, 128)}));
}

QIcon ConnectGlyph() { return Glyph(DrawConnect); }
QIcon PlayGlyph() { return Glyph(DrawPlay); }
QIcon PlayDisabledGlyph() { return EmbossedGlyph(DrawPlay); }
QIcon PlayWelcomeGlyph() { return Glyph(DrawPlayWelcome); }
QIcon PlayFullWelcomeGlyph() { return Glyph(DrawPlayFullWelcome); }
QIcon EraseGlyph() { return Glyph(DrawErase); }
QIcon EraseDisabledGlyph() { return EmbossedGlyph(DrawErase); }

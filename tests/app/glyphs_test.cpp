#include "app/glyphs.h"

#include <QImage>
#include <QSet>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "toolkit/widgets/speed_button.h"

namespace {

struct Look { int Opaque = 0, Transparent = 0; QSet<QRgb> Colours; };

QImage ImageOf(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }

Look LookOf(const QPixmap& p) {
  Look look;
  const QImage image = ImageOf(p);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) == 255) ++look.Opaque, look.Colours.insert(c);
      if (qAlpha(c) == 0) ++look.Transparent;
    }
  return look;
}

QPixmap At(const QIcon& icon, qreal ratio = 1) { return icon.pixmap(QSize(32, 32), ratio); }

// How many of the picture's solid pixels differ from `shown`, its top left at the best place near `near`.
int Mismatch(const QImage& shown, const QImage& picture, QPoint near) {
  int best = INT_MAX;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      int n = 0;
      for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
          const QRgb p = picture.pixel(x, y);
          if (qAlpha(p) == 255 && shown.pixel(near.x() + dx + x, near.y() + dy + y) != p) ++n;
        }
      best = std::min(best, n);
    }
  return best;
}

}  // namespace

TEST(Glyphs, AllAre32By32PicturesOnATransparentGround) {
  for (const QIcon& icon : {AppIcon(), ConnectGlyph(), PlayGlyph(), PlayDisabledGlyph(), PlayWelcomeGlyph(),
                            PlayFullWelcomeGlyph(), EraseGlyph(), EraseDisabledGlyph()}) {
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
      const QPixmap p = At(icon, ratio);
      EXPECT_EQ(p.deviceIndependentSize().toSize(), QSize(32, 32)) << ratio;
      EXPECT_EQ(p.size(), QSize(32, 32) * ratio) << ratio;
      const Look look = LookOf(p);
      EXPECT_GT(look.Opaque, 100 * ratio * ratio) << ratio;
      EXPECT_GT(look.Transparent, 100 * ratio * ratio) << ratio;
    }
  }
}

TEST(Glyphs, IconKeepsToSixteenColours) {
  static const QSet<QRgb> palette = {
      qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
      qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
      qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
  for (qreal ratio : {1.0, 2.0}) {
    const QImage image = ImageOf(At(AppIcon(), ratio));
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, y);
        if (qAlpha(c) == 0) continue;
        EXPECT_EQ(qAlpha(c), 255) << x << "," << y;
        EXPECT_TRUE(palette.contains(c)) << x << "," << y;
      }
  }
}

TEST(Glyphs, DisabledImagesAreGreyVersions) {
  for (const QIcon& icon : {PlayDisabledGlyph(), EraseDisabledGlyph()})
    for (qreal ratio : {1.0, 1.5})
      for (QRgb c : LookOf(At(icon, ratio)).Colours) EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
  EXPECT_NE(ImageOf(At(PlayGlyph())), ImageOf(At(PlayDisabledGlyph())));
  EXPECT_GT(LookOf(At(PlayGlyph())).Colours.size(), 3);
}

// At 125, 150 and 200 % a button shows its picture drawn for the scale, not 32 x 32 scaled up (blurry).
TEST(Glyphs, AButtonShowsItsPictureDrawnForTheScale) {
  QWidget bar;
  bar.resize(39, 39);
  auto* button = new TSpeedButton(&bar);
  button->setGeometry(0, 0, 39, 39);
  button->SetFlat(true);
  for (const QIcon& glyph : {ConnectGlyph(), PlayGlyph(), EraseGlyph()}) {
    button->SetGlyph(glyph);
    for (qreal scale : {1.25, 1.5, 2.0}) {
      SCOPED_TRACE(scale);
      QImage shown(QSize(39, 39) * scale, QImage::Format_ARGB32);
      shown.setDevicePixelRatio(scale);
      shown.fill(Qt::white);
      button->render(&shown);
      shown = shown.convertToFormat(QImage::Format_ARGB32);
      const QImage drawn = ImageOf(At(glyph, scale));
      const QImage small = ImageOf(At(glyph));
      const QPoint near(static_cast<int>(std::lround(3 * scale)), static_cast<int>(std::lround(3 * scale)));
      const int solid = LookOf(At(glyph, scale)).Opaque;
      EXPECT_LE(Mismatch(shown, drawn, near), solid / 100);
      for (Qt::TransformationMode mode : {Qt::FastTransformation, Qt::SmoothTransformation}) {
        const QImage scaledUp = small.scaled(drawn.size(), Qt::IgnoreAspectRatio, mode);
        EXPECT_GT(Mismatch(shown, scaledUp, near), solid / 10) << mode;
      }
    }
  }
}

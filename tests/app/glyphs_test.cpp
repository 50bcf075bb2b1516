#include "app/glyphs.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

namespace {

struct Look {
  int Opaque = 0, Transparent = 0;
  QSet<QRgb> Colours;
};

Look LookOf(const QPixmap& p) {
  Look look;
  const QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) == 255) ++look.Opaque, look.Colours.insert(c);
      if (qAlpha(c) == 0) ++look.Transparent;
    }
  return look;
}

}  // namespace

TEST(Glyphs, AllAre32By32PicturesOnATransparentGround) {
  for (const QPixmap& p : {AppIconPixmap(), ConnectGlyph(), PlayGlyph(), PlayDisabledGlyph(),
                           PlayWelcomeGlyph(), PlayFullWelcomeGlyph(), EraseGlyph(),
                           EraseDisabledGlyph()}) {
    EXPECT_EQ(p.size(), QSize(32, 32));
    const Look look = LookOf(p);
    EXPECT_GT(look.Opaque, 100);
    EXPECT_GT(look.Transparent, 100);
  }
}

TEST(Glyphs, IconKeepsToSixteenColours) {
  static const QSet<QRgb> palette = {
      qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
      qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
      qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
  const QImage image = AppIconPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) == 0) continue;
      EXPECT_EQ(qAlpha(c), 255) << x << "," << y;
      EXPECT_TRUE(palette.contains(c)) << x << "," << y;
    }
}

TEST(Glyphs, DisabledImagesAreGreyVersions) {
  for (const QPixmap& p : {PlayDisabledGlyph(), EraseDisabledGlyph()}) {
    for (QRgb c : LookOf(p).Colours) EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
  }
  EXPECT_NE(PlayGlyph().toImage(), PlayDisabledGlyph().toImage());
  EXPECT_GT(LookOf(PlayGlyph()).Colours.size(), 3);
}

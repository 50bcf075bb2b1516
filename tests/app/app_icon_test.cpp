#include "app/app_icon.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "app/glyphs.h"

namespace {

int DifferingPixels(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
  int n = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      if (qAlpha(p) != qAlpha(q) || (qAlpha(p) != 0 && (p & 0xFFFFFF) != (q & 0xFFFFFF))) ++n;
    }
  return n;
}

}  // namespace

TEST(AppIcon, TheWindowIconIsThePictureAtEachScale) {
  for (qreal ratio : {1.0, 1.25, 1.5, 2.0})
    EXPECT_EQ(AppIconImage(static_cast<int>(32 * ratio)).convertToFormat(QImage::Format_ARGB32),
              AppIcon().pixmap(QSize(32, 32), ratio).toImage().convertToFormat(QImage::Format_ARGB32)) << ratio;
}

TEST(AppIcon, MultiplesOfThirtyTwoAreTheSamePictureUnsmoothed) {
  const QImage small = AppIconImage(32);
  QSet<QRgb> colours;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) colours.insert(small.pixel(x, y));
  for (int size : {64, 128, 256}) {
    const QImage big = AppIconImage(size);
    ASSERT_EQ(big.size(), QSize(size, size));
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) ASSERT_TRUE(colours.contains(big.pixel(x, y))) << size << ": " << x << "," << y;
    // Each 32-pixel pixel's block shows its colour in the middle; only the case top's slanted edges may not.
    const int k = size / 32;
    int off = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (big.pixel(x * k + k / 2, y * k + k / 2) != small.pixel(x, y)) ++off;
    EXPECT_LE(off, 8) << size;
  }
}

TEST(AppIcon, OtherSizesAreTheSamePictureSmoothed) {
  const QImage reference = AppIconImage(32);
  for (int size : {16, 22, 24, 48}) {
    const QImage image = AppIconImage(size).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(size, size));
    const QImage back = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    long error = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb p = back.pixel(x, y), q = reference.pixel(x, y);
        error += std::abs(qAlpha(p) - qAlpha(q)) + std::abs(qGray(p) - qGray(q));
      }
    EXPECT_LT(error / (32 * 32), size < 32 ? 60 : 30) << size;
  }
  EXPECT_TRUE(AppIconImage(0).isNull());
}

TEST(AppIcon, TheSvgHoldsEveryShapeInOrder) {
  QXmlStreamReader xml(AppIconSvg());
  ASSERT_TRUE(xml.readNextStartElement());
  EXPECT_EQ(xml.name(), QLatin1String("svg"));
  EXPECT_EQ(xml.attributes().value("viewBox"), QLatin1String("0 0 32 32"));
  std::size_t i = 0;
  while (xml.readNextStartElement()) {
    ASSERT_EQ(xml.name(), QLatin1String("path"));
    ASSERT_LT(i, AppIconShapes().size());
    EXPECT_EQ(xml.attributes().value("fill").toString(), AppIconShapes()[i].Colour.name());
    ++i;
    xml.skipCurrentElement();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(i, AppIconShapes().size());
}

// Drawn by another renderer, the SVG shows what the PNG icons show.
TEST(AppIcon, TheSvgRendersLikeThePngIcons) {
  const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
  if (rsvg.isEmpty()) GTEST_SKIP() << "rsvg-convert missing (librsvg2-bin, scripts/install-deps.sh)";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile svg(dir.filePath("icon.svg"));
  ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
  svg.write(AppIconSvg().toUtf8());
  svg.close();
  for (auto [size, allowed] : {std::pair{32, 4}, std::pair{256, 64}}) {
    const QString png = dir.filePath(QString("icon%1.png").arg(size));
    QProcess render;
    render.start(rsvg, {"-w", QString::number(size), "-h", QString::number(size), "-o", png, svg.fileName()});
    ASSERT_TRUE(render.waitForFinished(10000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage drawn(png);
    ASSERT_EQ(drawn.size(), QSize(size, size));
    EXPECT_LE(DifferingPixels(drawn, AppIconImage(size)), allowed) << size;
  }
}

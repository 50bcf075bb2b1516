#include "tests/common/image_canvas.h"
#include "tests/common/pixels.h"

#include <cmath>
#include <vector>

namespace {

const QColor kWhite(Qt::white);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// Lengths of the alternating runs of `on` / other pixels along row y from x0, starting with an `on` run.
std::vector<int> Runs(TImageCanvas& c, int y, int x0, int n, QColor on) {
  std::vector<int> runs;
  bool cur = true;
  int len = 0;
  for (int x = x0; x < x0 + n; ++x) {
    const bool isOn = c.At(x, y) == on;
    if (isOn == cur) ++len;
    else { runs.push_back(len); cur = isOn; len = 1; }
  }
  runs.push_back(len);
  return runs;
}

void RedPen(TImageCanvas& c, TPenStyle style, bool clearBrush) {
  c.canvas.Pen().SetColor(clRed);
  c.canvas.Pen().SetStyle(style);
  if (clearBrush) c.canvas.Brush().SetStyle(TBrushStyle::bsClear);
}

void Line(TImageCanvas& c, int x0, int y0, int x1, int y1) { c.canvas.MoveTo(x0, y0); c.canvas.LineTo(x1, y1); }

}  // namespace

TEST(CanvasLine, LineToLeavesOutTheEndPointInEveryDirection) {
  TImageCanvas c(20, 20);
  c.canvas.Pen().SetColor(clRed);
  Line(c, 0, 2, 10, 2);  // right
  EXPECT_EQ(c.canvas.PenPos(), QPoint(10, 2));
  Line(c, 3, 19, 3, 10);  // up
  Line(c, 15, 10, 10, 15);  // down-left diagonal

  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 2), kRed) << x;
  for (int y = 19; y > 10; --y) EXPECT_EQ(c.At(3, y), kRed) << y;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.At(15 - i, 10 + i), kRed) << i;
  ExpectPixels(c.End(), {{10, 2, kWhite}, {3, 10, kWhite}, {10, 15, kWhite}});
  EXPECT_EQ(c.InkCount(), 10 + 9 + 5);
}

TEST(CanvasLine, StyledPensRepeatTheGdiPatternsStartingAfreshAtEveryLineTo) {
  struct TCase { TPenStyle style; std::vector<int> runs; /* over 60 pixels */ };
  const TCase cases[] = {
      {TPenStyle::psDash, {18, 6, 18, 6, 12}},
      {TPenStyle::psDot, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
      {TPenStyle::psDashDot, {9, 6, 3, 6, 9, 6, 3, 6, 9, 3}},
      {TPenStyle::psDashDotDot, {9, 3, 3, 3, 3, 3, 9, 3, 3, 3, 3, 3, 9, 3}}, {TPenStyle::psSolid, {60}}};
  for (const TCase& k : cases) {
    TImageCanvas c(70, 3);
    RedPen(c, k.style, true);
    Line(c, 0, 1, 60, 1);
    EXPECT_EQ(Runs(c, 1, 0, 60, kRed), k.runs) << static_cast<int>(k.style);
    EXPECT_EQ(c.At(60, 1), kWhite);
  }
  TImageCanvas c(30, 3);
  RedPen(c, TPenStyle::psDash, true);
  Line(c, 0, 1, 10, 1);
  c.canvas.LineTo(20, 1);  // a continued pattern would leave 18..19 empty
  EXPECT_EQ(Runs(c, 1, 0, 20, kRed), std::vector<int>{20});
}

TEST(CanvasLine, VerticalDashesAndGapsFollowTheBrush) {
  TImageCanvas opaque(3, 30);
  RedPen(opaque, TPenStyle::psDot, false);
  opaque.canvas.Brush().SetColor(clBlue);
  Line(opaque, 1, 29, 1, 0);
  // Upwards from y = 29: 3 red, 3 blue, ...; y = 0 is the end point.
  ExpectPixels(opaque.End(),
               {{1, 29, kRed}, {1, 27, kRed}, {1, 26, kBlue}, {1, 24, kBlue}, {1, 23, kRed}, {1, 0, kWhite}});

  TImageCanvas clear(3, 30);
  RedPen(clear, TPenStyle::psDot, true);
  Line(clear, 1, 29, 1, 0);
  ExpectPixels(clear.End(), {{1, 27, kRed}, {1, 26, kWhite}});
}

TEST(CanvasLine, PenModesXorAndNot) {
  TImageCanvas c(12, 4);
  c.canvas.Pen().SetColor(clRed);
  c.canvas.Pen().SetMode(TPenMode::pmXor);
  Line(c, 0, 1, 10, 1);
  Line(c, 0, 2, 10, 2);
  c.canvas.LineTo(0, 2);  // back over the same pixels but (0, 2)
  c.canvas.Pen().SetMode(TPenMode::pmNot);
  Line(c, 0, 3, 10, 3);
  ExpectPixels(c.End(), {{5, 1, QColor(0, 255, 255), "white xor red"}, {5, 2, kWhite, "twice restores"},
                         {0, 2, QColor(0, 255, 255), "drawn once: the second line left out its end point"},
                         {5, 3, Qt::black, "inverted, whatever the pen colour"}});
}

TEST(CanvasLine, SystemColoursComeFromThePaletteGivenAWidePenDrawsASolidBand) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Dark, QColor(0x12, 0x34, 0x56));
  TImageCanvas c(10, 3, Qt::white, palette);
  c.canvas.Pen().SetColor(clBtnShadow);
  Line(c, 0, 1, 5, 1);
  EXPECT_EQ(Hex(c.At(2, 1)), "#123456");
  TImageCanvas wide(50, 10);
  RedPen(wide, TPenStyle::psDash, false);
  wide.canvas.Pen().SetWidth(3);
  Line(wide, 2, 5, 45, 5);
  EXPECT_EQ(std::pair(wide.Ink().height(), wide.Ink().left()), std::pair(3, 2));
  EXPECT_EQ(wide.At(22, 5), kRed);  // a dash's gap in a one-pixel line
}

TEST(CanvasFill, FillRectLeavesRightAndBottomOutAndClearPensAndBrushesAndEmptyLinesDrawNothing) {
  TImageCanvas line(10, 10);
  Line(line, 4, 4, 4, 4);
  line.canvas.Pen().SetStyle(TPenStyle::psClear);
  line.canvas.LineTo(9, 4);  // a clear pen only moves
  EXPECT_EQ(std::tuple(line.canvas.PenPos(), line.Ink().isNull()), std::tuple(QPoint(9, 4), true));
  TCanvas unbound;  // without a painter
  unbound.MoveTo(0, 0);
  EXPECT_THROW(unbound.LineTo(5, 5), EInvalidOperation);
  EXPECT_THROW(unbound.FillRect({0, 0, 4, 4}), EInvalidOperation);
  TImageCanvas c(10, 10);
  c.canvas.Brush().SetColor(clBlue);
  c.canvas.FillRect({2, 3, 6, 5});
  EXPECT_EQ(c.Ink(), QRect(QPoint(2, 3), QPoint(5, 4)));
  TImageCanvas clear(10, 10);
  clear.canvas.Brush().SetStyle(TBrushStyle::bsClear);
  clear.canvas.FillRect({0, 0, 10, 10});
  EXPECT_TRUE(clear.Ink().isNull());
}

TEST(CanvasFrame3D, TopLeftInTheFirstColourBottomRightOwnsTwoCornersAndTheRectShrinks) {
  TImageCanvas c(12, 12);
  c.canvas.Pen().SetColor(clLime);
  c.canvas.Pen().SetStyle(TPenStyle::psDot);
  TRect r{2, 2, 9, 8};  // frame on (2,2)..(8,7)
  c.canvas.Frame3D(r, clRed, clBlue);
  EXPECT_EQ(r, (TRect{3, 3, 8, 7}));
  EXPECT_EQ(std::pair(c.canvas.Pen().Color(), c.canvas.Pen().Style()), std::pair(clLime, TPenStyle::psDot));
  ExpectPixels(c.End(), {{2, 2, kRed, "top-left"}, {8, 2, kBlue, "top-right"}, {2, 7, kBlue, "bottom-left"},
                         {8, 7, kBlue, "bottom-right"}, {5, 5, kWhite}});
  for (int y = 3; y < 7; ++y) {
    EXPECT_EQ(c.At(2, y), kRed) << y;
    EXPECT_EQ(c.At(8, y), kBlue) << y;
  }
  for (int x = 3; x < 8; ++x) {
    EXPECT_EQ(c.At(x, 2), kRed) << x;
    EXPECT_EQ(c.At(x, 7), kBlue) << x;
  }
  EXPECT_EQ(c.Ink(), QRect(QPoint(2, 2), QPoint(8, 7)));
}

// Contrast ratio of two colours as the accessibility guidelines reckon it.
double Contrast(const QColor& a, const QColor& b) {
  auto lum = [](const QColor& c) {
    auto ch = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
  };
  const double x = lum(a), y = lum(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// On the highlight of the light and dark palettes, on the window colour and on a mid grey.
TEST(CanvasFocusRect, DotsEveryOtherEdgePixelThatStandOutFromTheBrush) {
  for (const QColor ground : {QColor(0x30, 0x8c, 0xc6), QColor(0x2a, 0x82, 0xda), QColor(Qt::white),
                              QColor(0x1e, 0x1e, 0x1e), QColor(0x77, 0x77, 0x77)}) {
    SCOPED_TRACE(Hex(ground));
    TImageCanvas c(12, 12, ground);
    c.canvas.Brush().SetColor(ColorFromQColor(ground));
    c.canvas.DrawFocusRect({1, 1, 11, 9});
    for (QPoint dot : {QPoint(1, 1), QPoint(3, 1), QPoint(10, 8), QPoint(1, 7), QPoint(10, 2)})
      EXPECT_GE(Contrast(c.At(dot.x(), dot.y()), ground), 3.0) << dot.x() << "," << dot.y();
    for (QPoint gap : {QPoint(2, 1), QPoint(1, 2), QPoint(2, 2), QPoint(11, 9), QPoint(10, 9), QPoint(11, 8)})
      EXPECT_EQ(c.At(gap.x(), gap.y()), ground) << gap.x() << "," << gap.y();
  }
}

// Each edge as thick in device pixels as a one-pixel line is at that scale, wherever the frame lies.
TEST(CanvasFrame3D, EdgesAreEvenlyThickAtFractionalScales) {
  for (qreal scale : {1.25, 1.5, 1.75}) {
    const int thickness = qRound(scale);
    for (int at = 3; at < 7; ++at) {
      SCOPED_TRACE(testing::Message() << scale << " at " << at);
      QImage img(QSize(30, 30) * scale, QImage::Format_RGB32);
      img.setDevicePixelRatio(scale);
      img.fill(Qt::white);
      TRect r{at, at, at + 15, at + 13};
      QPainter p(&img);
      TCanvas(&p, QApplication::palette()).Frame3D(r, clRed, clBlue);
      p.end();
      auto runs = [&](bool down) {
        std::vector<std::pair<QRgb, int>> out;
        const int mid = qRound((at + 7) * scale);
        for (int i = 0; i < (down ? img.height() : img.width()); ++i) {
          const QRgb c = down ? img.pixel(mid, i) : img.pixel(i, mid);
          if (c == qRgb(255, 255, 255)) continue;
          if (!out.empty() && out.back().first == c) ++out.back().second;
          else out.push_back({c, 1});
        }
        return out;
      };
      const std::vector<std::pair<QRgb, int>> expected{{qRgb(255, 0, 0), thickness}, {qRgb(0, 0, 255), thickness}};
      EXPECT_EQ(std::tuple(runs(false), runs(true)), std::tuple(expected, expected));
    }
  }
}

#include "tests/common/image_canvas.h"
#include "tests/common/pixels.h"
#include "toolkit/widgets/text_layout.h"

#include <QFontMetrics>

namespace {

constexpr unsigned kPlain = DT_NOPREFIX;

void UseTestFont(TCanvas& c) {
  c.Font().SetName("DejaVu Sans");
  c.Font().SetHeight(11);
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(TBrushStyle::bsClear);
}

QFontMetrics TestMetrics() { TCanvas c; UseTestFont(c); return QFontMetrics(c.Font().QtFont()); }

QImage Drawn(const QString& text, TRect rect, unsigned format) {
  TImageCanvas c(200, 80);
  UseTestFont(c.canvas);
  DrawTextEx(c.canvas, text, rect, format);
  return c.End().copy();
}

QRect InkOf(const QImage& img) { return InkIn(img, img.rect(), Qt::white); }

TRect Measure(const QString& text, TRect rect, unsigned format, int* height = nullptr) {
  TCanvas c;  // measuring needs no painter
  UseTestFont(c);
  const int h = DrawTextEx(c, text, rect, format | DT_CALCRECT);
  if (height) *height = h;
  return rect;
}

}  // namespace

TEST(DrawTextEx, WithNoPrefixAnAmpersandIsDrawnAsItselfWithoutTheMarkedLetterIsUnderlined) {
  const QImage amp = Drawn("a&b", {10, 10, 190, 70}, kPlain);
  EXPECT_EQ(amp, Drawn("a&&b", {10, 10, 190, 70}, 0));  // "&&" is how a prefix text shows one '&'
  EXPECT_NE(amp, Drawn("ab", {10, 10, 190, 70}, kPlain));
  EXPECT_GT(InkOf(amp).width(), InkOf(Drawn("ab", {10, 10, 190, 70}, kPlain)).width());
  // Without it the marked letter is underlined and the mark vanishes.
  const int ascent = TestMetrics().ascent();
  const QImage marked = Drawn("&b", {10, 10, 190, 70}, 0);
  const QImage plain = Drawn("b", {10, 10, 190, 70}, kPlain);
  EXPECT_EQ(marked.copy(0, 0, 200, 10 + ascent), plain.copy(0, 0, 200, 10 + ascent));  // same letter
  EXPECT_NE(marked, plain);  // and a line under it
  EXPECT_EQ(Measure("&b", {0, 0, 100, 20}, 0).Right, Measure("b", {0, 0, 100, 20}, kPlain).Right);
}

TEST(DrawTextEx, CalcRectGivesHeightAndWidthAndDrawsNothing) {
  TImageCanvas img(200, 80);
  UseTestFont(img.canvas);
  const int lh = TestMetrics().height();
  ASSERT_EQ(lh, 13);
  TRect r{5, 7, 100, 8};
  EXPECT_EQ(DrawTextEx(img.canvas, "Fax", r, kPlain | DT_CALCRECT), lh);
  EXPECT_EQ(std::tuple(r.Left, r.Top, r.Bottom), std::tuple(5, 7, 7 + lh));
  EXPECT_GT(r.Right, 5 + 10);
  EXPECT_LT(r.Right, 5 + 40);
  EXPECT_TRUE(img.Ink().isNull());

  int h = -1;
  EXPECT_EQ(Measure("a\nb", {0, 0, 100, 0}, kPlain, &h).Bottom, 2 * lh);
  EXPECT_EQ(h, 2 * lh);
  EXPECT_EQ(Measure("a\r\nb\rc\n", {0, 0, 100, 0}, kPlain).Bottom, 3 * lh);  // a final break adds no line
  EXPECT_EQ(Measure("a\n\nb", {0, 0, 100, 0}, kPlain).Bottom, 3 * lh);
  EXPECT_EQ(Measure("", {3, 4, 100, 50}, kPlain, &h), (TRect{3, 4, 3, 4}));
  EXPECT_EQ(h, 0);
}

TEST(DrawTextEx, WhatIsDrawnLiesInsideWhatWasMeasured) {
  struct TCase { QString text; unsigned format; int width; };
  const TCase cases[] = {
      {"Receive Time", kPlain, 150}, {"Receive Time", kPlain | DT_CENTER, 150},
      {"Receive Time", kPlain | DT_RIGHT, 150}, {"one two three four five", kPlain | DT_WORDBREAK, 60},
      {"one two three four five", kPlain | DT_WORDBREAK | DT_CENTER, 60},
      {"first\nsecond line", kPlain | DT_RIGHT, 150}, {"a\tb\tc", kPlain | DT_EXPANDTABS, 150}};
  for (const TCase& k : cases) {
    const TRect area{20, 5, 20 + k.width, 75};
    const TRect m = Measure(k.text, area, k.format);
    const QRect ink = InkOf(Drawn(k.text, area, k.format));
    ASSERT_FALSE(ink.isNull()) << k.text.toStdString();
    const int w = m.Right - m.Left;
    int left = area.Left;  // where the widest line starts
    if (k.format & DT_CENTER) left += (k.width - w) / 2;
    if (k.format & DT_RIGHT) left = area.Right - w;
    EXPECT_GE(ink.left(), left) << k.text.toStdString();
    EXPECT_LT(ink.right(), left + w) << k.text.toStdString();
    EXPECT_GE(ink.top(), m.Top) << k.text.toStdString();
    EXPECT_LT(ink.bottom(), m.Bottom) << k.text.toStdString();
    EXPECT_GE(ink.bottom(), m.Bottom - QFontMetrics(QFont("DejaVu Sans")).height())  // last line drawn
        << k.text.toStdString();
  }
}

TEST(DrawTextEx, WordBreakWrapsBetweenWordsButNeverInsideOneTabsExpandToStopsOfEightAverageCharacters) {
  const int lh = TestMetrics().height();
  const int oneTwo = Measure("one two", {0, 0, 500, 0}, kPlain).Right;
  const TRect wrapped = Measure("one two three", {0, 0, oneTwo + 1, 0}, kPlain | DT_WORDBREAK);
  EXPECT_EQ(wrapped.Bottom, 2 * lh);
  EXPECT_EQ(wrapped.Right, oneTwo);  // narrowed to the widest line

  const int word = Measure("Transmission", {0, 0, 500, 0}, kPlain).Right;
  const TRect longWord = Measure("Transmission", {0, 0, 30, 0}, kPlain | DT_WORDBREAK);
  EXPECT_EQ(longWord.Bottom, lh);
  EXPECT_EQ(longWord.Right, word);  // widened past the rectangle

  EXPECT_EQ(Measure("one two three", {0, 0, 20, 0}, kPlain).Bottom, lh);  // no wrapping without the flag
  const int stop = 8 * TestMetrics().averageCharWidth();
  const int b = Measure("b", {0, 0, 500, 0}, kPlain).Right;
  EXPECT_EQ(Measure("a\tb", {0, 0, 500, 0}, kPlain | DT_EXPANDTABS).Right, stop + b);
  EXPECT_EQ(Measure("a\tb", {0, 0, 500, 0}, kPlain).Right, Measure("a b", {0, 0, 500, 0}, kPlain).Right);
}

TEST(DrawTextEx, EndEllipsisKeepsTheLongestStartThatFitsAndEndsTheLineInsideTheRectangle) {
  const QString text = "Transmission received";
  const TRect area{10, 10, 80, 40};
  const QImage elided = Drawn(text, area, kPlain | DT_END_ELLIPSIS);
  const QRect ink = InkOf(elided);
  EXPECT_LT(ink.right(), area.Right);
  EXPECT_NE(elided, Drawn(text, area, kPlain));  // not just clipped

  // The picture is that of some start of the text followed by "…"; one character more would not have fitted.
  const QString ellipsis(QChar(0x2026));
  int cut = -1;
  for (int k = 0; k <= text.size() && cut < 0; ++k)
    if (Drawn(text.left(k) + ellipsis, area, kPlain) == elided) cut = k;
  ASSERT_GT(cut, 0);
  EXPECT_GT(Measure(text.left(cut + 1) + ellipsis, area, kPlain).Right - area.Left, area.Right - area.Left);

  // Measuring gives the text's own width, so a cell can ask for the room it needs.
  EXPECT_EQ(Measure(text, area, kPlain | DT_END_ELLIPSIS).Right, Measure(text, area, kPlain).Right);

  // The longest start that fits, at every width.
  const QString date = "Friday, 14 March 2025 18:15:00";
  for (int w = 1; w <= 185; w += 2) {
    SCOPED_TRACE(w);
    const TRect at{5, 10, 5 + w, 40};
    auto width = [&](const QString& s) { return Measure(s, at, kPlain).Right - at.Left; };
    int k = static_cast<int>(date.size());
    while (k > 0 && width(date.left(k) + ellipsis) > w) --k;
    const QString expected = width(date) <= w ? date : date.left(k) + ellipsis;
    EXPECT_EQ(Drawn(date, at, kPlain | DT_END_ELLIPSIS), Drawn(expected, at, kPlain));
  }
}

TEST(DrawTextEx, EndEllipsisWithWordBreakCutsOnlyAnOverlongWordAndKeepsTheLines) {
  const int lh = TestMetrics().height();
  const QString text = "ab Transmissions cd";
  const TRect area{10, 5, 60, 75};
  int h = 0;
  Measure(text, area, kPlain | DT_WORDBREAK | DT_END_ELLIPSIS, &h);
  EXPECT_EQ(h, 3 * lh);
  const QImage img = Drawn(text, area, kPlain | DT_WORDBREAK | DT_END_ELLIPSIS);
  EXPECT_LT(InkOf(img).right(), area.Right);
  // First and last lines are as without the ellipsis.
  const QImage plain = Drawn(text, area, kPlain | DT_WORDBREAK);
  EXPECT_EQ(img.copy(0, 0, 200, 5 + lh), plain.copy(0, 0, 200, 5 + lh));
  EXPECT_EQ(img.copy(0, 5 + 2 * lh, 200, lh), plain.copy(0, 5 + 2 * lh, 200, lh));
  EXPECT_NE(img.copy(0, 5 + lh, 200, lh), plain.copy(0, 5 + lh, 200, lh));
}

TEST(DrawTextEx, AlignmentPlacesEachLineAndDrawingStaysInsideTheRectangle) {
  const TRect area{0, 0, 200, 40};
  const int w = Measure("Fax", area, kPlain).Right;
  const QRect left = InkOf(Drawn("Fax", area, kPlain));
  const QRect centre = InkOf(Drawn("Fax", area, kPlain | DT_CENTER));
  const QRect right = InkOf(Drawn("Fax", area, kPlain | DT_RIGHT));
  EXPECT_EQ(centre.left() - left.left(), (200 - w) / 2);
  EXPECT_EQ(right.left() - left.left(), 200 - w);
  const QRect ink = InkOf(Drawn("Welcome message\nsecond", {30, 20, 60, 30}, kPlain));  // smaller both ways
  ASSERT_FALSE(ink.isNull());
  EXPECT_TRUE(QRect(30, 20, 30, 10).contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x"
                                                   << ink.height();
}

TEST(DrawTextEx, ASolidBrushFillsEachLineBoxAClearOneLeavesTheBackgroundTheFontColourComesFromThePalette) {
  TImageCanvas opaque(200, 80);
  UseTestFont(opaque.canvas);
  opaque.canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  opaque.canvas.Brush().SetColor(clYellow);
  TRect r{10, 10, 190, 70};
  DrawTextEx(opaque.canvas, "ab\nabc", r, kPlain);
  const int lh = TestMetrics().height();
  const int wAbc = Measure("abc", r, kPlain).Right - r.Left;
  ExpectPixels(opaque.End(), {{10, 10, Qt::yellow, "top-left of line 1"}, {10, 10 + 2 * lh, Qt::white, "below text"},
                              {10 + wAbc - 1, 10 + 2 * lh - 1, Qt::yellow, "bottom-right of line 2"},
                              {10 + wAbc, 10 + lh, Qt::white, "past line 2"}});

  TImageCanvas clear(200, 80);
  UseTestFont(clear.canvas);
  DrawTextEx(clear.canvas, "ab\nabc", r, kPlain);
  EXPECT_EQ(clear.At(10, 10), QColor(Qt::white));
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::ToolTipText, QColor(200, 0, 0));
  auto drawnIn = [&](TColor color) {
    TImageCanvas c(100, 30, Qt::white, palette);
    UseTestFont(c.canvas);
    c.canvas.Font().SetColor(color);
    TRect r{0, 0, 100, 30};
    DrawTextEx(c.canvas, "HHH", r, kPlain);
    return c.End().copy();
  };
  EXPECT_EQ(drawnIn(clInfoText), drawnIn(ColorFromRgb(200, 0, 0)));
  EXPECT_NE(drawnIn(clInfoText), drawnIn(clBlack));
}

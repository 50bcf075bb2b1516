#include "grid/cg_hint_grid.h"
#include "tests/common/shown_window.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Leftmost column of the client area holding a pixel of the text colour.
int FirstTextColumn(TcgHintWindow& hint) {
  const QImage img = hint.grab().toImage();
  const QColor ink = hint.palette().color(QPalette::ToolTipText);
  for (int x = 1; x < img.width() - 1; ++x)
    for (int y = 1; y < img.height() - 1; ++y) if (img.pixelColor(x, y) == ink) return x;
  return -1;
}

struct CellHintWindow : ::testing::Test {
  void TearDown() override { hint.HideHint(); }
  TcgHintWindow hint;
  QFontMetrics fm{hint.font()};
};

TEST_F(CellHintWindow, SizedToItsTextAtTheGivenPointAndToEachNewText) {
  hint.ActivateHint(TRect{100, 120, 0, 0}, "Voice, 12 s");
  EXPECT_EQ(std::tuple(hint.isVisible(), hint.Caption()), std::tuple(true, "Voice, 12 s"));
  EXPECT_EQ(hint.geometry(), QRect(100, 120, fm.horizontalAdvance("Voice, 12 s") + 8, fm.height() + 6));
  // A line break makes a second line; the rest of the rectangle is ignored.
  hint.ActivateHint(TRect{30, 40, 500, 500}, "Voice\n12 s");
  EXPECT_EQ(std::tuple(hint.pos(), hint.height()), std::tuple(QPoint(30, 40), 2 * fm.lineSpacing() + 6));

  // A new text resizes a shown hint.
  hint.ActivateHint(TRect{50, 60, 0, 0}, "ABC");
  const int narrow = hint.width();
  hint.SetCaption("Apple and more");
  EXPECT_EQ(std::tuple(hint.isVisible(), hint.geometry().topLeft()), std::tuple(true, QPoint(50, 60)));
  EXPECT_EQ(hint.width(), fm.horizontalAdvance("Apple and more") + 8);
  EXPECT_GT(hint.width(), narrow);
  hint.HideHint();
  EXPECT_FALSE(hint.isVisible());
  hint.HideHint();  // hiding a hidden hint is nothing
  EXPECT_FALSE(hint.isVisible());
}

TEST_F(CellHintWindow, AmpersandsAndBlanksAreShownAsTheyAreInTheTooltipColoursOfThePalette) {
  hint.ActivateHint(TRect{10, 10, 0, 0}, "A&B");
  EXPECT_EQ(hint.width(), fm.horizontalAdvance("A&B") + 8);
  EXPECT_GT(hint.width(), fm.horizontalAdvance("AB") + 8);
  hint.ActivateHint(TRect{10, 10, 0, 0}, "Fax");
  const int plain = FirstTextColumn(hint);
  hint.ActivateHint(TRect{10, 10, 0, 0}, "   Fax   ");
  EXPECT_EQ(hint.Caption(), "   Fax   ");
  ASSERT_GT(plain, 0);
  EXPECT_GE(FirstTextColumn(hint), plain + fm.horizontalAdvance("   ") - 1);
  EXPECT_EQ(hint.width(), fm.horizontalAdvance("   Fax   ") + 8);

  hint.ActivateHint(TRect{10, 10, 0, 0}, "Data");
  QImage img = hint.grab().toImage();
  EXPECT_EQ(img.pixelColor(2, img.height() - 3), hint.palette().color(QPalette::ToolTipBase));
  EXPECT_GT(FirstTextColumn(hint), 0);  // text in the tooltip text colour
  QPalette dark = hint.palette();
  dark.setColor(QPalette::ToolTipBase, QColor("#202040"));
  dark.setColor(QPalette::ToolTipText, QColor("#f0f0f0"));
  hint.setPalette(dark);
  img = hint.grab().toImage();
  EXPECT_EQ(img.pixelColor(2, img.height() - 3), QColor("#202040"));
  EXPECT_GT(FirstTextColumn(hint), 0);
}

TEST_F(CellHintWindow, KeptOnTheScreenAndShownWithoutTakingTheFocus) {
  const QRect s = QGuiApplication::primaryScreen()->geometry();
  hint.ActivateHint(TRect{s.right() - 5, 100, 0, 0}, "Receive Time");
  EXPECT_EQ(hint.geometry().topRight(), QPoint(s.right(), 100));  // ends at the right edge
  hint.ActivateHint(TRect{100, s.bottom() - 2, 0, 0}, "Receive Time");
  EXPECT_EQ(hint.geometry().bottomLeft(), QPoint(100, s.bottom()));
  hint.ActivateHint(TRect{s.right() + 50, s.bottom() + 50, 0, 0}, "Receive Time");  // off every screen
  EXPECT_EQ(hint.geometry().bottomRight(), s.bottomRight());
  hint.ActivateHint(TRect{-40, -7, 0, 0}, "Receive Time");
  EXPECT_EQ(hint.pos(), s.topLeft());
  // Exactly fitting is not moved.
  const int w = hint.width(), h = hint.height();
  hint.ActivateHint(TRect{s.right() + 1 - w, s.bottom() + 1 - h, 0, 0}, "Receive Time");
  EXPECT_EQ(hint.pos(), QPoint(s.right() + 1 - w, s.bottom() + 1 - h));

  QWidget window;
  auto* edit = new QLineEdit(&window);
  ASSERT_TRUE(orvix::test::ShowActive(window));
  edit->setFocus();
  hint.ActivateHint(TRect{10, 10, 0, 0}, "Fax, 2 pages");
  QApplication::processEvents();
  EXPECT_TRUE(hint.isVisible() && window.isActiveWindow() && edit->hasFocus());
}

}  // namespace

#include "tests/common/pixels.h"
#include "tests/common/shown_window.h"
#include "toolkit/widgets/hint_window.h"

#include <QPainter>
#include <QPointer>
#include <QToolTip>

namespace {

struct TProbeHint : THintWindow {
  using THintWindow::THintWindow;
  int textChanges = 0;
  bool paintOutside = false;  // Paint tries to cover more than the client area
  void TextChanged() override { ++textChanges; THintWindow::TextChanged(); }
  void Paint() override { if (paintOutside) Canvas()->fillRect(-5, -5, 1000, 1000, Qt::red); }
};

TEST(HintWindow, ThinRaisedBorderAroundTheClientAreaOnlyADifferentCaptionChangesTheText) {
  TProbeHint hint;
  hint.setGeometry(10, 10, 40, 20);
  EXPECT_EQ(hint.ClientRect(), (TRect{0, 0, 38, 18}));
  QPalette pal = hint.palette();
  pal.setColor(QPalette::Window, QColor("#ffffdc"));
  pal.setColor(QPalette::Light, Qt::white);
  pal.setColor(QPalette::Dark, QColor("#808080"));
  hint.setPalette(pal);
  ExpectPixels(hint.grab().toImage(), {{0, 0, Qt::white}, {39, 19, "#808080"}, {20, 10, "#ffffdc"}});
  hint.paintOutside = true;  // Paint is clipped to the client area: the border stays
  ExpectPixels(hint.grab().toImage(), {{1, 1, Qt::red}, {38, 18, Qt::red}, {0, 0, Qt::white}, {39, 19, "#808080"}});

  for (int i = 0; i < 2; ++i) hint.SetCaption("Receive Time");
  EXPECT_EQ(hint.textChanges, 1);
  hint.SetCaption("");
  EXPECT_EQ(std::tuple(hint.textChanges, hint.Caption()), std::tuple(2, ""));
}

TEST(HintWindow, ShowsWithoutTakingTheFocusAndIsNoMouseTarget) {
  QWidget window;
  window.resize(300, 200);
  auto* edit = new QLineEdit(&window);
  edit->setGeometry(10, 10, 200, 100);
  ASSERT_TRUE(orvix::test::ShowActive(window));
  edit->setFocus();

  auto* hint = new TProbeHint(&window);
  EXPECT_EQ(hint->font(), QToolTip::font());
  const QPoint over = edit->mapToGlobal(QPoint(50, 50));
  hint->setGeometry(over.x() - 10, over.y() - 10, 60, 30);
  hint->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
  EXPECT_TRUE(hint->isWindow() && window.isActiveWindow() && edit->hasFocus());
  EXPECT_NE(QApplication::widgetAt(over), hint);
}

TEST(HintWindow, GoesWithItsOwner) {
  auto owner = std::make_unique<QWidget>();
  const QPointer<THintWindow> hint(new THintWindow(owner.get()));
  hint->SetCaption("x");
  hint->show();
  owner.reset();
  EXPECT_TRUE(hint.isNull());
}

}  // namespace

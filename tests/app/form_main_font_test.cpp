// The window's font: the definition asks for MS Sans Serif, which Linux lacks;
// its metric twin keeps the texts inside their fixed places.

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

class FormMainFont : public FormMainTest {};

TEST_F(FormMainFont, LiberationSansBoldElevenPixelsAndTheCountTextsFit) {
  WriteSettings("/nonexistent/orvix-tty");
  CreateForm();
  const QFont font = form_->LabelMsgStoreCnt->font();
  EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
  EXPECT_TRUE(QFontInfo(font).bold());
  EXPECT_EQ(QFontInfo(font).pixelSize(), 11);
  // The longest texts the count label shows, in its 135 x 13 pixels.
  const QFontMetrics metrics(font);
  for (const char* text : {"No received message", "888 received messages"})
    EXPECT_LE(metrics.horizontalAdvance(text), form_->LabelMsgStoreCnt->width()) << text;
  // Popups of their own (the cell hint) keep the system's hint font.
  for (QWidget* w : form_->findChildren<QWidget*>())
    if (!w->isWindow()) {
      EXPECT_EQ(QFontInfo(w->font()).family(), "Liberation Sans") << w->objectName().toStdString();
    }
}

// With Qt's scaling off, a desktop that sets its fonts' resolution (here
// 144 pixels per inch, in CTest's run of this test) gets the window's text
// larger in proportion: 8.25 points, not a fixed 11 pixels.
TEST_F(FormMainFont, TheTextFollowsTheFontResolution) {
  WriteSettings("/nonexistent/orvix-tty");
  CreateForm();
  const qreal dpi = form_->screen()->logicalDotsPerInchY();
  EXPECT_NEAR(QFontInfo(form_->LabelMsgStoreCnt->font()).pixelSize(), 8.25 * dpi / 72, 1.0) << dpi;
}

}  // namespace
}  // namespace formmain_test

// With Qt's scaling off, a desktop that sets its fonts' resolution (here
// 144 pixels per inch, in CTest's run of this test) gets the window's text
// larger in proportion: 8.25 points, not a fixed 11 pixels.

#include <QFontInfo>
#include <QScreen>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

class FormMainFont : public FormMainTest {};

TEST_F(FormMainFont, TheTextFollowsTheFontResolution) {
  CreateFormWithoutDevice();
  const qreal dpi = form_->screen()->logicalDotsPerInchY();
  EXPECT_NEAR(QFontInfo(form_->LabelMsgStoreCnt->font()).pixelSize(), 8.25 * dpi / 72, 1.0) << dpi;
}

}  // namespace
}  // namespace formmain_test

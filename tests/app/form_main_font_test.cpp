// Qt's scaling off, a desktop's font resolution (144 dpi in CTest's run) scales the text: 8.25 pt, not 11 px.

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

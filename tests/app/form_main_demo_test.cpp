// The window against the emulator's demo modem, rendered as a person sees it.
// Set ORVIX_SCREENSHOT to a file name to keep the picture.

#include <QImage>
#include <QPixmap>

#include <cstdlib>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

class FormMainDemo : public FormMainTest {};

TEST_F(FormMainDemo, TheDemoModemRendersItsList) {
  StartModem(ReadFile(ORVIX_SOURCE_DIR "/tools/modem-sim/scenarios/demo.scn"));
  WriteSettings(sim_->Device(), "[ClockReset]\nDate=2025,3,14\nTime=8,0\n");
  CreateForm();
  ASSERT_TRUE(boxes_.Requests.empty()) << boxes_.Texts()[0];
  EXPECT_EQ(Label(), "6 received messages") << "the fax and the voice message of one minute share a row";
  EXPECT_EQ(Column(0).at(5), "7");
  HandleEventsFor(100ms);  // the layout's pending updates land first

  const QImage image = form_->grab().toImage();
  ASSERT_EQ(image.size(), QSize(390, 172) * image.devicePixelRatio());
  // The list's text is drawn: the message rows are not one flat colour.
  const QRect rows(0, 44 + 21, 390, 20);
  QColor first = image.pixelColor(rows.topLeft());
  bool varied = false;
  for (int x = rows.left(); x <= rows.right() && !varied; ++x)
    for (int y = rows.top(); y <= rows.bottom() && !varied; ++y) varied = image.pixelColor(x, y) != first;
  EXPECT_TRUE(varied);
  if (const char* file = std::getenv("ORVIX_SCREENSHOT")) {
    EXPECT_TRUE(image.save(file)) << file;
  }
}

}  // namespace
}  // namespace formmain_test

// Under the program's application object the window is in sight from the start: minimises and boxes too.

#include <QPushButton>

#include "tests/app/form_main_fixture.h"
#include "toolkit/widgets/application.h"

namespace formmain_test {
namespace {

class FormMainApplication : public FormMainTest {};

// Minimised while the start-up reads the store: the port is released once the reading has ended.
TEST_F(FormMainApplication, AMinimiseDuringTheStartUpReleasesThePortAfterIt) {
  StartModem(kThreeMessages);
  QTimer::singleShot(0, [] { MainWindow()->setWindowState(Qt::WindowMinimized); });
  CreateForm();
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MSR=003"}}));
  EXPECT_TRUE(WaitUntil([&] { return !form_->CommPort->PortOpen(); }, 3s));
  EXPECT_TRUE(sim_->WaitForLog("DISCONNECT"));
  EXPECT_TRUE(form_->BtnSelfControl->Down()) << "minimising keeps the connect button";
}

// Raised before the platform has activated the window just shown, a box still shows over it.
TEST_F(FormMainApplication, ABoxDuringTheStartUpShowsOverTheWindow) {
  WriteSettings(kNoDevice);
  QWidget* parent = nullptr;
  RealBoxes real(boxes_, [&](QMessageBox& box) {
    parent = box.parentWidget();
    box.buttons().front()->click();
  });
  CreateForm();
  EXPECT_EQ(parent, form_.get());
}

}  // namespace
}  // namespace formmain_test

// The program's application object instead of the common main's plain one.
int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The window as defined (controls, sizes, texts) and the serial settings it
// takes from section General of the settings file.

#include <QFontInfo>
#include <QLabel>
#include <QToolTip>

#include "tests/app/form_main_fixture.h"
#include "toolkit/widgets/panel.h"

namespace formmain_test {
namespace {

const std::string kNoDevice = "/nonexistent/orvix-tty";

class FormMainWindow : public FormMainTest {};

TEST_F(FormMainWindow, ControlsSizesAndTexts) {
  WriteSettings(kNoDevice);
  CreateForm();
  TFormMain& f = *form_;
  EXPECT_EQ(f.windowTitle(), "Tarvelle Memnova Self-mode Manager");
  EXPECT_EQ(f.size(), QSize(390, 172));
  EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "the border must not be sizeable";
  EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f.windowIcon().isNull());
  EXPECT_TRUE(f.font().bold());
  EXPECT_EQ(f.font().pointSizeF(), 8.25);

  EXPECT_EQ(f.PanelCmd->geometry(), QRect(0, 0, 390, 44));
  EXPECT_EQ(f.GridMsgStore->geometry(), QRect(0, 44, 390, 128));
  struct {
    TSpeedButton* button;
    QRect bounds;
    const char* hint;
  } buttons[] = {
      {f.BtnSelfControl, {2, 2, 45, 39}, "Connect and set up modem"},
      {f.BtnPlay, {58, 2, 39, 39}, "Play selected message"},
      {f.BtnPlayWelcome, {109, 2, 39, 39}, "Play welcome message"},
      {f.BtnPlayFull, {148, 2, 39, 39}, "Play welcome message (full memory)"},
      {f.BtnErase, {199, 2, 39, 39}, "Delete all messages"},
  };
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.hint);
    EXPECT_EQ(b.button->parentWidget(), f.PanelCmd);
    EXPECT_EQ(b.button->geometry(), b.bounds);
    EXPECT_EQ(b.button->Hint(), b.hint);
    EXPECT_TRUE(b.button->Flat());
    EXPECT_EQ(b.button->Glyph().deviceIndependentSize().toSize(), QSize(32, 32));
  }
  EXPECT_FALSE(f.BtnPlay->DisabledGlyph().isNull());
  EXPECT_FALSE(f.BtnErase->DisabledGlyph().isNull());
  EXPECT_EQ(f.BtnSelfControl->GroupIndex(), 1);
  EXPECT_TRUE(f.BtnSelfControl->AllowAllUp());
  EXPECT_EQ(f.BtnPlay->GroupIndex(), 0);

  EXPECT_EQ(f.LabelMsgStoreCnt->geometry(), QRect(246, 15, 135, 13));
  EXPECT_EQ(f.LabelMsgStoreCnt->text(), "No message");

  TCellGrid& g = *f.GridMsgStore;
  EXPECT_EQ(g.toolTip(), "Click the message to select");
}

TEST_F(FormMainWindow, FailedStartWithoutArgumentsStillShowsTheWindow) {
  WriteSettings(kNoDevice);
  CreateForm();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"COM Port is used by another application"});
  ASSERT_EQ(boxes_.Requests.size(), 1u);
  EXPECT_EQ(boxes_.Requests[0].Type, TMsgBoxType::mbtError);
  EXPECT_EQ(boxes_.Requests[0].Title, "Error");
  EXPECT_EQ(boxes_.Requests[0].Buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_EQ(form_->GridMsgStore->Row(), 1);
}

// Section General: every key, its fall-backs and the hexadecimal rule.
TEST_F(FormMainWindow, SerialSettingsFromTheGeneralSection) {
  struct Case {
    std::string lines;
    TBaudRate baud;
    TDatabits data;
    TStopbits stop;
    TParity parity;
  };
  using B = TBaudRate;
  using D = TDatabits;
  using S = TStopbits;
  using P = TParity;
  const Case cases[] = {
      {"", B::cbr9600, D::da8, S::sb10, P::paNone},
      {"BaudRate=2400\nDataBits=5\nStopBits=2\nParity=mark\n", B::cbr9600, D::da8, S::sb10, P::paNone},
      {"BaudRate=0x4B00\nDataBits=7\nStopBits=15\nParity=EVEN\n", B::cbr19200, D::da7, S::sb15, P::paEven},
      {"BaudRate=0X1C200\nStopBits=20\nParity=Odd\n", B::cbr115200, D::da8, S::sb20, P::paOdd},
      {"baudrate = 14400\nDATABITS=0x7\nparity= \"even\" \n", B::cbr14400, D::da7, S::sb10, P::paEven},
      {"BaudRate=38400\n", B::cbr38400, D::da8, S::sb10, P::paNone},
      {"BaudRate=56000\n", B::cbr56000, D::da8, S::sb10, P::paNone},
      {"BaudRate=57600\n", B::cbr57600, D::da8, S::sb10, P::paNone},
      {"BaudRate=128000\n", B::cbr128000, D::da8, S::sb10, P::paNone},
      {"BaudRate=256000\n", B::cbr9600, D::da8, S::sb10, P::paNone},
      {"BaudRate=fast\nDataBits=\nStopBits=0x\n", B::cbr9600, D::da8, S::sb10, P::paNone},
      {"BaudRate=19200x\nParity=space\n", B::cbr9600, D::da8, S::sb10, P::paNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    WriteFile(ini_, "[ClockReset]\nDate=1\n[general]\nDeviceName=" + kNoDevice + "\n" + c.lines);
    const std::string before = ReadFile(ini_);
    CreateForm();
    const TCommPort& port = *form_->CommPort;
    EXPECT_EQ(port.DeviceName(), kNoDevice);
    EXPECT_EQ(port.BaudRate(), c.baud);
    EXPECT_EQ(port.Databits(), c.data);
    EXPECT_EQ(port.Stopbits(), c.stop);
    EXPECT_EQ(port.Parity(), c.parity);
    EXPECT_EQ(ReadFile(ini_), before) << "section General is never written";
    form_.reset();
  }
}

TEST_F(FormMainWindow, DeviceNameIsTakenWithoutQuotesAndBlanks) {
  WriteFile(ini_, "[General]\n  DeviceName =  '" + kNoDevice + "'  \n");
  CreateForm();
  EXPECT_EQ(form_->CommPort->DeviceName(), kNoDevice);
}

}  // namespace
}  // namespace formmain_test

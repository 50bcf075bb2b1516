// The error boxes say why: their texts stay as they are, and the cause of
// the failure goes under the text as the box's detail.

#include "app/serial_devices.h"
#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const std::string kNoDevice = "/nonexistent/orvix-tty";
const char* const kPortUsed = "COM Port is used by another application";

const char* const kMessages =
    "clock running 5 0 0\n"
    "message voice 14 0 9 12\n"
    "message voice 7 1 8 45\n";

class FormMainCauses : public FormMainTest {
 protected:
  // The details of the boxes shown so far, in order.
  std::vector<std::string> Details() const {
    std::vector<std::string> details;
    for (const auto& r : boxes_.Requests) details.push_back(r.Detail);
    return details;
  }
};

TEST_F(FormMainCauses, AMissingDeviceNamesThePathTheSettingAndTheDevicesThatExist) {
  WriteSettings(kNoDevice);
  CreateForm();
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{kPortUsed});
  const std::string& detail = boxes_.Requests[0].Detail;
  EXPECT_EQ(detail.rfind("The serial device could not be opened.\n" + kNoDevice +
                             ": No such file or directory.\n",
                         0),
            0u)
      << detail;
  const std::vector<std::string> present = ListSerialDevices();
  if (present.empty()) {
    EXPECT_NE(detail.find("\nNo serial device was found.\n"), std::string::npos) << detail;
  }
  for (const auto& device : present) EXPECT_NE(detail.find("\n" + device + "\n"), std::string::npos) << detail;
  EXPECT_NE(detail.find("DeviceName in section [General] of " + ini_), std::string::npos) << detail;
}

TEST_F(FormMainCauses, AnAnswerThatCannotBeReadNamesTheCommandAndTheAnswer) {
  CreateFormWithFastModem("message voice 3 0 1 2\nfault AT+MSR=0 garbage z\n");
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{kPortUsed});
  EXPECT_EQ(boxes_.Requests[0].Detail, "The modem's answer to AT+MSR=0 could not be read: \"z0,0,1,0,0,0,0,0\" "
                                       "('z0' is not a valid integer value).");
}

TEST_F(FormMainCauses, ASettingsFileThatCannotBeWrittenIsNamed) {
  // Too long a name for the temporary file the new contents go to first.
  ini_ = dir_.filePath(QString(247, 'o') + ".ini").toStdString();
  CreateFormWithFastModem("clock off\nmessage voice 3 0 1 2\n");
  ASSERT_EQ(boxes_.Texts(), (std::vector<std::string>{"Modem clock had to be resetted", kPortUsed}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"", "Unable to write to " + ini_}));
}

TEST_F(FormMainCauses, APortThatCannotBeReopenedAtShutdownIsNamed) {
  CreateFormWithFastModem(kMessages);
  form_->AppMinimize(nullptr);
  ASSERT_TRUE(sim_->WaitForLog("DISCONNECT"));
  const std::string device = sim_->Device();
  sim_->Stop();
  boxes_.Answer("&Ignore");
  form_->close();
  EXPECT_TRUE(form_->Closed());
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{kPortUsed});
  EXPECT_EQ(boxes_.Requests[0].Detail,
            "The serial device could not be opened.\n" + device + ": Connection refused.");
}

TEST_F(FormMainCauses, AFailedCommandNamesTheCommandAndWhatCameBack) {
  std::string scenario = kMessages;
  scenario += "fault AT+MCD=1 @2 noanswer\nfault AT+MVP=* error\nfault AT+MEM error\n";
  CreateFormWithFastModem(scenario);
  ASSERT_TRUE(boxes_.Requests.empty());
  QTest::mouseClick(form_->BtnPlay, Qt::LeftButton);
  QTest::mouseClick(form_->BtnErase, Qt::LeftButton);
  // Disconnect, connect: the second AT+MCD=1 is not answered.
  QTest::mouseClick(form_->BtnSelfControl, Qt::LeftButton);
  QTest::mouseClick(form_->BtnSelfControl, Qt::LeftButton);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Error on COM Port during Erase operation",
                                                      "Error on COM Port"}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"The modem answered ERROR to AT+MVP=1.",
                                                 "The modem answered ERROR to AT+MEM.",
                                                 "No answer from the modem to AT+MCD=1 within 1 s."}));
}

}  // namespace
}  // namespace formmain_test

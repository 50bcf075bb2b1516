// The error boxes say why: their texts stay as they are, and the cause of
// the failure goes under the text as the box's detail. (A missing device's
// is form_main_window_test's, a port not reopened at shutdown lifecycle's.)

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const char* const kPortUsed = "COM Port is used by another application";

class FormMainCauses : public FormMainTest {
 protected:
  // The details of the boxes shown so far, in order.
  std::vector<std::string> Details() const {
    std::vector<std::string> details;
    for (const auto& r : boxes_.Requests) details.push_back(r.Detail);
    return details;
  }
};

TEST_F(FormMainCauses, AnAnswerThatCannotBeReadNamesTheCommandAndTheAnswer) {
  CreateFormWithModem("message voice 3 0 1 2\nfault AT+MSR=0 garbage z\n");
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{kPortUsed});
  EXPECT_EQ(boxes_.Requests[0].Detail, "The modem's answer to AT+MSR=0 could not be read: \"z0,0,1,0,0,0,0,0\" "
                                       "('z0' is not a valid integer value).");
}

TEST_F(FormMainCauses, ASettingsFileThatCannotBeWrittenIsNamed) {
  // Too long a name for the temporary file the new contents go to first.
  ini_ = dir_.filePath(QString(247, 'o') + ".ini").toStdString();
  CreateFormWithModem("clock off\nmessage voice 3 0 1 2\n");
  ASSERT_EQ(boxes_.Texts(), (std::vector<std::string>{"Modem clock had to be resetted", kPortUsed}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"", "Unable to write to " + ini_}));
}

TEST_F(FormMainCauses, AFailedCommandNamesTheCommandAndWhatCameBack) {
  CreateFormWithModem(kThreeMessages + "fault AT+MCD=1 @2 noanswer\nfault AT+MVP=* error\nfault AT+MEM error\n");
  ASSERT_TRUE(boxes_.Requests.empty());
  Click(form_->BtnPlay);
  Click(form_->BtnErase);
  // Disconnect, connect: the second AT+MCD=1 is not answered.
  Click(form_->BtnSelfControl);
  Click(form_->BtnSelfControl);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Error on COM Port during Erase operation",
                                                      "Error on COM Port"}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"The modem answered ERROR to AT+MVP=1.",
                                                 "The modem answered ERROR to AT+MEM.",
                                                 "No answer from the modem to AT+MCD=1 within 1 s."}));
}

}  // namespace
}  // namespace formmain_test

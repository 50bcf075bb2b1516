// The buttons and Enter, the controls' state after each, a failed command's box and cause, the busy cursor.

#include <QPushButton>

#include "tests/app/form_main_fixture.h"
#include "tests/common/shown_window.h"

namespace formmain_test {
namespace {

const std::string kWithWelcome = kFiveMessages + "welcome 4\n";

class FormMainActions : public FormMainTest {
 protected:
  // Where the keyboard focus is, as a user would press it.
  void PressEnter() {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == form_.get() ? focus : form_.get(), Qt::Key_Return);
  }
};

TEST_F(FormMainActions, PlayMovesTheSelectionEnterPlaysTheNextVoiceRowAndDisconnectSendsNothing) {
  CreateFormWithModem(kWithWelcome);
  ASSERT_TRUE(boxes_.Requests.empty());
  ASSERT_EQ(form_->GridMsgStore->Row(), 1);
  ASSERT_TRUE(form_->BtnPlay->Enabled());

  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnPlay); }), std::vector<std::string>{"AT+MVP=1"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 2);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, false, true, true})) << "row 2 is a fax";

  EXPECT_TRUE(SaidDuring([&] { PressEnter(); }).empty()) << "Enter does nothing while Play is disabled";

  const std::size_t mark = DialogueSize();
  form_->GridMsgStore->SetRow(3);
  EXPECT_TRUE(form_->BtnPlay->Enabled());
  PressEnter();
  EXPECT_EQ(form_->GridMsgStore->Row(), 4);
  EXPECT_TRUE(form_->BtnPlay->Enabled());
  PressEnter();
  EXPECT_EQ(form_->GridMsgStore->Row(), 5);
  PressEnter();
  EXPECT_EQ(form_->GridMsgStore->Row(), 5) << "the last row stays selected";
  EXPECT_TRUE(form_->BtnPlay->Enabled());
  EXPECT_EQ(Dialogue(mark), (std::vector<std::string>{"AT+MVP=3", "AT+MVP=4", "AT+MVP=5"}));

  // The full-memory welcome button is disabled: there is none.
  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnPlayWelcome), Click(form_->BtnPlayFull); }),
            std::vector<std::string>{"AT+MVP=0"});
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_TRUE(sim_->LogEvents("GUARD-VIOLATION").empty());

  EXPECT_TRUE(SaidDuring([&] { Click(form_->BtnSelfControl); }).empty());
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_TRUE(sim_->WaitForLog("DISCONNECT")) << "the device is closed";
  EXPECT_EQ(Label(), "5 received messages");
}

// Each failed command is reported, with its cause under the box.
TEST_F(FormMainActions, AFailedPlayEraseOrSetUpIsReportedWithItsCause) {
  CreateFormWithModem(kWithWelcome + "fault AT+MVP=* error\nfault AT+MEM error\nfault AT+MCD=1 @2 noanswer\n");
  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnPlay); }), std::vector<std::string>{"AT+MVP=1"});
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"});
  EXPECT_EQ(form_->GridMsgStore->Row(), 2) << "the selection still moves";
  EXPECT_TRUE(form_->BtnSelfControl->Enabled());

  form_->GridMsgStore->SetRow(1);
  const auto rows = Column(0);
  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnErase); }), (std::vector<std::string>{"AT+MEM", "AT+MSR=0", "AT+MCC?"}));
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Error on COM Port during Erase operation"}));
  EXPECT_EQ(Column(0), rows);
  EXPECT_EQ(Label(), "5 received messages");
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, false, true, true}));

  // Disconnect, connect: the second AT+MCD=1 is not answered.
  Click(form_->BtnSelfControl);
  Click(form_->BtnSelfControl);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Error on COM Port during Erase operation",
                                                      "Error on COM Port"}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"The modem answered ERROR to AT+MVP=1.",
                                                 "The modem answered ERROR to AT+MEM.",
                                                 "No answer from the modem to AT+MCD=1 within 1 s."}));
}

TEST_F(FormMainActions, EraseEmptiesTheListAndALaterReadingKeepsIt) {
  CreateFormWithModem(kWithWelcome + "full-welcome 3\nmessage fax 1 3 0 0\nmessage voice 9 3 1 0\n");
  ASSERT_EQ(form_->GridMsgStore->RowCount(), 8);
  form_->GridMsgStore->SetRow(4);
  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnErase); }), std::vector<std::string>{"AT+MEM"});
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_EQ(Label(), "No messages");
  EXPECT_EQ(form_->GridMsgStore->RowCount(), 6);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(Column(c), std::vector<QString>(5, "")) << c;
  EXPECT_EQ(form_->GridMsgStore->Row(), 1);
  EXPECT_EQ(form_->Summary, (TStoreSummary{0, false, true, true}));
  EXPECT_TRUE(form_->ClockValid);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, true, false, false}));

  // Disconnect, connect: the store is still empty, so grid and label stay, but the modem clock is reset.
  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnSelfControl), Click(form_->BtnSelfControl); }),
            Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}}));
  EXPECT_TRUE(form_->BtnSelfControl->Down());
  EXPECT_EQ(Label(), "No messages");
  EXPECT_FALSE(form_->ClockValid);
}

TEST_F(FormMainActions, AFailedReadingAfterAFailedEraseIsShownAndLeavesTheControlsUsable) {
  CreateFormWithModem(kWithWelcome + "fault AT+MEM error\nfault AT+MSR=0 @2 noanswer\n");
  Click(form_->BtnErase);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port during Erase operation",
                                                      "Error on COM Port", "'' is not a valid integer value"}));
  EXPECT_TRUE(form_->BtnSelfControl->Enabled());
  EXPECT_TRUE(form_->BtnErase->Enabled());
  EXPECT_FALSE(form_->InExchange());
}

TEST_F(FormMainActions, ConnectWithTheModemOff) {
  CreateFormWithModem("powered off\nmessage voice 3 0 0 0\n");
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Modem if OFF or not connected"});
  EXPECT_EQ(boxes_.Requests[0].Buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_TRUE(Dialogue().empty());

  Click(form_->BtnSelfControl);
  EXPECT_EQ(boxes_.Texts().size(), 2u);
  EXPECT_FALSE(form_->BtnSelfControl->Down());
}

TEST_F(FormMainActions, ConnectOverALineWithoutModemLines) {
  // A pty has no DSR line: the modem reads as off, nothing is sent to it.
  PtyModem modem([](const std::string&) { return std::string(); });
  WriteSettings(modem.Device());
  CreateForm();
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Modem if OFF or not connected"});
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_TRUE(modem.Commands().empty());

  // Closing over the same line asks Cancel or Ignore; only Ignore closes.
  boxes_.Answer("Cancel");
  form_->close();
  EXPECT_FALSE(form_->Closed());
  boxes_.Answer("&Ignore");
  form_->close();
  EXPECT_TRUE(form_->Closed());
  ASSERT_EQ(boxes_.Requests.size(), 3u);
  for (int i : {1, 2}) ExpectCloseQuestion(boxes_.Requests[i], "Modem if OFF or not connected");
  EXPECT_TRUE(boxes_.Mismatches.empty());
  EXPECT_TRUE(modem.Commands().empty()) << "no set-up is sent to a modem that reads as off";
  form_.reset();
}

// A play clicked with the mouse fails: the window is busy until it has ended, its box keeps the normal cursor.
TEST_F(FormMainActions, TheCursorIsBusyDuringAPlayButNotOverItsBox) {
  CreateFormWithModem(kThreeMessages + "fault AT+MVP=1 error\n");
  Qt::CursorShape windowAtBox = Qt::BlankCursor, box = Qt::BlankCursor;
  bool overridden = true;
  RealBoxes real(boxes_, [&](QMessageBox& shown) {
    windowAtBox = form_->cursor().shape();
    box = shown.cursor().shape();
    overridden = QApplication::overrideCursor() != nullptr;
    shown.buttons().front()->click();
  });
  ASSERT_TRUE(orvix::test::ShowActive(*form_));
  Click(form_->BtnPlay);
  EXPECT_EQ(Dialogue().back(), "AT+MVP=1");
  EXPECT_EQ(windowAtBox, Qt::BusyCursor);
  EXPECT_EQ(box, Qt::ArrowCursor);
  EXPECT_FALSE(overridden);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace formmain_test

// Minimise and restore with the port, and requests held while the window waits for the modem.

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const char* const kMessages = "clock running 5 0 0\nmessage voice 2 0 9 12\nmessage fax 2 0 14 3\n";

class FormMainLifecycle : public FormMainTest {
 protected:
  // Log lines of one kind, as time stamps.
  std::vector<long> Times(const std::string& kind, const std::string& details = "") const {
    std::vector<long> out;
    for (const auto& line : sim_->LogEvents(kind))
      if (details.empty() || line.find(details) != std::string::npos) out.push_back(orvix::test::LogTime(line));
    return out;
  }
};

TEST_F(FormMainLifecycle, MinimiseReleasesThePortAndRestoreFollowsTheModemsAnswer) {
  CreateFormWithModem(kMessages, {});
  ASSERT_TRUE(boxes_.Requests.empty());
  const std::size_t mark = DialogueSize();
  form_->AppMinimize(nullptr);
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_TRUE(form_->BtnSelfControl->Down()) << "minimising keeps the connect button";
  EXPECT_TRUE(sim_->WaitForLog("DISCONNECT"));
  EXPECT_EQ(DialogueSize(), mark);

  form_->AppRestore(nullptr);
  EXPECT_EQ(Dialogue(mark), (std::vector<std::string>{"AT+MCS?", "AT+MSR=0", "AT+MCC?"}));
  EXPECT_TRUE(form_->CommPort->PortOpen());
  EXPECT_TRUE(form_->BtnSelfControl->Down());
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, false, false, true, true}));

  // Restoring while the port is still open only shows the window.
  EXPECT_TRUE(SaidDuring([&] { form_->AppRestore(nullptr); }).empty());

  // Someone took the modem out of self mode while it was minimised.
  form_->AppMinimize(nullptr);
  form_->CommPort->OpenPort();
  form_->CommPort->Command("AT+MCS=0", 1000);
  form_->CommPort->ClosePort();
  EXPECT_EQ(SaidDuring([&] { form_->AppRestore(nullptr); }), std::vector<std::string>{"AT+MCS?"});
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_TRUE(form_->CommPort->PortOpen()) << "the port stays open";
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_TRUE(boxes_.Requests.empty());
}

TEST_F(FormMainLifecycle, RestoreWithTheModemGoingOff) {
  // The reading after the first restore switches the modem off.
  CreateFormWithModem(std::string(kMessages) + "fault AT+MSR=0 @2 dsr-off\n", {});
  form_->AppMinimize(nullptr);
  form_->AppRestore(nullptr);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"}) << "the failed reading is not reported";
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_TRUE(form_->BtnSelfControl->Enabled());

  form_->AppMinimize(nullptr);
  form_->AppRestore(nullptr);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Modem if OFF or not connected"}));
  EXPECT_EQ(boxes_.Requests[1].Buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_FALSE(form_->CommPort->PortOpen());
}

TEST_F(FormMainLifecycle, ClosingWhenThePortCannotBeReopened) {
  CreateFormWithModem(kMessages, {});
  form_->AppMinimize(nullptr);
  ASSERT_TRUE(sim_->WaitForLog("DISCONNECT"));
  const std::size_t mark = DialogueSize();
  sim_->Stop();  // the port is gone: reopening it at shutdown fails

  boxes_.Answer("Cancel");
  form_->close();
  ASSERT_EQ(boxes_.Requests.size(), 1u);
  ExpectCloseQuestion(boxes_.Requests[0], "COM Port is used by another application");
  EXPECT_EQ(boxes_.Requests[0].Detail,
            "The serial device could not be opened.\n" + sim_->Device() + ": Connection refused.");
  EXPECT_FALSE(form_->Closed());
  EXPECT_TRUE(form_->BtnSelfControl->Down()) << "the connect button keeps its state on this path";
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, false, false, true, true}))
      << "a refused close enables the controls by the state";

  boxes_.Answer("&Ignore");
  form_->close();
  EXPECT_TRUE(form_->Closed());
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(2, "COM Port is used by another application"));
  EXPECT_TRUE(form_->BtnSelfControl->Down());
  EXPECT_EQ(Enabled(), std::vector<bool>(6, false)) << "an accepted close leaves the controls disabled";
  EXPECT_TRUE(boxes_.Mismatches.empty());
  EXPECT_EQ(Dialogue(mark), std::vector<std::string>{});
}

TEST_F(FormMainLifecycle, AMinimiseDuringAPlayRunsWhenThePlayHasEnded) {
  CreateFormWithModem(kMessages, {"--speed", "1"});
  bool heldDuringPlay = false, openDuringPlay = false;
  QTimer::singleShot(300, form_.get(), [&] {
    form_->AppMinimize(nullptr);
    heldDuringPlay = form_->HeldRequests() == 1;
    openDuringPlay = form_->CommPort->PortOpen();
  });
  form_->BtnPlayClick(form_->BtnPlay);
  EXPECT_TRUE(heldDuringPlay);
  EXPECT_TRUE(openDuringPlay);
  ASSERT_TRUE(WaitUntil([&] { return !form_->CommPort->PortOpen(); }, 20s));
  EXPECT_EQ(form_->HeldRequests(), 0u);
  ASSERT_TRUE(sim_->WaitForLog("DISCONNECT"));
  const auto played = Times("TX");
  ASSERT_FALSE(played.empty());
  EXPECT_GE(Times("DISCONNECT").at(0), played.back()) << "the port was released after the play";
}

TEST_F(FormMainLifecycle, ACloseDuringAPlayWaitsForThePlayToEnd) {
  CreateFormWithModem(kMessages, {"--speed", "1"});
  bool closedDuringPlay = true;
  QTimer::singleShot(300, form_.get(), [&] {
    form_->close();
    closedDuringPlay = form_->Closed() || !form_->isVisible();
  });
  const std::size_t mark = DialogueSize();
  form_->BtnPlayClick(form_->BtnPlay);
  EXPECT_FALSE(closedDuringPlay);
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 20s));
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(Dialogue(mark), Concat({{"AT+MVP=1"}, kSetup}));
  EXPECT_TRUE(sim_->LogEvents("GUARD-VIOLATION").empty());
  EXPECT_TRUE(boxes_.Requests.empty());
}

TEST_F(FormMainLifecycle, ACloseDuringAnEndlessPlayEndsWhenTheModemIsGone) {
  CreateFormWithModem("clock running 5 0 0\nmessage voice 900 0 9 12\n", {});
  boxes_.Answer("OK");
  boxes_.Answer("&Ignore");
  QTimer::singleShot(300, form_.get(), [&] { form_->close(); });
  QTimer::singleShot(600, form_.get(), [&] { sim_->Stop(); });
  form_->BtnPlayClick(form_->BtnPlay);
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 20s));
  ASSERT_EQ(boxes_.Texts(), (std::vector<std::string>{"Error on COM Port", "Modem if OFF or not connected"}));
  ExpectCloseQuestion(boxes_.Requests[1], "Modem if OFF or not connected");
  EXPECT_TRUE(boxes_.Mismatches.empty());
}

TEST_F(FormMainLifecycle, AClickDuringAnExchangeRunsAfterIt) {
  CreateFormWithModem(kMessages, {"--speed", "1"});
  const std::size_t mark = DialogueSize();
  // Clicked once the restore's first command has reached the modem: inside the exchange on any machine.
  bool clicked = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, form_.get(), [&] {
    if (clicked || !form_->InExchange() || DialogueSize() <= mark) return;
    clicked = true;
    form_->BtnSelfControl->Click();
  });
  poll.start();
  form_->AppMinimize(nullptr);
  form_->AppRestore(nullptr);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(form_->HeldRequests(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return form_->HeldRequests() == 0; }, 20s));
  EXPECT_EQ(Dialogue(mark), (std::vector<std::string>{"AT+MCS?", "AT+MSR=0", "AT+MCC?", "AT+MCS=1", "AT+MCD=1",
                                                      "AT+MCM=1", "AT+MCR=3", "AT+MCW", "AT+MSR=0", "AT+MCC?"}));
  EXPECT_TRUE(sim_->LogEvents("GUARD-VIOLATION").empty());
}

}  // namespace
}  // namespace formmain_test

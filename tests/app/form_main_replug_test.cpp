// A modem gone while connected (plain loss: x11_replug_flow.sh). The pty shim linked in here reads DSR on.

#include "app/reconnect_watch.h"
#include "tests/app/form_main_fixture.h"
#include "tests/common/shown_window.h"

namespace formmain_test {
namespace {

const std::string kTwoMessages = "clock running 3 0 0\nmessage voice 14 0 9 12\nmessage fax 2 0 14 3\n";

// A connect after the first: the messages are read again only when the summary has changed.
const std::vector<std::string> kReconnect = Concat({kSetup, {"AT+MSR=0", "AT+MCC?"}});

class FormMainReplug : public FormMainTest {
 protected:
  void StartNetwork(const std::string& scenario, int port = 0) {
    sim_ = std::make_unique<orvix::test::ModemSim>(
        std::vector<std::string>{"--listen", "127.0.0.1:" + std::to_string(port), "--speed", "0.01"}, scenario);
    WriteSettings(sim_->Device());
  }
  void StartPty(const std::string& scenario) {
    sim_ = std::make_unique<orvix::test::ModemSim>(std::vector<std::string>{"--link", Link(), "--speed", "0.01"},
                                                   scenario);
    WriteSettings(Link());
  }
  std::string Link() const { return dir_.filePath("modem").toStdString(); }

  // A pulled plug leaves the port released, button up, only connect enabled, no box, waiting for the modem.
  void ExpectLost() {
    ASSERT_TRUE(WaitUntil([&] { return form_->AwaitingDevice(); }, 5s)) << "the loss was not noticed";
    EXPECT_FALSE(form_->CommPort->PortOpen());
    EXPECT_FALSE(form_->CommPort->Enabled()) << "the device is still held";
    EXPECT_FALSE(form_->BtnSelfControl->Down());
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}));
    EXPECT_TRUE(boxes_.Requests.empty()) << boxes_.Texts()[0];
  }
};

TEST_F(FormMainReplug, AClickOrAMinimiseEndsTheAttempts) {
  StartNetwork(kTwoMessages);
  CreateForm();
  const int port = sim_->Port();
  ASSERT_TRUE(orvix::test::ShowActive(*form_));
  sim_->Stop();
  ExpectLost();
  // The user's own click: a connect of its own, which fails as any would.
  Click(form_->BtnSelfControl);
  EXPECT_FALSE(form_->AwaitingDevice());
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"COM Port is used by another application"});

  StartNetwork(kTwoMessages, port);
  Click(form_->BtnSelfControl);
  ASSERT_EQ(Dialogue(), kReconnect);
  sim_->Stop();
  ASSERT_TRUE(WaitUntil([&] { return form_->AwaitingDevice(); }, 5s));
  form_->AppMinimize(nullptr);
  EXPECT_FALSE(form_->AwaitingDevice());

  StartNetwork(kTwoMessages, port);
  HandleEventsFor(1500ms);
  EXPECT_FALSE(sim_->WaitForLog("CONNECT", 0ms)) << "an attempt after the minimise";
}

// Minimised, the window leaves the device that came back alone; restored, it opens it as any restore does.
TEST_F(FormMainReplug, APtyLinkBackWhileMinimised) {
  StartPty(kTwoMessages);
  CreateForm();
  sim_->Stop();
  ExpectLost();
  form_->AppMinimize(nullptr);
  EXPECT_TRUE(form_->AwaitingDevice());
  StartPty(kTwoMessages);
  HandleEventsFor(500ms);
  EXPECT_TRUE(Dialogue().empty());
  form_->AppRestore(nullptr);
  EXPECT_EQ(Dialogue(), std::vector<std::string>{"AT+MCS?"});
  EXPECT_FALSE(form_->AwaitingDevice());
  EXPECT_TRUE(form_->CommPort->PortOpen());
}

// During an operation the failed command is reported as it always was; the plug is dealt with after it.
TEST_F(FormMainReplug, LostDuringAPlay) {
  StartNetwork(kTwoMessages + "fault AT+MVP=1 drop\n");
  CreateForm();
  ASSERT_TRUE(orvix::test::ShowActive(*form_));
  Click(form_->BtnPlay);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"});
  // The server stays: the first attempt reconnects.
  const std::size_t mark = DialogueSize();
  ASSERT_TRUE(WaitUntil([&] { return DialogueSize() > mark; }, 5s));
  ASSERT_TRUE(WaitUntil([&] { return !form_->AwaitingDevice() && !form_->InExchange(); }, 10s));
  EXPECT_EQ(Dialogue(mark), kReconnect);
  EXPECT_TRUE(form_->BtnSelfControl->Down());
  EXPECT_TRUE(form_->CommPort->PortOpen());
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, true, true})) << "on the fax now";
  EXPECT_EQ(Label(), "2 received messages");
  EXPECT_EQ(boxes_.Requests.size(), 1u);
}

}  // namespace
}  // namespace formmain_test

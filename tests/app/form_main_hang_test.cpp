// A play has no time-out: a frozen or busy modem must not keep a closed program alive; one switched off ends it.

#include <signal.h>

#include "tests/app/comm_port_fixture.h"
#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

using Clock = std::chrono::steady_clock;
using commport_test::After;
using orvix::test::CpuSampler;

constexpr auto kGrace = TFormMain::CloseGrace;

class FormMainHang : public FormMainTest {
 protected:
  // Should the program never let go, killing the emulator after `rescue` ends every wait: the test reports.
  void Start(const std::string& scenario, std::chrono::seconds rescue = 25s) {
    CreateFormWithModem(scenario, {"--speed", "1"});
    const int ms = static_cast<int>(std::chrono::milliseconds(rescue).count());
    rescue_ = std::make_unique<After>(ms, [this] { rescued_ = true; kill(sim_->Pid(), SIGKILL); });
    ASSERT_TRUE(boxes_.Requests.empty());
    ASSERT_TRUE(form_->BtnPlayWelcome->Enabled());
  }
  void TearDown() override {
    EXPECT_FALSE(rescued_) << "the emulator had to be killed";
    FormMainTest::TearDown();
  }
  // Clicks "Play welcome message", a close asked `closeAfter` later; returns when the click's handler has.
  void PlayWelcomeAndClose(std::chrono::milliseconds closeAfter) {
    After ask(static_cast<int>(closeAfter.count()), [this] { closeAsked_ = Clock::now(); PostClose(); });
    Click(form_->BtnPlayWelcome);
    playDone_ = Clock::now();
  }
  double Seconds(Clock::duration d) const { return std::chrono::duration<double>(d).count(); }

  Clock::time_point closeAsked_, playDone_;
  std::unique_ptr<After> rescue_;
  bool rescued_ = false;
};

TEST_F(FormMainHang, CloseGivesUpAPlayOnAFrozenModem) {
  Start("welcome 60\nfault AT+MVP=0 freeze\n");
  CpuSampler cpu;
  PlayWelcomeAndClose(300ms);
  EXPECT_GE(playDone_ - closeAsked_, kGrace) << "the modem gets the grace period to answer";
  EXPECT_LT(playDone_ - closeAsked_, kGrace + 2s) << Seconds(playDone_ - closeAsked_);
  EXPECT_TRUE(boxes_.Requests.empty()) << "giving up on the play is not an error of its own";
  EXPECT_LT(cpu.Load(closeAsked_ + 100ms, playDone_ - 100ms), 0.05) << "no spinning while waiting";

  // The shutdown's first set-up command goes unanswered: a silent modem does not run out the other four too.
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 15s));
  const auto closed = Clock::now();
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"});
  EXPECT_LT(closed - playDone_, 1s + 2s) << Seconds(closed - playDone_);
}

TEST_F(FormMainHang, CloseGivesUpALongPlayAndTheModemGetsTheSetUpAfterIt) {
  Start("welcome 60\n");  // a minute of playing, answered only then
  const std::size_t mark = DialogueSize();
  PlayWelcomeAndClose(300ms);
  EXPECT_GE(playDone_ - closeAsked_, kGrace);
  EXPECT_LT(playDone_ - closeAsked_, kGrace + 2s) << Seconds(playDone_ - closeAsked_);
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 15s));

  // The modem sees the play, then, while it plays, the first set-up line: unanswered, so the rest is not sent.
  EXPECT_EQ(Dialogue(mark), (std::vector<std::string>{"AT+MVP=0", "AT+MCS=1"}));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"});
  EXPECT_TRUE(sim_->WaitForLog("DISCONNECT"));
}

TEST_F(FormMainHang, APlayThatEndsWithinTheGraceEndsNormally) {
  Start("welcome 1\n");
  const std::size_t mark = DialogueSize();
  PlayWelcomeAndClose(300ms);
  EXPECT_LT(playDone_ - closeAsked_, kGrace) << "the play's own OK ended it";
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 15s));
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_EQ(Dialogue(mark), Concat({{"AT+MVP=0"}, kSetup}));
  EXPECT_TRUE(sim_->LogEvents("GUARD-VIOLATION").empty()) << "the set-up came after the play's OK";
}

TEST_F(FormMainHang, DsrDroppingEndsAPlayAsAFailedCommand) {
  Start("welcome 60\nfault AT+MVP=0 dsr-off\n", 10s);
  const auto start = Clock::now();
  Click(form_->BtnPlayWelcome);
  EXPECT_LT(Clock::now() - start, 1s) << Seconds(Clock::now() - start);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Error on COM Port"});
  EXPECT_FALSE(form_->InExchange());
  EXPECT_TRUE(form_->BtnSelfControl->Enabled());

  // The modem is off now: the close asks, and Ignore closes.
  boxes_.Answer("&Ignore");
  PostClose();
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 5s));
  ASSERT_EQ(boxes_.Requests.size(), 2u);
  ExpectCloseQuestion(boxes_.Requests[1], "Modem if OFF or not connected");
  EXPECT_TRUE(boxes_.Mismatches.empty());
}

}  // namespace
}  // namespace formmain_test

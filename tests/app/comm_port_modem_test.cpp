// The command channel against the modem emulator over a pty: commands, the failure box, the pace of lines.

#include "tests/app/comm_port_fixture.h"
#include "tests/common/modem_sim.h"
#include "tests/common/scripted_message_boxes.h"

using namespace commport_test;
using namespace orvix::test;

namespace {

// A port open on the emulator.
struct OpenedPort : TCommPort {
  explicit OpenedPort(const ModemSim& sim) { SetDeviceName(sim.Device()); OpenPort(); }
};

void ExpectOneErrorBox(const ScriptedMessageBoxes& boxes) {
  ASSERT_EQ(boxes.Requests.size(), 1u);
  const TMessageBoxRequest& box = boxes.Requests[0];
  EXPECT_EQ(box.Type, TMsgBoxType::mbtError);
  EXPECT_EQ(box.Title, "Error");
  EXPECT_EQ(box.Text, "Error on COM Port");
  EXPECT_EQ(box.Buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(boxes.Mismatches.empty());
}

}  // namespace

// An ERROR, or no answer in time: one box each, and the command returns; an unknown command gets ERROR too.
TEST(CommPortModem, CommandShowsOneBoxOnErrorOrTimeOutAndReturns) {
  ModemSim sim({}, "fault AT+MCD=1 error\nfault AT+MCC? noanswer\n");
  OpenedPort port(sim);
  {
    ScriptedMessageBoxes boxes;
    EXPECT_NO_THROW(port.Command("AT+MCD=1", 1000));
    ExpectOneErrorBox(boxes);
    EXPECT_EQ(port.Response(), "");
    EXPECT_EQ(port.RespState(), TRespState::rsIdle);
    port.Command("AT+NOSUCH", 1000);
    EXPECT_EQ(boxes.Requests.size(), 2u);
    port.Command("AT+MCW", 1000);
    EXPECT_EQ(boxes.Requests.size(), 2u);
  }
  ScriptedMessageBoxes boxes;
  const auto start = Clock::now();
  EXPECT_NO_THROW(port.Command("AT+MCC?", 300));
  EXPECT_GE(Ms(Clock::now() - start), 300);
  ExpectOneErrorBox(boxes);
  EXPECT_EQ(port.RespState(), TRespState::rsIdle);
}

TEST(CommPortModem, CommandCollectsTheReplyTextAndMeetsLineFaults) {
  ModemSim sim({}, "selfmode on\nmemory 100\nwelcome 3\nmessage voice 5 0 1 2\nmessage fax 2 0 1 3\n"
                   "fault AT+MCS? split 1 20\nfault AT+MCM=1 lowercase\nfault AT+MCR=3 nolinebreaks\n"
                   "fault AT+MCW garbage \\x01#~\n");
  OpenedPort port(sim);
  ScriptedMessageBoxes boxes;

  port.Command("AT+MCS?", 1000);  // one byte per receive event
  EXPECT_EQ(port.Response(), "1");
  port.Command("AT+MSR=0", 1000);
  EXPECT_EQ(port.Response().find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(port.Response().substr(0, 4), "100,") << port.Response();
  EXPECT_TRUE(boxes.Requests.empty());
  EXPECT_EQ(port.RespState(), TRespState::rsIdle);

  port.Command("AT+MCM=1", 300);  // "ok" is no result code: time-out
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error on COM Port"});
  EXPECT_EQ(port.Response(), "ok");
  port.Command("AT+MCR=3", 1000);
  EXPECT_EQ(port.Response(), "");
  port.Command("AT+MCW", 1000);
  EXPECT_EQ(port.Response(), "\x01#~");
  EXPECT_EQ(boxes.Requests.size(), 1u);
}

TEST(CommPortModem, EchoedCommandLinesLeaveTheSameResponse) {
  const std::string store = "selfmode on\nmemory 40\nwelcome 3\nmessage voice 5 0 1 2\nmessage fax 2 0 1 3\n";
  ModemSim plain({}, store);
  ModemSim echoing({"--echo"}, store);
  OpenedPort withoutEcho(plain), withEcho(echoing);
  ScriptedMessageBoxes boxes;
  for (const char* command : {"AT+MCS?", "AT+MSR=0", "AT+MSR=001", "AT+MSR=002", "AT+MCC?", "AT+MCW", "AT+MVP=9"}) {
    SCOPED_TRACE(command);
    withoutEcho.Command(command, 1000);
    withEcho.Command(command, 1000);
    EXPECT_EQ(withEcho.Response(), withoutEcho.Response());
  }
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, "Error on COM Port")) << "AT+MVP=9 is refused by both";
  ASSERT_TRUE(echoing.WaitForLog("TX AT+MVP=9\\r"));
}

TEST(CommPortModem, CommandLinesKeepTheGuardAfterEachResultCode) {
  ModemSim sim;
  OpenedPort port(sim);
  ScriptedMessageBoxes boxes;
  const std::vector<std::string> commands = {"AT+MCS=1", "AT+MCD=1", "AT+MCM=1", "AT+MCR=3", "AT+MCW"};
  std::vector<Clock::time_point> ended;
  for (const auto& c : commands) {
    port.Command(c, 1000);
    ended.push_back(Clock::now());
  }
  EXPECT_TRUE(boxes.Requests.empty());
  ASSERT_TRUE(sim.WaitForLog("RX AT+MCW"));
  ASSERT_TRUE(sim.WaitForLog([](const std::string& l) { return l.find(" TX ") != std::string::npos; }, 5s));

  // From the modem's side: every command line came at least 100 ms after the previous result code.
  const auto rx = sim.LogEvents("RX");
  const auto tx = sim.LogEvents("TX");
  ASSERT_EQ(rx.size(), commands.size());
  ASSERT_GE(tx.size(), commands.size() - 1);
  for (std::size_t i = 1; i < rx.size(); ++i) {
    SCOPED_TRACE(rx[i]);
    EXPECT_GE(LogTime(rx[i]) - LogTime(tx[i - 1]), 100);
  }
  EXPECT_TRUE(sim.LogEvents("GUARD-VIOLATION").empty());

  // No dawdling: each exchange takes about the guard, not an extra wait step (generous for a busy machine).
  for (std::size_t i = 1; i < ended.size(); ++i) EXPECT_LT(Ms(ended[i] - ended[i - 1]), 1000);
}

TEST(CommPortModem, ALateResultCodeStillGetsTheFullGuard) {
  // The reply comes late in what used to be a 100 ms step; the next line still waits the whole guard after it.
  ModemSim sim({}, "fault AT+MCS=1 delay 180\nfault AT+MCD=1 delay 95\n");
  OpenedPort port(sim);
  ScriptedMessageBoxes boxes;
  for (const char* command : {"AT+MCS=1", "AT+MCD=1", "AT+MCM=1"}) port.Command(command, 1000);
  EXPECT_TRUE(boxes.Requests.empty());
  ASSERT_TRUE(sim.WaitForLog("RX AT+MCM=1"));
  EXPECT_TRUE(sim.LogEvents("GUARD-VIOLATION").empty());
}

TEST(CommPortModem, AStoppedModemEndsAWaitWithoutLimit) {
  ModemSim sim({"--speed", "1"}, "message voice 60 0 1 2\n");
  OpenedPort port(sim);
  ScriptedMessageBoxes boxes;
  // Playing a minute-long message; the emulator goes away in the middle.
  Steps steps({[&] { return sim.WaitForLog("RX AT+MVP=1", 0ms).has_value(); }, [&] { sim.Stop(); }});
  const auto start = Clock::now();
  EXPECT_NO_THROW(port.Command("AT+MVP=1", -1));
  EXPECT_LT(Ms(Clock::now() - start), 30000);
  EXPECT_TRUE(steps.Done());
  EXPECT_TRUE(port.DeviceGone());
  ExpectOneErrorBox(boxes);
}

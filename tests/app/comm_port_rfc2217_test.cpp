// The command channel over a network serial port: the emulator as an RFC 2217 server with DTR, RTS and DSR.

#include <signal.h>

#include "tests/app/comm_port_fixture.h"
#include "tests/common/modem_sim.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/serial/serial_test_support.h"

using namespace commport_test;
using orvix::test::ModemSim;

namespace {

const std::vector<std::string> kSetUp{"AT+MCS=1", "AT+MCD=1", "AT+MCM=1", "AT+MCR=3", "AT+MCW"};

ModemSim NetworkModem(const std::string& scenario) { return ModemSim({"--listen", "127.0.0.1:0"}, scenario); }

// What the program does on connect: open, RTS then DTR, then look at DSR.
bool Connect(TCommPort& port, const ModemSim& sim) {
  port.SetDeviceName(sim.Device());
  port.OpenPort();
  port.SetRTS(true);
  port.SetDTR(true);
  return port.ModemSignal(2);
}

TEST(CommPortRfc2217, SetUpSummaryAndMessageEndToEnd) {
  ModemSim sim = NetworkModem("memory 40\nwelcome 3\nmessage voice 12 0 3 14\nmessage fax 2 0 4 15\n");
  ASSERT_EQ(sim.Device().rfind("rfc2217://", 0), 0u) << sim.Device();
  TCommPort port;
  ScriptedMessageBoxes boxes;
  ASSERT_TRUE(Connect(port, sim));

  std::vector<std::pair<std::string, std::string>> exchanges;
  for (const std::string& command : kSetUp) exchanges.emplace_back(command, "");
  exchanges.insert(exchanges.end(), {{"AT+MSR=0", "40,0,1,0,1,0,3,0"},
                                     {"AT+MSR=001", "001,002,012,000,000,000,003,014"},
                                     {"AT+MSR=002", "002,001,002,000,000,000,004,015"}});
  std::vector<std::string> expected;
  for (const auto& [command, reply] : exchanges) {
    port.Command(command, 1000);
    EXPECT_EQ(port.Response(), reply) << command;
    expected.push_back(command);
  }
  EXPECT_TRUE(boxes.Requests.empty()) << boxes.Texts().front();

  EXPECT_TRUE(sim.WaitForLog("RTS on"));
  EXPECT_TRUE(sim.WaitForLog("DTR on"));
  EXPECT_TRUE(sim.WaitForLog("LINE baud=9600"));
  std::vector<std::string> received;
  for (const std::string& line : sim.LogEvents("RX")) received.push_back(line.substr(line.find("RX ") + 3));
  EXPECT_EQ(received, expected);

  port.ClosePort();
  EXPECT_FALSE(port.Enabled());
  EXPECT_TRUE(sim.WaitForLog("DISCONNECT"));

  // Reopened, as after a restore: the server takes the new connection.
  ASSERT_TRUE(Connect(port, sim));
  port.Command("AT+MCS?", 1000);
  EXPECT_EQ(port.Response(), "1");
  port.ClosePort();
}

TEST(CommPortRfc2217, ModemPoweredOffShowsDsrOff) {
  ModemSim sim = NetworkModem("powered off\n");
  TCommPort port;
  EXPECT_FALSE(Connect(port, sim));
  EXPECT_TRUE(port.Enabled());
  port.ClosePort();  // keeps the device open while DSR is off, as the program expects
  port.Close();
}

TEST(CommPortRfc2217, ModemSwitchingOffDropsDsr) {
  ModemSim sim = NetworkModem("fault AT+MCW dsr-off\n");
  TCommPort port;
  ScriptedMessageBoxes boxes;
  ASSERT_TRUE(Connect(port, sim));
  for (size_t i = 0; i + 1 < kSetUp.size(); ++i) port.Command(kSetUp[i], 1000);
  EXPECT_TRUE(boxes.Requests.empty());
  port.Command("AT+MCW", 300);  // no answer: the modem is off now
  EXPECT_EQ(boxes.Requests.size(), 1u);
  EXPECT_TRUE(WaitUntil([&] { return !port.ModemSignal(2); }));
  port.Close();
}

TEST(CommPortRfc2217, ServerDroppingTheLineMidReplyEndsTheWait) {
  ModemSim sim = NetworkModem("fault AT+MSR=0 drop 6\n");
  TCommPort port;
  ASSERT_TRUE(Connect(port, sim));
  port.SendCommand("AT+MSR=0");
  EXPECT_THROW(port.WaitResponse(5000), EDeviceLost);
  EXPECT_TRUE(port.DeviceGone());
  EXPECT_FALSE(port.ModemSignal(2));
  port.Close();
}

TEST(CommPortRfc2217, DsrDroppingEndsAnyWaitAsAFailedCommand) {
  // A wait without limit (a play) and one with a time-out alike.
  for (const int timeOut : {-1, 1000}) {
    SCOPED_TRACE(timeOut);
    ModemSim sim = NetworkModem("welcome 60\nfault AT+MVP=0 dsr-off\n");
    TCommPort port;
    ASSERT_TRUE(Connect(port, sim));
    // Only there so that a wait that misses the drop cannot hang the test.
    bool rescued = false;
    After rescue(5000, [&] { rescued = true; kill(sim.Pid(), SIGKILL); });  // a lost line ends every wait
    port.SendCommand("AT+MVP=0");
    auto start = Clock::now();
    EXPECT_THROW(port.WaitResponse(timeOut), EModemOff);
    EXPECT_LT(Ms(Clock::now() - start), 600) << "the drop is seen at the next 100 ms step";
    EXPECT_FALSE(rescued);
    EXPECT_EQ(port.RespState(), TRespState::rsIdle);

    // The modem stays off: the next wait fails at once instead of running out.
    port.SendCommand("AT+MCW");
    start = Clock::now();
    EXPECT_THROW(port.WaitResponse(1000), EModemOff);
    EXPECT_LT(Ms(Clock::now() - start), 300);
    EXPECT_TRUE(port.Enabled());
  }
}

}  // namespace

// The wait for the result code: time-outs, speed, cost, a dying line, a command tried inside a wait.

#include <optional>

#include "tests/app/comm_port_fixture.h"
#include "tests/common/scripted_message_boxes.h"

using namespace commport_test;

TEST(CommPortSetup, ConstructorConfiguresTheChannelAndPortOpensAndCloses) {
  TCommPort port;
  EXPECT_EQ(port.ReadBufSize(), 512);
  EXPECT_EQ(port.FlowControl(), TFlowControl::fcSoftware);
  EXPECT_EQ(port.MonitorEvents(), (TCommEventType{TCommEventState::evError, TCommEventState::evRxChar}));
  EXPECT_TRUE(port.Options().Empty());
  EXPECT_TRUE(static_cast<bool>(port.OnRxChar));
  EXPECT_FALSE(static_cast<bool>(port.OnError));
  EXPECT_EQ(port.RespState(), TRespState::rsIdle);
  EXPECT_FALSE(port.PortOpen());
  EXPECT_FALSE(port.Enabled());
  // Everything else keeps the component's defaults.
  EXPECT_EQ(port.DeviceName(), "Com2");
  EXPECT_EQ(port.BaudRate(), TBaudRate::cbr9600);
  EXPECT_EQ(port.WriteBufSize(), 2048);

  port.SetDeviceName("/dev/orvix-no-such-device");
  EXPECT_THROW(port.OpenPort(), ECommError);
  EXPECT_FALSE(port.PortOpen());
  // Closing a port that is not open only clears the flag.
  EXPECT_NO_THROW(port.ClosePort());
  EXPECT_FALSE(port.PortOpen());

  PtyPair pty;
  port.SetDeviceName(pty.SlaveName());
  port.OpenPort();
  EXPECT_TRUE(port.PortOpen());
  EXPECT_TRUE(port.Enabled());
  // A pty has no modem lines, so DSR reads off: the device stays open.
  port.ClosePort();
  EXPECT_FALSE(port.PortOpen());
  EXPECT_TRUE(port.Enabled());
  port.OpenPort();
  EXPECT_TRUE(port.PortOpen());
  port.SendCommand("AT+MSR=001");
  EXPECT_EQ(pty.ReadMaster(12), "AT+MSR=001\r\n");
}

// Below one 100 ms step a wait fails before it begins; above, the time-out is counted in whole steps (100 is
// one, 250 two: never less, and not far more); one step still takes a reply.
TEST(CommPortWait, TimeOutArithmetic) {
  PtyChannel ch(PtyChannel::Manual);
  for (int timeOut : {0, 50, 99}) {
    SCOPED_TRACE(timeOut);
    bool eventHandled = false;
    After handler(0, [&] { eventHandled = true; });
    EXPECT_THROW(ch.port.WaitResponse(timeOut), EResponseTimeOut);
    EXPECT_FALSE(eventHandled) << "no event may be handled: the wait must not begin";
    EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
    EXPECT_EQ(ch.port.Response(), "");
  }
  for (auto [timeOut, budget] : {std::pair{100, 100}, std::pair{250, 200}}) {
    SCOPED_TRACE(timeOut);
    const auto start = Clock::now();
    EXPECT_THROW(ch.port.WaitResponse(timeOut), EResponseTimeOut);
    const double took = Ms(Clock::now() - start);
    EXPECT_GE(took, budget);
    EXPECT_LT(took, budget + 2000);
    EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
  }
  Feeds steps(ch, {"\r\n3\r\n\r\nOK\r\n"});
  EXPECT_NO_THROW(ch.port.WaitResponse(100));
  EXPECT_EQ(ch.port.Response(), "3");
}

TEST(CommPortWait, NegativeTimeOutWaitsForTheResultCode) {
  PtyChannel ch(PtyChannel::Events);
  // Well past the first steps, the modem answers.
  After answer(1200, [&] { ch.pty.WriteMaster("\r\n9\r\n\r\nOK\r\n"); });
  const auto start = Clock::now();
  EXPECT_NO_THROW(ch.port.WaitResponse(-1));
  EXPECT_GE(Ms(Clock::now() - start), 1100);
  EXPECT_EQ(ch.port.Response(), "9");

  After error(300, [&] { ch.pty.WriteMaster("\r\nERROR\r\n"); });
  EXPECT_THROW(ch.port.WaitResponse(-1), EResponseError);
}

TEST(CommPortWait, TheWaitEndsAsSoonAsTheResultCodeArrives) {
  // Not at the end of a 100 ms step: five replies, each must end its wait well before half a step.
  PtyChannel ch(PtyChannel::Manual);
  for (int i = 0; i < 5; ++i) {
    std::optional<Clock::time_point> fed;
    Steps steps({[&] { Feed(ch.pty, ch.port, "OK\r\n"); fed = Clock::now(); }});
    ASSERT_NO_THROW(ch.port.WaitResponse(10000));
    ASSERT_TRUE(fed);
    EXPECT_LT(Ms(Clock::now() - *fed), 50);
  }
}

TEST(CommPortWait, DoesNotSpin) {
  PtyChannel ch(PtyChannel::Events);
  const auto start = Clock::now();
  const double load = LoadWhile([&] { EXPECT_THROW(ch.port.WaitResponse(2000), EResponseTimeOut); });
  EXPECT_GE(Ms(Clock::now() - start), 2000);
  EXPECT_LT(load, 0.1) << "CPU seconds per second while the wait ran";
}

TEST(CommPortLostDevice, ClosedMasterEndsAWaitWithoutLimit) {
  PtyChannel ch(PtyChannel::Events);
  Steps steps({[&] { return ch.pty.WriteMaster("\r\n1,2"); }, [&] { return ch.port.Response() == "1,2"; },
               [&] { ch.pty.CloseMaster(); }});
  // Should the loss go unnoticed, reopening the port is what ends the wait.
  bool watchdogFired = false;
  {
    After watchdog(20000, [&] { watchdogFired = true; try { ch.port.OpenPort(); } catch (const ECommError&) {} });
    EXPECT_THROW(ch.port.WaitResponse(-1), EDeviceLost);
  }
  EXPECT_FALSE(watchdogFired) << "the wait did not notice the lost device";
  EXPECT_TRUE(steps.Done());
  EXPECT_TRUE(ch.port.DeviceGone());
  EXPECT_EQ(ch.port.Response(), "1,2");
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);

  // The loss is reported once by the line; later commands fail at once too.
  const auto start = Clock::now();
  EXPECT_THROW(ch.port.WaitResponse(-1), EDeviceLost);
  EXPECT_LT(Ms(Clock::now() - start), 5000);
}

TEST(CommPortLostDevice, CommandReportsTheLossOnceAndReturns) {
  PtyChannel ch(PtyChannel::Events);
  ScriptedMessageBoxes boxes;
  After unplug(200, [&] { ch.pty.CloseMaster(); });
  const auto start = Clock::now();
  EXPECT_NO_THROW(ch.port.Command("AT+MVP=0", 10000));
  EXPECT_LT(Ms(Clock::now() - start), 5000) << "the loss must end the wait, not its time-out";
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error on COM Port"});

  // A command on the dead line: the write fails and the wait does not even begin.
  EXPECT_NO_THROW(ch.port.Command("AT+MVP=0", -1));
  EXPECT_EQ(boxes.Texts().size(), 2u);
}

TEST(CommPortLostDevice, ACommandOnAClosedPortFailsAtOnce) {
  TCommPort port;
  ScriptedMessageBoxes boxes;
  const auto start = Clock::now();
  EXPECT_NO_THROW(port.Command("AT+MCS?", -1));
  EXPECT_LT(Ms(Clock::now() - start), 5000);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error on COM Port"});
}

TEST(CommPortReentry, ACommandDuringAWaitIsRefused) {
  PtyChannel ch(PtyChannel::Manual);
  ScriptedMessageBoxes boxes;
  int refused = 0;
  Steps steps({
      [&] { Feed(ch.pty, ch.port, "\r\n12,O"); },
      [&] {
        EXPECT_TRUE(ch.port.Busy());
        const auto refuses = [&](const std::function<void()>& act) {
          try {
            act();
          } catch (const EResponseTimeOut&) {
            ADD_FAILURE() << "the inner wait ran";
          } catch (const ECommPort&) {
            ++refused;
          }
        };
        refuses([&] { ch.port.Command("AT+MEM", 1000); });
        refuses([&] { ch.port.SendCommand("AT+MEM"); });
        refuses([&] { ch.port.WaitResponse(1000); });
        EXPECT_EQ(ch.port.Response(), "12,O");
        EXPECT_EQ(ch.port.RespState(), TRespState::rsGotO);
      },
      [&] { Feed(ch.pty, ch.port, "K"); },
  });
  EXPECT_NO_THROW(ch.port.WaitResponse(10000));
  EXPECT_EQ(refused, 3);
  EXPECT_EQ(ch.port.Response(), "12,");
  EXPECT_TRUE(boxes.Requests.empty()) << "a refusal is not a modem failure";
  EXPECT_FALSE(ch.port.Busy());
  EXPECT_EQ(Queued(ch.pty), 0);
  EXPECT_EQ(ch.pty.ReadMaster(1, 200ms), "");
}

TEST(CommPortReentry, ACommandDuringTheGuardIsRefused) {
  PtyChannel ch(PtyChannel::Manual);
  Feeds first(ch, {"OK"});
  ASSERT_NO_THROW(ch.port.WaitResponse(5000));
  // The next line waits out the guard; a command tried meanwhile is refused.
  bool refused = false;
  After meanwhile(0, [&] { try { ch.port.SendCommand("AT+MCW"); } catch (const ECommPort&) { refused = true; } });
  ch.port.SendCommand("AT+MCS?");
  EXPECT_TRUE(refused);
  EXPECT_EQ(ch.pty.ReadMaster(9), "AT+MCS?\r\n");
}

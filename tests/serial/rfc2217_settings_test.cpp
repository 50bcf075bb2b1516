// A network port's line settings: what the protocol cannot carry is refused as on a device path, and the
// server's answers are held against what was asked for.

#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

int SettingCommands(const TPeer& peer) {
  return static_cast<int>(std::ranges::count_if(peer.Commands(), [](auto& c) { return c.code >= 1 && c.code <= 5; }));
}

std::string Rate(uint32_t rate) {
  return Bytes({int(rate >> 24), int((rate >> 16) & 255), int((rate >> 8) & 255), int(rate & 255)});
}

// A server whose port takes nothing but 9600 baud, answering so.
std::string Only9600(const TComPortCommand& c) {
  return c.code == 1 ? ComPort(101, IacDoubled(Rate(9600))) : EchoSetting(c);
}

// A server without hardware flow control; it answers DTR and RTS too.
std::string NoHardwareFlow(const TComPortCommand& c) {
  if (c.code == 5 && c.value == Bytes({3})) return ComPort(105, Bytes({1}));
  if (c.code == 5) return ComPort(105, IacDoubled(c.value));
  return EchoSetting(c);
}

class Rfc2217Settings : public ::testing::Test {
 protected:
  // Opens a port on a server that answers as told (or not at all); `line` holds the settings in force.
  void OpenWith(TAnswer answer) {
    peer.SetAnswer(std::move(answer));
    device = OpenOn(peer);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->GetCommState(line));
  }
  TPeer peer{Cooperative(0x30)};
  std::unique_ptr<TSerialDevice> device;
  TDCB line;
};

}  // namespace

TEST_F(Rfc2217Settings, WhatTheProtocolCannotCarryIsRefusedAndNotSent) {
  OpenWith(EchoSetting);
  const TDCB good = line;
  const int sentBefore = SettingCommands(peer);

  const std::vector<std::pair<const char*, std::function<void(TDCB&)>>> refused = {
      {"DSR output flow", [](TDCB& d) { d.Flags |= dcb::fOutxDsrFlow; }},
      {"DSR sensitivity", [](TDCB& d) { d.Flags |= dcb::fDsrSensitivity; }},
      {"null stripping", [](TDCB& d) { d.Flags |= dcb::fNull; }},
      {"DTR handshake", [](TDCB& d) { d.Flags |= dcb::DTR_CONTROL_HANDSHAKE << dcb::fDtrControlShift; }},
      {"1.5 stop bits with 8 data bits", [](TDCB& d) { d.StopBits = ONE5STOPBITS; }},
      {"2 stop bits with 5 data bits", [](TDCB& d) { d.ByteSize = 5, d.StopBits = TWOSTOPBITS; }},
      {"4 data bits", [](TDCB& d) { d.ByteSize = 4; }},
      {"XON/XOFF with characters of its own", [](TDCB& d) { d.Flags |= dcb::fOutX | dcb::fInX, d.XonChar = 0x05; }},
  };
  for (const auto& [what, change] : refused) {
    TDCB d = good;
    change(d);
    EXPECT_FALSE(device->SetCommState(d)) << what;
    EXPECT_EQ(device->LastError(), EINVAL) << what;
    EXPECT_EQ(StateOf(*device), good) << what;
  }

  TDCB d = good;
  d.ByteSize = 5;
  d.StopBits = ONE5STOPBITS;
  EXPECT_TRUE(device->SetCommState(d));
  d = good;
  d.Flags |= dcb::fOutX | dcb::fInX;  // with DC1/DC3, what every server uses
  EXPECT_TRUE(device->SetCommState(d));
  // Only those two reached the server.
  EXPECT_TRUE(WaitUntil([&] { return SettingCommands(peer) == sentBefore + 10; }, TEvents::Left));
  HandleEventsFor(100ms);  // anything more would follow meanwhile
  EXPECT_EQ(SettingCommands(peer), sentBefore + 10);

  // RTS handshake is hardware flow control on a device path too.
  d = good;
  d.Flags = (d.Flags & ~dcb::fRtsControlMask) | (dcb::RTS_CONTROL_HANDSHAKE << dcb::fRtsControlShift);
  ASSERT_TRUE(device->SetCommState(d));
  EXPECT_TRUE(peer.WaitFor(ComPort(5, Bytes({3}))));
}

TEST_F(Rfc2217Settings, AnswerDifferentFromTheRequestFailsAndTheOldSettingsReturn) {
  OpenWith(Only9600);
  const TDCB old = line;
  ASSERT_EQ(old.BaudRate, 9600u);

  TDCB wanted = old;
  wanted.BaudRate = 115200;
  wanted.Parity = EVENPARITY;
  EXPECT_FALSE(device->SetCommState(wanted));
  EXPECT_EQ(device->LastError(), EINVAL);
  EXPECT_EQ(StateOf(*device), old);
  // The server is told the settings in force again.
  EXPECT_TRUE(peer.WaitFor(ComPort(1, Rate(115200)) + ComPort(2, Bytes({8})) + ComPort(3, Bytes({3})) +
                           ComPort(4, Bytes({1})) + ComPort(5, Bytes({1})) + ComPort(1, Rate(9600)) +
                           ComPort(2, Bytes({8})) + ComPort(3, Bytes({1}))));

  // A rate the server takes goes through, with the rest it answered alike.
  wanted.BaudRate = 9600;
  EXPECT_TRUE(device->SetCommState(wanted));
  EXPECT_EQ(StateOf(*device), wanted);
}

// Every answer counts: one about flow control that differs fails as well. Answers to DTR and RTS share the
// flow-control answer's code: they must not be taken for it, before or after.
TEST_F(Rfc2217Settings, FlowControlTheServerDoesNotTakeFailsAndLineControlAnswersAreNotTakenForIt) {
  OpenWith(NoHardwareFlow);
  line.Flags |= dcb::fOutxCtsFlow;
  EXPECT_FALSE(device->SetCommState(line));
  EXPECT_EQ(device->LastError(), EINVAL);
  line.Flags &= ~dcb::fOutxCtsFlow;
  line.Flags |= dcb::fOutX | dcb::fInX;
  EXPECT_TRUE(device->SetCommState(line));

  line.Flags &= ~(dcb::fOutX | dcb::fInX);
  ASSERT_TRUE(device->EscapeCommFunction(SETDTR));
  ASSERT_TRUE(device->EscapeCommFunction(SETRTS));
  ASSERT_TRUE(peer.WaitFor(ComPort(5, Bytes({11}))));
  HandleEventsFor(100ms);  // their answers are back before the settings go out
  line.Flags |= dcb::fOutxCtsFlow;
  EXPECT_FALSE(device->SetCommState(line));
  ASSERT_TRUE(device->EscapeCommFunction(CLRDTR));
  line.Flags &= ~dcb::fOutxCtsFlow;
  line.BaudRate = 38400;
  EXPECT_TRUE(device->SetCommState(line));
  ASSERT_TRUE(device->EscapeCommFunction(SETDTR));
  line.Flags |= dcb::fOutxCtsFlow;
  EXPECT_FALSE(device->SetCommState(line));
}

// A server that never answers cannot be checked: settings are taken on trust, later ones not held up again.
TEST_F(Rfc2217Settings, ServerThatNeverAnswersIsTakenOnTrust) {
  OpenWith({});
  line.BaudRate = 19200;
  EXPECT_TRUE(device->SetCommState(line));
  line.BaudRate = 38400;
  const auto start = Clock::now();
  EXPECT_TRUE(device->SetCommState(line));
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_EQ(StateOf(*device).BaudRate, 38400u);
}

TEST(Rfc2217CommSettings, RefusedLikeOnADevicePath) {
  TPeer peer{Cooperative(0x30)};
  peer.SetAnswer(Only9600);
  TRecordingComm comm;
  comm.SetDeviceName(peer.Url());
  comm.SetMonitorEvents({TCommEventState::evError, TCommEventState::evRxChar});
  comm.Open();

  ECommError e = CatchCommError([&] { comm.SetOptions({TCommOption::coNullStrip}); });
  EXPECT_EQ(e.Message, "Error updating DataControlBlock (Error: 22) ");
  EXPECT_EQ(CatchCommError([&] { comm.SetOptions({TCommOption::coDsrSensitivity}); }).ErrorCode, EINVAL);
  comm.SetOptions({});
  EXPECT_EQ(CatchCommError([&] { comm.SetFlowControl(TFlowControl::fcDTR); }).ErrorCode, EINVAL);
  comm.SetFlowControl(TFlowControl::fcSoftware);
  EXPECT_EQ(CatchCommError([&] { comm.SetStopbits(TStopbits::sb15); }).ErrorCode, EINVAL);
  comm.SetStopbits(TStopbits::sb10);

  // The server keeps 9600 baud: the component says so, and keeps its value.
  e = CatchCommError([&] { comm.SetBaudRate(TBaudRate::cbr115200); });
  EXPECT_EQ(e.Message, "Error updating DataControlBlock (Error: 22) ");
  EXPECT_EQ(comm.BaudRate(), TBaudRate::cbr115200);
  EXPECT_TRUE(comm.Enabled());
  comm.SetBaudRate(TBaudRate::cbr9600);
  EXPECT_EQ(comm.Record.Dcb.BaudRate, 9600u);
}

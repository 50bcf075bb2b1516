// The network serial port against scripted loopback peers: opening, settings, lines, data, events, failures.

#include <cerrno>
#include <random>

#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

constexpr uint32_t kAllEvents =
    EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;

// A device open on a cooperative server whose modem has DSR and CTS on.
class CooperativePeer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(device, nullptr); }
  TPeer peer{Cooperative(0x30)};
  std::unique_ptr<TSerialDevice> device = OpenOn(peer);
};
using Rfc2217Opened = CooperativePeer;
using Rfc2217Data = CooperativePeer;
using Rfc2217Events = CooperativePeer;
using Rfc2217Gone = CooperativePeer;
using Rfc2217Settings = CooperativePeer;

TEST_F(Rfc2217Opened, NegotiatesTheComPortOptionAndReportsTheModemLines) {
  EXPECT_EQ(device->GetFileType(), FILE_TYPE_CHAR);

  // The last requests may still be on their way to the peer when Open returns.
  for (const std::string& expected :
       {Bytes({255, 251, 44}), Bytes({255, 253, 44}), Bytes({255, 251, 0}), Bytes({255, 253, 0}),
        Bytes({255, 251, 3}), Bytes({255, 253, 3}),
        ComPort(11, Bytes({255, 255})),  // modem-state mask 0xFF, escaped
        ComPort(10, Bytes({0x1E}))})
    EXPECT_TRUE(peer.WaitFor(expected)) << "missing " << testing::PrintToString(expected);
  const std::string got = peer.Received();
  // The agreement was an answer: nothing is sent back for it.
  EXPECT_EQ(got.find(Bytes({255, 254})), std::string::npos);
  EXPECT_EQ(got.find(Bytes({255, 252})), std::string::npos);
  // Right after opening, the lines are what the server reported.
  EXPECT_EQ(StatusOf(*device), MS_DSR_ON | MS_CTS_ON);
}

// Servers that open all the same: the lines they report, and the other options they offer, refused politely.
TEST(Rfc2217Open, ServersThatSpeakOtherwise) {
  const struct {
    const char* what;
    std::function<void(TPeer&)> connect;
    uint32_t status;
    std::vector<std::string> answers;
  } cases[] = {
      {"negotiation in single bytes", [](TPeer& p) { p.SendSplit(Agreement() + ModemState(0x20)); }, MS_DSR_ON, {}},
      {"no modem report", [](TPeer& p) { p.Send(Agreement()); }, 0, {}},
      {"ECHO and terminal type",
       [](TPeer& p) { p.Send(Bytes({255, 251, 1, 255, 253, 24}) + Agreement() + ModemState(0x20)); }, MS_DSR_ON,
       {Bytes({255, 254, 1}), Bytes({255, 252, 24})}},  // DONT ECHO, WONT TERMINAL-TYPE
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TPeer peer(c.connect);
    auto device = OpenOn(peer);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(StatusOf(*device), c.status);
    for (const std::string& answer : c.answers) EXPECT_TRUE(peer.WaitFor(answer));
  }
}

// Nobody listening (a bound socket that never listens resets connections), and a listener whose one-place
// accept queue is taken (the kernel drops further requests, as a dead host would).
TEST(Rfc2217Open, PortNobodyListensOnIsRefusedAndAHostThatNeverAnswersTimesOut) {
  int port = 0;
  const int s = LoopbackSocket(-1, port);
  ASSERT_GE(s, 0);
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(Rfc2217Url(port), error), nullptr);
  EXPECT_EQ(error, ECONNREFUSED);
  close(s);

  const TLoopbackListener down(false);
  ASSERT_TRUE(down.Ok());
  const auto start = Clock::now();
  EXPECT_EQ(OpenRfc2217Device(down.Url(), error), nullptr);
  EXPECT_EQ(error, ETIMEDOUT);
  EXPECT_LT(Clock::now() - start, 20s);  // bounded, not endless
}

TEST(Rfc2217Open, ServersThatFailTheNegotiation) {
  const struct {
    const char* what;
    std::function<void(TPeer&)> connect;  // empty: accepts, then says nothing
    int error;                            // 0: any but ETIMEDOUT
  } cases[] = {
      {"never speaks telnet", {}, ETIMEDOUT},
      {"refuses the option", [](TPeer& p) { p.Send(Bytes({255, 254, 44, 255, 252, 44})); }, EPROTONOSUPPORT},
      {"hangs up", [](TPeer& p) { p.Send(Bytes({255, 251, 44})); p.CloseConnection(); }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TPeer peer(c.connect);
    const auto start = Clock::now();
    int error = 0;
    EXPECT_EQ(OpenRfc2217Device(peer.Url(), error), nullptr);
    EXPECT_LT(Clock::now() - start, 20s);
    if (c.error) {
      EXPECT_EQ(error, c.error);
    } else {
      EXPECT_NE(error, 0);
      EXPECT_NE(error, ETIMEDOUT);
    }
  }
}

TEST_F(Rfc2217Settings, ControlBlockAndEscapeFunctionsBecomeComPortCommands) {
  TDCB dcb = StateOf(*device);
  EXPECT_EQ(std::tuple(dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits),
            std::tuple(9600u, 8, NOPARITY, ONESTOPBIT));
  EXPECT_TRUE(dcb.Flags & dcb::fBinary);

  SetLine(dcb, 19200, 7, EVENPARITY, TWOSTOPBITS);
  dcb.Flags |= dcb::fOutX | dcb::fInX;
  ASSERT_TRUE(device->SetCommState(dcb));
  EXPECT_TRUE(peer.WaitFor(ComPort(1, Bytes({0, 0, 0x4B, 0})) + ComPort(2, Bytes({7})) + ComPort(3, Bytes({3})) +
                           ComPort(4, Bytes({2})) + ComPort(5, Bytes({2}))));
  EXPECT_EQ(StateOf(*device), dcb);

  dcb.Flags &= ~(dcb::fOutX | dcb::fInX);
  dcb.Flags |= dcb::fOutxCtsFlow;
  ASSERT_TRUE(device->SetCommState(dcb));
  EXPECT_TRUE(peer.WaitFor(ComPort(4, Bytes({2})) + ComPort(5, Bytes({3}))));

  TDCB bad = dcb;
  bad.ByteSize = 4;
  EXPECT_FALSE(device->SetCommState(bad));
  EXPECT_EQ(device->LastError(), EINVAL);
  EXPECT_EQ(StateOf(*device), dcb);

  for (uint32_t f : {SETRTS, SETDTR, CLRDTR, CLRRTS}) ASSERT_TRUE(device->EscapeCommFunction(f)) << f;
  EXPECT_TRUE(peer.WaitFor(ComPort(5, Bytes({11})) + ComPort(5, Bytes({8})) + ComPort(5, Bytes({9})) +
                           ComPort(5, Bytes({12}))));
  EXPECT_FALSE(device->EscapeCommFunction(77));
  EXPECT_EQ(device->LastError(), EINVAL);
}

TEST_F(Rfc2217Data, IacSurvivesBothWays) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_DSR));
  const std::string out = Bytes({'A', 255, 'B', 255, 255, 0});
  EXPECT_EQ(device->Write(out.data(), static_cast<int>(out.size())), 6);
  EXPECT_TRUE(peer.WaitFor("A" + Bytes({255, 255}) + "B" + Bytes({255, 255, 255, 255, 0})));

  TWaiter waiter(*device);
  // Escaped data and a modem report, one byte per segment.
  peer.SendSplit("x" + Bytes({255, 255}) + "y" + ModemState(0x10) + Bytes({255, 255}));
  EXPECT_EQ(ReadExactly(*device, 4), "x" + Bytes({255}) + "y" + Bytes({255}));
  ASSERT_TRUE(waiter.WaitForEvent(EV_DSR));
  EXPECT_EQ(StatusOf(*device), MS_CTS_ON);
}

TEST_F(Rfc2217Data, SlowReaderHoldsTheServerBackWithoutLosingData) {
  ASSERT_TRUE(device->SetupComm(4096, 2048));
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR));
  std::string sent;
  for (int i = 0; i < 300000; ++i) sent.push_back(static_cast<char>('a' + i % 23));
  TWaiter waiter(*device);
  std::thread sender([&] { peer.Send(sent); });

  std::string got;
  uint32_t maxQueued = 0;
  char buf[1000];
  WaitUntil([&] {
    maxQueued = std::max(maxQueued, Cleared(*device).stat.cbInQue);
    const int n = device->Read(buf, sizeof buf);
    if (n > 0) got.append(buf, static_cast<size_t>(n));
    return got.size() >= sent.size();
  }, 30s, TEvents::Left);
  sender.join();
  EXPECT_TRUE(got == sent) << "got " << got.size() << " of " << sent.size() << " bytes";
  EXPECT_LE(maxQueued, 4096u);
}

// The pause must stay well under kSilentPeerLimitMs, also on slow builds: hence the peer's small window.
TEST(Rfc2217Output, AFullQueueBoundsTheWriteAndLosesNothing) {
  TPeer peer(Cooperative(0x30));
  peer.UseSmallWindow();
  auto device = OpenOn(peer);
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_TXEMPTY));
  peer.PauseReading(true);

  std::string chunk;
  for (size_t i = 0; i < 65536; ++i) chunk.push_back(static_cast<char>('A' + i % 26));
  std::string expected;  // everything accepted, in order
  int failures = 0;
  for (int i = 0; i < 2000 && failures == 0; ++i) {
    const auto start = Clock::now();
    const int n = device->Write(chunk.data(), static_cast<int>(chunk.size()));
    EXPECT_LT(Clock::now() - start, 5s);
    if (n < 0) {
      EXPECT_EQ(device->LastError(), EAGAIN);
      ++failures;
    } else {
      EXPECT_GT(n, 0);
      expected.append(chunk.data(), static_cast<size_t>(n));
    }
  }
  ASSERT_EQ(failures, 1) << "the socket never filled up";

  TWaiter waiter(*device);
  peer.PauseReading(false);
  EXPECT_TRUE(peer.WaitFor(expected, 60s));
  EXPECT_TRUE(waiter.WaitForEvent(EV_TXEMPTY));
}

TEST_F(Rfc2217Events, ModemAndLineReportsBecomeEventsAndErrors) {
  ASSERT_TRUE(device->SetCommMask(kAllEvents));
  TWaiter waiter(*device);

  peer.Send(ModemState(0x10 | 0x02));  // DSR dropped
  ASSERT_TRUE(waiter.WaitForEvent(EV_DSR));
  EXPECT_EQ(StatusOf(*device), MS_CTS_ON);
  peer.Send(ModemState(0x90));  // carrier
  ASSERT_TRUE(waiter.WaitForEvent(EV_RLSD));
  peer.Send(ModemState(0xD0));  // ring
  ASSERT_TRUE(waiter.WaitForEvent(EV_RING));

  peer.Send(LineState(0x02 | 0x04 | 0x08));
  ASSERT_TRUE(waiter.WaitForEvent(EV_ERR));
  EXPECT_EQ(Cleared(*device).errors, CE_OVERRUN | CE_RXPARITY | CE_FRAME);
  EXPECT_EQ(Cleared(*device).errors, 0u);  // cleared by reading

  peer.Send(LineState(0x10));
  ASSERT_TRUE(waiter.WaitForEvent(EV_BREAK));
  EXPECT_EQ(Cleared(*device).errors, CE_BREAK);

  for (uint32_t e : waiter.Events()) EXPECT_EQ(e & ~kAllEvents, 0u);
  EXPECT_EQ(waiter.Events().front(), EV_DSR);  // nothing from the opening report
}

TEST_F(Rfc2217Events, OnlyMonitoredEventsEndAWaitAndPurgeDropsBufferedInputAndTellsTheServer) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR));
  TWaiter waiter(*device);
  peer.Send(ModemState(0x10) + LineState(0x08) + "z");
  ASSERT_TRUE(waiter.WaitForEvent(EV_RXCHAR));
  EXPECT_EQ(StatusOf(*device), MS_CTS_ON);  // the state is still followed

  peer.Send("stale");
  ASSERT_TRUE(waiter.WaitUntil([&](auto&) { return Cleared(*device).stat.cbInQue == 6; }));  // "z" and these
  ASSERT_TRUE(device->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR));
  EXPECT_EQ(Cleared(*device).stat.cbInQue, 0u);
  char c;
  EXPECT_EQ(device->Read(&c, 1), 0);
  EXPECT_TRUE(peer.WaitFor(ComPort(12, Bytes({1}))));
  peer.Send("fresh");
  EXPECT_EQ(ReadExactly(*device, 5), "fresh");
  for (uint32_t e : waiter.Events()) EXPECT_EQ(e, EV_RXCHAR);
}

TEST_F(Rfc2217Events, StopEndsABlockedWaitAndWinsOverPendingEvents) {
  ASSERT_TRUE(device->SetCommMask(kAllEvents));
  { TWaiter blocked(*device); }  // its end joins: would hang if the stop were not seen
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR));
  TStopSignal stop;
  peer.Send("data");
  uint32_t events = 0;
  ASSERT_EQ(device->WaitCommEvent(events, stop), TWaitResult::Event);
  EXPECT_EQ(events, EV_RXCHAR);
  peer.Send("more" + ModemState(0x10));
  stop.Set();
  EXPECT_EQ(device->WaitCommEvent(events, stop), TWaitResult::Stopped);
}

TEST_F(Rfc2217Events, IdleWaitDoesNotSpin) {
  ASSERT_TRUE(device->SetCommMask(kAllEvents));
  // Output waiting to leave and events outside the mask must not keep the wait busy either.
  peer.Send(ModemState(0x10));
  ASSERT_EQ(device->Write("AT\r\n", 4), 4);
  const double load = LoadWhile([&] {
    TWaiter waiter(*device);
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(waiter.WaitForEnd(0ms));
  });
  EXPECT_LT(load, 0.1);
}

TEST_F(Rfc2217Gone, ServerHangingUpIsAVanishedDevice) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_ERR));
  TWaiter waiter(*device);

  peer.Send("\r\nOK\r");
  peer.CloseConnection();
  ASSERT_TRUE(waiter.WaitForEnd());
  EXPECT_EQ(waiter.EndResult(), TWaitResult::Failed);
  EXPECT_EQ(std::ranges::count_if(waiter.Events(), [](uint32_t e) { return e & EV_ERR; }), 1);

  const TCleared gone = Cleared(*device);
  EXPECT_TRUE(gone.errors & CE_DEVICEGONE);
  EXPECT_EQ(gone.stat.cbInQue, 5u);
  EXPECT_EQ(Cleared(*device).errors, CE_DEVICEGONE);  // lasting, as on a device path

  // What arrived before the hang-up is still read; then reads fail.
  EXPECT_EQ(ReadExactly(*device, 5), "\r\nOK\r");
  char c;
  EXPECT_EQ(device->Read(&c, 1), -1);
  EXPECT_EQ(device->LastError(), EIO);
  EXPECT_EQ(device->Write("AT\r\n", 4), -1);
  EXPECT_EQ(device->LastError(), EIO);
  uint32_t status = 0xFF;
  EXPECT_FALSE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, 0u);
  EXPECT_FALSE(device->EscapeCommFunction(SETDTR));

  // Later waits fail at once instead of spinning or blocking.
  TStopSignal stop;
  uint32_t events = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(device->WaitCommEvent(events, stop), TWaitResult::Failed);
}

// Waiting ends with the connection: that end is reported once even to a wait that does not monitor errors.
TEST_F(Rfc2217Gone, HangUpIsReportedToWaitsThatDoNotMonitorErrors) {
  ASSERT_TRUE(device->SetCommMask(EV_DSR));
  TWaiter waiter(*device);
  peer.CloseConnection();
  ASSERT_TRUE(waiter.WaitForEnd());
  EXPECT_EQ(waiter.EndResult(), TWaitResult::Failed);
  EXPECT_EQ(waiter.Events(), std::vector<uint32_t>{EV_ERR});
  EXPECT_EQ(Cleared(*device).errors, CE_DEVICEGONE);
}

TEST_F(Rfc2217Gone, GarbageFromTheServerNeitherCrashesNorHangs) {
  ASSERT_TRUE(device->SetCommMask(kAllEvents));
  TWaiter waiter(*device);

  std::mt19937 rng(2217);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string garbage = Bytes({255, 250, 44, 107}) + std::string(50000, 'g');  // a subnegotiation that never ends
  for (int i = 0; i < 200000; ++i) {
    const int r = byte(rng);
    garbage.push_back(static_cast<char>(r < 64 ? 255 : r < 80 ? 250 : r < 96 ? 251 : byte(rng)));
  }
  std::atomic<bool> sentAll{false};
  std::thread sender([&] {
    peer.Send(garbage);
    // Whatever state the garbage left, this ends it and reports DSR off.
    peer.Send(Bytes({255, 240}) + ModemState(0x10) + ModemState(0x10));
    sentAll = true;
  });

  char buf[4096];
  const bool settled = WaitUntil([&] {
    while (device->Read(buf, sizeof buf) > 0) continue;
    EXPECT_LE(Cleared(*device).stat.cbInQue, 4096u);
    uint32_t status = 0;
    return sentAll && device->GetCommModemStatus(status) && status == MS_CTS_ON;
  }, 30s, TEvents::Left);
  sender.join();
  EXPECT_TRUE(settled);
  EXPECT_EQ(device->Write("AT\r", 3), 3);
  EXPECT_TRUE(peer.WaitFor("AT\r"));
}

}  // namespace

// The network serial port as the serial component sees it, against scripted
// loopback peers: opening, settings, lines, data, events and failures.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "serial/rfc2217/rfc2217_device.h"
#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs WaitCommEvent on its own thread, as the component's event thread does.
class TWaiter {
 public:
  explicit TWaiter(TSerialDevice& device) : device_(device), thread_([this] { Run(); }) {}
  ~TWaiter() {
    stop_.Set();
    thread_.join();
  }

  // Waits (generously) until pred(events so far) holds.
  template <class Pred>
  bool WaitUntil(Pred pred, std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return pred(events_); });
  }
  bool WaitForEvent(uint32_t bit) {
    return WaitUntil([bit](const std::vector<uint32_t>& e) {
      for (uint32_t m : e)
        if (m & bit) return true;
      return false;
    });
  }
  bool WaitForEnd(std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return ended_; });
  }
  std::vector<uint32_t> Events() {
    std::lock_guard lock(mu_);
    return events_;
  }
  TWaitResult EndResult() {
    std::lock_guard lock(mu_);
    return result_;
  }

 private:
  void Run() {
    for (;;) {
      uint32_t ev = 0;
      const TWaitResult r = device_.WaitCommEvent(ev, stop_);
      std::lock_guard lock(mu_);
      if (r == TWaitResult::Event) {
        events_.push_back(ev);
      } else {
        result_ = r;
        ended_ = true;
      }
      cv_.notify_all();
      if (ended_) return;
    }
  }

  TSerialDevice& device_;
  TStopSignal stop_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<uint32_t> events_;
  bool ended_ = false;
  TWaitResult result_ = TWaitResult::Event;
  std::thread thread_;
};

uint32_t AllEvents() {
  return EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
}

// A cooperative server whose modem reports the given lines on connect.
std::function<void(TPeer&)> Cooperative(int modemState) {
  return [modemState](TPeer& p) { p.Send(Agreement() + ModemState(modemState)); };
}

std::unique_ptr<TSerialDevice> Open(const TPeer& peer) {
  int error = -1;
  auto device = OpenRfc2217Device(peer.Url(), error);
  EXPECT_EQ(error, 0);
  return device;
}

// Reads until count bytes arrived (the waiter keeps the socket pumped).
std::string ReadExactly(TSerialDevice& device, size_t count) {
  std::string got;
  char buf[4096];
  WaitUntil(
      [&] {
        const int n = device.Read(buf, static_cast<int>(std::min(sizeof buf, count - got.size())));
        if (n > 0) got.append(buf, static_cast<size_t>(n));
        return got.size() >= count;
      },
      TEvents::Left);
  return got;
}

// A device open on a cooperative server whose modem has DSR and CTS on.
class CooperativePeer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(device, nullptr); }
  TPeer peer{Cooperative(0x30)};
  std::unique_ptr<TSerialDevice> device = Open(peer);
};
using Rfc2217Data = CooperativePeer;
using Rfc2217Events = CooperativePeer;
using Rfc2217Gone = CooperativePeer;
using Rfc2217Settings = CooperativePeer;

// ---- Opening ----------------------------------------------------------------------------

TEST(Rfc2217Open, NegotiatesTheComPortOptionAndReportsTheModemLines) {
  TPeer peer(Cooperative(0x30));
  auto device = Open(peer);
  ASSERT_NE(device, nullptr);
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
  uint32_t status = 0;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, MS_DSR_ON | MS_CTS_ON);
}

TEST(Rfc2217Open, NegotiationSplitIntoSingleBytesStillWorks) {
  TPeer peer([](TPeer& p) { p.SendSplit(Agreement() + ModemState(0x20)); });
  auto device = Open(peer);
  ASSERT_NE(device, nullptr);
  uint32_t status = 0;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, MS_DSR_ON);
}

TEST(Rfc2217Open, ServerWithoutModemReportLeavesTheLinesOff) {
  TPeer peer([](TPeer& p) { p.Send(Agreement()); });
  auto device = Open(peer);
  ASSERT_NE(device, nullptr);
  uint32_t status = 0xFFFF;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, 0u);
}

TEST(Rfc2217Open, OtherOptionsAreRefusedPolitely) {
  // ECHO and terminal type offered/asked by the server.
  TPeer peer([](TPeer& p) { p.Send(Bytes({255, 251, 1, 255, 253, 24}) + Agreement() + ModemState(0x20)); });
  auto device = Open(peer);
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(peer.WaitFor(Bytes({255, 254, 1})));  // DONT ECHO
  EXPECT_TRUE(peer.WaitFor(Bytes({255, 252, 24})));  // WONT TERMINAL-TYPE
}

TEST(Rfc2217Open, PortNobodyListensOnIsRefused) {
  // A bound socket that never listens: connections to it are reset.
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&a), &len), 0);
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(UrlFor(ntohs(a.sin_port)), error), nullptr);
  EXPECT_EQ(error, ECONNREFUSED);
  close(s);
}

TEST(Rfc2217Open, HostThatNeverAnswersTimesOut) {
  // A listener whose one-place accept queue is already taken: the kernel
  // drops further connection requests, as a dead host would.
  const int l = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(l, 0), 0);
  ASSERT_EQ(getsockname(l, reinterpret_cast<sockaddr*>(&a), &len), 0);
  const int filler = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);

  const auto start = Clock::now();
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(UrlFor(ntohs(a.sin_port)), error), nullptr);
  EXPECT_EQ(error, ETIMEDOUT);
  EXPECT_LT(Clock::now() - start, 20s);  // bounded, not endless
  close(filler);
  close(l);
}

TEST(Rfc2217Open, ServerThatNeverSpeaksTelnetTimesOut) {
  TPeer peer;  // accepts, then says nothing
  const auto start = Clock::now();
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(peer.Url(), error), nullptr);
  EXPECT_EQ(error, ETIMEDOUT);
  EXPECT_LT(Clock::now() - start, 20s);
}

TEST(Rfc2217Open, ServerRefusingTheComPortOptionFails) {
  TPeer peer([](TPeer& p) { p.Send(Bytes({255, 254, 44, 255, 252, 44})); });
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(peer.Url(), error), nullptr);
  EXPECT_EQ(error, EPROTONOSUPPORT);
}

TEST(Rfc2217Open, ServerHangingUpDuringNegotiationFails) {
  TPeer peer([](TPeer& p) {
    p.Send(Bytes({255, 251, 44}));
    p.CloseConnection();
  });
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device(peer.Url(), error), nullptr);
  EXPECT_NE(error, 0);
  EXPECT_NE(error, ETIMEDOUT);
}

// ---- Settings and lines ----------------------------------------------------------------------

TEST_F(Rfc2217Settings, ControlBlockBecomesLineSettingCommands) {

  TDCB dcb;
  ASSERT_TRUE(device->GetCommState(dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_TRUE(dcb.Flags & dcb::fBinary);

  dcb.BaudRate = 19200;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.Flags |= dcb::fOutX | dcb::fInX;
  ASSERT_TRUE(device->SetCommState(dcb));
  EXPECT_TRUE(peer.WaitFor(ComPort(1, Bytes({0, 0, 0x4B, 0})) + ComPort(2, Bytes({7})) + ComPort(3, Bytes({3})) +
                           ComPort(4, Bytes({2})) + ComPort(5, Bytes({2}))));
  TDCB back;
  ASSERT_TRUE(device->GetCommState(back));
  EXPECT_EQ(back, dcb);

  dcb.Flags &= ~(dcb::fOutX | dcb::fInX);
  dcb.Flags |= dcb::fOutxCtsFlow;
  ASSERT_TRUE(device->SetCommState(dcb));
  EXPECT_TRUE(peer.WaitFor(ComPort(4, Bytes({2})) + ComPort(5, Bytes({3}))));

  // What the protocol cannot carry is refused, and the last good block stays.
  TDCB bad = dcb;
  bad.ByteSize = 4;
  EXPECT_FALSE(device->SetCommState(bad));
  EXPECT_EQ(device->LastError(), EINVAL);
  ASSERT_TRUE(device->GetCommState(back));
  EXPECT_EQ(back, dcb);
}

TEST_F(Rfc2217Settings, EscapeFunctionsSwitchDtrAndRts) {
  ASSERT_TRUE(device->EscapeCommFunction(SETRTS));
  ASSERT_TRUE(device->EscapeCommFunction(SETDTR));
  ASSERT_TRUE(device->EscapeCommFunction(CLRDTR));
  ASSERT_TRUE(device->EscapeCommFunction(CLRRTS));
  EXPECT_TRUE(peer.WaitFor(ComPort(5, Bytes({11})) + ComPort(5, Bytes({8})) + ComPort(5, Bytes({9})) +
                           ComPort(5, Bytes({12}))));
  EXPECT_FALSE(device->EscapeCommFunction(77));
  EXPECT_EQ(device->LastError(), EINVAL);
}

TEST_F(Rfc2217Settings, PurgeDropsBufferedInputAndTellsTheServer) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR));
  {
    TWaiter waiter(*device);
    peer.Send("stale");
    ASSERT_TRUE(waiter.WaitUntil([&](auto&) {
      uint32_t e;
      TComStat st;
      device->ClearCommError(e, st);
      return st.cbInQue == 5;
    }));
    ASSERT_TRUE(device->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR));
    uint32_t errors;
    TComStat st;
    ASSERT_TRUE(device->ClearCommError(errors, st));
    EXPECT_EQ(st.cbInQue, 0u);
    char c;
    EXPECT_EQ(device->Read(&c, 1), 0);
    EXPECT_TRUE(peer.WaitFor(ComPort(12, Bytes({1}))));
    peer.Send("fresh");
    EXPECT_EQ(ReadExactly(*device, 5), "fresh");
  }
}

// ---- Data ---------------------------------------------------------------------------------

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
  uint32_t status = 0;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, MS_CTS_ON);
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
  WaitUntil(
      [&] {
        uint32_t errors;
        TComStat st;
        device->ClearCommError(errors, st);
        maxQueued = std::max(maxQueued, st.cbInQue);
        const int n = device->Read(buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<size_t>(n));
        return got.size() >= sent.size();
      },
      30s, TEvents::Left);
  sender.join();
  EXPECT_TRUE(got == sent) << "got " << got.size() << " of " << sent.size() << " bytes";
  EXPECT_LE(maxQueued, 4096u);
}

// The pause must stay well within the time a silent peer is given
// (kSilentPeerLimitMs), also on slow builds: the peer's small window makes
// the way fill at once.
TEST(Rfc2217Output, AFullQueueBoundsTheWriteAndLosesNothing) {
  TPeer peer(Cooperative(0x30));
  peer.UseSmallWindow();
  auto device = Open(peer);
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_TXEMPTY));
  peer.PauseReading(true);

  std::string chunk(65536, '\0');
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('A' + i % 26);
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

  // Once the server reads again, everything accepted arrives, in order.
  TWaiter waiter(*device);
  peer.PauseReading(false);
  EXPECT_TRUE(peer.WaitFor(expected, 60s));
  EXPECT_TRUE(waiter.WaitForEvent(EV_TXEMPTY));
}

// ---- Events ------------------------------------------------------------------------------

TEST_F(Rfc2217Events, ModemAndLineReportsBecomeEventsAndErrors) {
  ASSERT_TRUE(device->SetCommMask(AllEvents()));
  TWaiter waiter(*device);

  peer.Send(ModemState(0x10 | 0x02));  // DSR dropped
  ASSERT_TRUE(waiter.WaitForEvent(EV_DSR));
  uint32_t status = 0;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, MS_CTS_ON);

  peer.Send(ModemState(0x90));  // carrier
  ASSERT_TRUE(waiter.WaitForEvent(EV_RLSD));
  peer.Send(ModemState(0xD0));  // ring
  ASSERT_TRUE(waiter.WaitForEvent(EV_RING));

  peer.Send(LineState(0x02 | 0x04 | 0x08));
  ASSERT_TRUE(waiter.WaitForEvent(EV_ERR));
  uint32_t errors = 0;
  TComStat st;
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_EQ(errors, CE_OVERRUN | CE_RXPARITY | CE_FRAME);
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_EQ(errors, 0u);  // cleared by reading

  peer.Send(LineState(0x10));
  ASSERT_TRUE(waiter.WaitForEvent(EV_BREAK));
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_EQ(errors, CE_BREAK);

  for (uint32_t e : waiter.Events()) EXPECT_EQ(e & ~AllEvents(), 0u);
  EXPECT_EQ(waiter.Events().front(), EV_DSR);  // nothing from the opening report
}

TEST_F(Rfc2217Events, OnlyMonitoredEventsEndAWait) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR));
  TWaiter waiter(*device);
  peer.Send(ModemState(0x10) + LineState(0x08) + "z");
  ASSERT_TRUE(waiter.WaitForEvent(EV_RXCHAR));
  for (uint32_t e : waiter.Events()) EXPECT_EQ(e, EV_RXCHAR);
  uint32_t status = 0;
  ASSERT_TRUE(device->GetCommModemStatus(status));
  EXPECT_EQ(status, MS_CTS_ON);  // the state is still followed
}

TEST_F(Rfc2217Events, StopWinsOverPendingEvents) {
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

TEST_F(Rfc2217Events, StopEndsABlockedWait) {
  ASSERT_TRUE(device->SetCommMask(AllEvents()));
  auto waiter = std::make_unique<TWaiter>(*device);
  waiter.reset();  // joins: would hang if the stop were not seen
  SUCCEED();
}

TEST_F(Rfc2217Events, IdleWaitDoesNotSpin) {
  ASSERT_TRUE(device->SetCommMask(AllEvents()));
  // Output waiting to leave and events outside the mask must not keep the
  // wait busy either.
  peer.Send(ModemState(0x10));
  ASSERT_EQ(device->Write("AT\r\n", 4), 4);
  // Nothing comes to wait for: the wait idles meanwhile, costing next to
  // nothing where a spinning one burns a core.
  const double load = LoadWhile([&] {
    TWaiter waiter(*device);
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(waiter.WaitForEnd(0ms));
  });
  EXPECT_LT(load, 0.1);
}

// ---- Failures ----------------------------------------------------------------------------

TEST_F(Rfc2217Gone, ServerHangingUpIsAVanishedDevice) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_ERR));
  TWaiter waiter(*device);

  // Half a reply, then the server goes away.
  peer.Send("\r\nOK\r");
  peer.CloseConnection();
  ASSERT_TRUE(waiter.WaitForEnd());
  EXPECT_EQ(waiter.EndResult(), TWaitResult::Failed);
  int errWaits = 0;
  for (uint32_t e : waiter.Events()) errWaits += (e & EV_ERR) ? 1 : 0;
  EXPECT_EQ(errWaits, 1);

  uint32_t errors = 0;
  TComStat st;
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_TRUE(errors & CE_DEVICEGONE);
  EXPECT_EQ(st.cbInQue, 5u);
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_EQ(errors, CE_DEVICEGONE);  // lasting, as on a device path

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

// Waiting ends with the connection: that end is reported even to a wait
// that does not monitor errors, once.
TEST_F(Rfc2217Gone, HangUpIsReportedToWaitsThatDoNotMonitorErrors) {
  ASSERT_TRUE(device->SetCommMask(EV_DSR));
  TWaiter waiter(*device);
  peer.CloseConnection();
  ASSERT_TRUE(waiter.WaitForEnd());
  EXPECT_EQ(waiter.EndResult(), TWaitResult::Failed);
  EXPECT_EQ(waiter.Events(), std::vector<uint32_t>{EV_ERR});
  uint32_t errors = 0;
  TComStat st;
  ASSERT_TRUE(device->ClearCommError(errors, st));
  EXPECT_EQ(errors, CE_DEVICEGONE);
}

TEST_F(Rfc2217Gone, GarbageFromTheServerNeitherCrashesNorHangs) {
  ASSERT_TRUE(device->SetCommMask(AllEvents()));
  TWaiter waiter(*device);

  std::mt19937 rng(2217);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string garbage = Bytes({255, 250, 44, 107});  // a subnegotiation that never ends
  garbage += std::string(50000, 'g');
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

  // Keep reading; the device stays bounded and ends up in the reported state.
  char buf[4096];
  const bool settled = WaitUntil(
      [&] {
        while (device->Read(buf, sizeof buf) > 0) {
        }
        uint32_t errors;
        TComStat st;
        device->ClearCommError(errors, st);
        EXPECT_LE(st.cbInQue, 4096u);
        uint32_t status = 0;
        return sentAll && device->GetCommModemStatus(status) && status == MS_CTS_ON;
      },
      30s, TEvents::Left);
  sender.join();
  EXPECT_TRUE(settled);
  // Still a working port afterwards.
  EXPECT_EQ(device->Write("AT\r", 3), 3);
  EXPECT_TRUE(peer.WaitFor("AT\r"));
}

}  // namespace

// Host names of network ports: the lookup is bounded by the connect deadline (opening runs on the window
// thread) and its failure has a code of its own.

#include <netdb.h>

#include <cerrno>

#include "serial/rfc2217/tcp_connect.h"
#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

// A resolver that does not answer until the test lets it (or gives up).
struct {
  std::mutex mu;
  std::condition_variable cv;
  bool released = false;
  int inside = 0, calls = 0;
} stuck;

int NeverAnswers(const char*, const char*, const addrinfo*, addrinfo** result) {
  *result = nullptr;
  std::unique_lock lock(stuck.mu);
  ++stuck.inside;
  ++stuck.calls;
  stuck.cv.wait_for(lock, 30s, [] { return stuck.released; });
  --stuck.inside;
  stuck.cv.notify_all();
  return EAI_AGAIN;
}

int Calls() { std::lock_guard lock(stuck.mu); return stuck.calls; }

class Rfc2217Lookup : public ::testing::Test {
 protected:
  void TearDown() override {
    // A lookup left behind ends before the next test.
    std::unique_lock lock(stuck.mu);
    stuck.released = true;
    stuck.cv.notify_all();
    EXPECT_TRUE(stuck.cv.wait_for(lock, 10s, [] { return stuck.inside == 0; }));
    lock.unlock();
    SetNameLookup(previous_);
  }
  void UseStuckResolver() {
    std::lock_guard lock(stuck.mu);
    stuck.released = false;
    stuck.calls = 0;
    previous_ = SetNameLookup(&NeverAnswers);
  }

 private:
  TNameLookup previous_ = SetNameLookup(nullptr);
};

}  // namespace

TEST_F(Rfc2217Lookup, ResolverThatNeverAnswersIsBoundedByTheConnectDeadlineAndAddressesNeedNone) {
  UseStuckResolver();
  const auto start = Clock::now();
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device("rfc2217://modem.example:7000", error), nullptr);
  const auto took = Clock::now() - start;
  EXPECT_EQ(error, ENONET);
  EXPECT_LT(took, std::chrono::milliseconds(kRfc2217ConnectTimeoutMs) + 2s);
  EXPECT_GE(took, std::chrono::milliseconds(kRfc2217ConnectTimeoutMs) - 100ms);
  EXPECT_EQ(Calls(), 1);
  // An address needs no resolver: the stuck one is not asked again.
  TPeer peer([](TPeer& p) { p.Send(Agreement()); });
  EXPECT_NE(OpenRfc2217Device(peer.Url(), error), nullptr);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(Calls(), 1);
}

// Through the component: the code is neither "no such device" (2) nor a held device's (EWOULDBLOCK).
TEST_F(Rfc2217Lookup, UnknownHostFailsWithTheLookupCode) {
  TComm comm;
  comm.SetDeviceName("rfc2217://no-such-host.invalid:7000");
  const auto start = Clock::now();
  ECommError e = CatchCommError([&] { comm.Open(); });
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kRfc2217ConnectTimeoutMs) + 2s);
  EXPECT_EQ(e.ErrorCode, ENONET);
  EXPECT_EQ(e.Message, "Error accessing specified device (Error: 64) ");
  EXPECT_FALSE(comm.Enabled());
}

TEST_F(Rfc2217Lookup, NameThatResolvesConnects) {
  TPeer peer([](TPeer& p) { p.Send(Agreement()); });
  int error = -1;
  EXPECT_NE(OpenRfc2217Device("rfc2217://localhost:" + std::to_string(peer.Port()), error), nullptr);
  EXPECT_EQ(error, 0);
}

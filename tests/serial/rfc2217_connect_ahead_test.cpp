// A connection made ahead on a thread of its own: the next open takes it (the server sees one client), and a
// host that does not answer holds only that thread.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "serial/rfc2217/connect_ahead.h"
#include "serial/rfc2217/rfc2217_device.h"
#include "tests/common/loopback.h"
#include "tests/common/modem_sim.h"
#include "tests/common/wait.h"

namespace {

using namespace std::chrono_literals;

struct TAnswer { std::atomic<bool> Done{false}; std::atomic<int> Error{-1}; };

std::shared_ptr<TAnswer> StartConnecting(const std::string& url) {
  auto answer = std::make_shared<TAnswer>();
  ConnectAhead(url, [answer](int osError) { answer->Error = osError, answer->Done = true; });
  return answer;
}

TEST(ConnectAhead, TheNextOpenOfThePortTakesTheConnection) {
  orvix::test::ModemSim sim({"--listen", "127.0.0.1:0"});
  auto answer = StartConnecting(sim.Device());
  ASSERT_TRUE(orvix::test::WaitUntil([&] { return answer->Done.load(); }, 5s, orvix::test::TEvents::Left));
  ASSERT_EQ(answer->Error, 0);
  ASSERT_TRUE(sim.WaitForLog(" CONNECT "));

  int osError = 0;
  auto device = OpenRfc2217Device(sim.Device(), osError);
  ASSERT_TRUE(device) << osError;
  EXPECT_EQ(sim.LogEvents("CONNECT").size(), 1u);
  EXPECT_TRUE(sim.LogEvents("REJECT").empty());
  const int port = sim.Port();
  EXPECT_EQ(TakeConnectionMadeAhead("127.0.0.1", static_cast<uint16_t>(port)), -1) << "taken twice";
}

TEST(ConnectAhead, AConnectionNotTakenIsClosedWhenDropped) {
  orvix::test::ModemSim sim({"--listen", "127.0.0.1:0"});
  auto answer = StartConnecting(sim.Device());
  ASSERT_TRUE(orvix::test::WaitUntil([&] { return answer->Done.load(); }, 5s, orvix::test::TEvents::Left));
  ASSERT_TRUE(sim.WaitForLog(" CONNECT "));
  DropConnectionMadeAhead(sim.Device());
  EXPECT_TRUE(sim.WaitForLog(" DISCONNECT ")) << "the server's one client place stays taken";
}

TEST(ConnectAhead, AHostThatDoesNotAnswerHoldsOnlyTheConnectingThread) {
  const orvix::test::TLoopbackListener down(false);
  ASSERT_TRUE(down.Ok());
  auto answer = StartConnecting(down.Url());
  EXPECT_FALSE(answer->Done) << "the caller waited for the connection";
  // Nothing can come before the connect deadline: a moment later the caller is free, the connect still on.
  orvix::test::HandleEventsFor(200ms);
  EXPECT_FALSE(answer->Done);
}

}  // namespace

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
using namespace orvix::test;

struct TAnswer { std::atomic<bool> Done{false}; std::atomic<int> Error{-1}; };

std::shared_ptr<TAnswer> StartConnecting(const std::string& url) {
  auto answer = std::make_shared<TAnswer>();
  ConnectAhead(url, [answer](int osError) { answer->Error = osError, answer->Done = true; });
  return answer;
}

// Connects ahead to the emulator and waits until it is done and the emulator has the client.
void ConnectAheadTo(ModemSim& sim) {
  auto answer = StartConnecting(sim.Device());
  ASSERT_TRUE(WaitUntil([&] { return answer->Done.load(); }, 5s, TEvents::Left));
  ASSERT_EQ(answer->Error, 0);
  ASSERT_TRUE(sim.WaitForLog(" CONNECT "));
}

TEST(ConnectAhead, TheNextOpenOfThePortTakesTheConnection) {
  ModemSim sim({"--listen", "127.0.0.1:0"});
  ASSERT_NO_FATAL_FAILURE(ConnectAheadTo(sim));

  int osError = 0;
  auto device = OpenRfc2217Device(sim.Device(), osError);
  ASSERT_TRUE(device) << osError;
  EXPECT_EQ(sim.LogEvents("CONNECT").size(), 1u);
  EXPECT_TRUE(sim.LogEvents("REJECT").empty());
  EXPECT_EQ(TakeConnectionMadeAhead("127.0.0.1", static_cast<uint16_t>(sim.Port())), -1) << "taken twice";
}

TEST(ConnectAhead, AConnectionNotTakenIsClosedWhenDropped) {
  ModemSim sim({"--listen", "127.0.0.1:0"});
  ASSERT_NO_FATAL_FAILURE(ConnectAheadTo(sim));
  DropConnectionMadeAhead(sim.Device());
  EXPECT_TRUE(sim.WaitForLog(" DISCONNECT ")) << "the server's one client place stays taken";
}

TEST(ConnectAhead, AHostThatDoesNotAnswerHoldsOnlyTheConnectingThread) {
  const TLoopbackListener down(false);
  ASSERT_TRUE(down.Ok());
  auto answer = StartConnecting(down.Url());
  EXPECT_FALSE(answer->Done) << "the caller waited for the connection";
  // Nothing can come before the connect deadline: a moment later the caller is free, the connect still on.
  HandleEventsFor(200ms);
  EXPECT_FALSE(answer->Done);
}

}  // namespace

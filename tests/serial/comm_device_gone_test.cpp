// A device gone, through the component: a pty whose other side closes and a network port whose server hangs
// up must look the same to the program.

#include <memory>

#include "serial/comm_event_thread.h"
#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

// The far end of the line, a pty or a network server: it can be made to vanish.
struct TFarEnd {
  explicit TFarEnd(bool network)
      : pty(network ? nullptr : std::make_unique<PtyPair>()),
        peer(network ? std::make_unique<TPeer>(Cooperative()) : nullptr) {}
  std::string DeviceName() const { return peer ? peer->Url() : pty->SlaveName(); }
  void Vanish() { peer ? peer->CloseConnection() : pty->CloseMaster(); }

  std::unique_ptr<PtyPair> pty;
  std::unique_ptr<TPeer> peer;
};

class CommDeviceGone : public ::testing::TestWithParam<std::string> {};

// Waiting ends with the device, so the end is reported once whatever is monitored, and nothing spins.
TEST_P(CommDeviceGone, ReportedOnceWhateverIsMonitored) {
  using enum TCommEventState;
  for (const TCommEventType& monitored : {TCommEventType{evError, evRxChar}, TCommEventType{evRxChar},
                                          TCommEventType{evDSR, evCTS}, AllCommEvents}) {
    SCOPED_TRACE(monitored.Bits());
    TFarEnd end(GetParam() == "network");
    TComm comm;
    std::vector<uint32_t> errors;
    comm.SetDeviceName(end.DeviceName());
    comm.OnError = [&](TCustomComm*, int e) { errors.push_back(static_cast<uint32_t>(e)); };
    comm.SetMonitorEvents(monitored);
    comm.Open();
    end.Vanish();
    ASSERT_TRUE(WaitUntil([&] { return !errors.empty(); })) << "the vanished device was not reported";
    EXPECT_TRUE(errors.front() & CE_DEVICEGONE);
    EXPECT_TRUE(comm.DeviceGone());
    EXPECT_TRUE(WaitUntil([&] { return comm.EventThread()->Finished(); }, TEvents::Left));
    // Meanwhile a second report would come; the process idles where a spinning wait burns a core.
    EXPECT_LT(LoadWhile([] { HandleEventsFor(300ms); }), 0.1) << "the process should idle with a dead device";
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(comm.ModemSignal(2));
    char buf[8];
    EXPECT_EQ(comm.Read(buf, sizeof buf), -1);
    EXPECT_EQ(comm.Write("AT\r\n", 4), -1);
    EXPECT_TRUE(comm.Enabled());
    comm.Close();
    EXPECT_FALSE(comm.Enabled());
    EXPECT_FALSE(comm.DeviceGone());
  }
}

INSTANTIATE_TEST_SUITE_P(Transports, CommDeviceGone, ::testing::Values("pty", "network"),
                         [](const auto& info) { return info.param; });

}  // namespace

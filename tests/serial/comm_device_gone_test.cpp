// A device that goes away, through the component, on both transports: a pty
// whose other side closes and a network port whose server hangs up must look
// the same to the program.

#include <memory>
#include <string>
#include <vector>

#include "serial/async_comm.h"
#include "serial/comm_event_thread.h"
#include "tests/common/pty_pair.h"
#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

// The far end of the line: it can be made to vanish.
class TFarEnd {
 public:
  virtual ~TFarEnd() = default;
  virtual std::string DeviceName() const = 0;
  virtual void Vanish() = 0;
};

class TPtyEnd : public TFarEnd {
 public:
  std::string DeviceName() const override { return pty_.SlaveName(); }
  void Vanish() override { pty_.CloseMaster(); }

 private:
  PtyPair pty_;
};

class TNetworkEnd : public TFarEnd {
 public:
  TNetworkEnd() : peer_([](TPeer& p) { p.Send(Agreement() + ModemState(0x30)); }) {}
  std::string DeviceName() const override { return peer_.Url(); }
  void Vanish() override { peer_.CloseConnection(); }

 private:
  TPeer peer_;
};

class CommDeviceGone : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "pty")
      end = std::make_unique<TPtyEnd>();
    else
      end = std::make_unique<TNetworkEnd>();
    comm.SetDeviceName(end->DeviceName());
    comm.OnError = [this](TCustomComm*, int e) { errors.push_back(static_cast<uint32_t>(e)); };
  }

  // Vanishes, then checks the one report every transport must give.
  void ExpectOneReport() {
    comm.Open();
    end->Vanish();
    ASSERT_TRUE(WaitUntil([&] { return !errors.empty(); })) << "the vanished device was not reported";
    EXPECT_TRUE(errors.front() & CE_DEVICEGONE);
    EXPECT_TRUE(comm.DeviceGone());
    EXPECT_TRUE(WaitUntil([&] { return comm.EventThread()->Finished(); }, TEvents::Left));
    HandleEventsFor(300ms);  // a second report would come meanwhile
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(comm.ModemSignal(2));
    EXPECT_EQ(comm.Write("AT\r\n", 4), -1);
    comm.Close();
    EXPECT_FALSE(comm.DeviceGone());
  }

  std::unique_ptr<TFarEnd> end;
  TComm comm;
  std::vector<uint32_t> errors;
};

}  // namespace

TEST_P(CommDeviceGone, ReportedOnceWhenErrorsAreMonitored) {
  comm.SetMonitorEvents({TCommEventState::evError, TCommEventState::evRxChar});
  ExpectOneReport();
}

// Waiting ends with the device, so the end is reported whatever is monitored.
TEST_P(CommDeviceGone, ReportedOnceWhenErrorsAreNotMonitored) {
  comm.SetMonitorEvents({TCommEventState::evRxChar});
  ExpectOneReport();
}

TEST_P(CommDeviceGone, ReportedOnceWhenOnlyLinesAreMonitored) {
  comm.SetMonitorEvents({TCommEventState::evDSR, TCommEventState::evCTS});
  ExpectOneReport();
}

INSTANTIATE_TEST_SUITE_P(Transports, CommDeviceGone, ::testing::Values("pty", "network"),
                         [](const auto& info) { return info.param; });

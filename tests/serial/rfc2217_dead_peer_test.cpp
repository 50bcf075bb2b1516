// A peer gone silent without closing (cable pulled, server frozen) must be reported as a device gone within
// seconds; each case waits about ten. The link is cut by taking loopback down in a network namespace of the
// test's own (needs root; skipped otherwise).

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>

#include <cstring>

#include "tests/serial/rfc2217_test_peer.h"
#include "tests/serial/serial_test_support.h"

namespace {

using namespace rfc2217_test;

// Moves the calling thread into a network namespace of its own, loopback up, and back on destruction.
class TOwnNetwork {
 public:
  TOwnNetwork() {
    original_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (original_ < 0 || unshare(CLONE_NEWNET) != 0) {
      error_ = std::strerror(errno);
      return;
    }
    entered_ = true;
    if (!SetLoopback(true)) error_ = std::string("loopback up: ") + std::strerror(errno);
  }
  ~TOwnNetwork() {
    if (entered_) setns(original_, CLONE_NEWNET);
    if (original_ >= 0) close(original_);
  }
  // Empty when the namespace is ready.
  const std::string& Error() const { return error_; }

  static bool SetLoopback(bool up) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    ifreq r{};
    std::strncpy(r.ifr_name, "lo", IFNAMSIZ - 1);
    const bool read = ioctl(s, SIOCGIFFLAGS, &r) == 0;
    r.ifr_flags = static_cast<short>(up ? (r.ifr_flags | IFF_UP) : (r.ifr_flags & ~IFF_UP));
    const bool ok = read && ioctl(s, SIOCSIFFLAGS, &r) == 0;
    close(s);
    return ok;
  }

 private:
  int original_ = -1;
  bool entered_ = false;
  std::string error_;
};

class Rfc2217DeadPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!net.Error().empty()) GTEST_SKIP() << "no network namespace of our own: " << net.Error();
    peer = std::make_unique<TPeer>(Cooperative());
    comm.SetDeviceName(peer->Url());
    comm.SetMonitorEvents({TCommEventState::evError, TCommEventState::evRxChar});
    comm.OnError = [this](TCustomComm*, int e) { errors.push_back(static_cast<uint32_t>(e)); };
    comm.Open();
    comm.SetDTR(true);
    ASSERT_TRUE(comm.ModemSignal(2));
  }
  void TearDown() override { comm.Close(); }

  // The one report of a device gone, within seconds; the lines read off.
  void ExpectGoneReported() {
    const auto start = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return comm.DeviceGone(); }, 15s)) << "a silent peer went unnoticed";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::printf("silent peer noticed after %lld ms\n", static_cast<long long>(took.count()));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors.front() & CE_DEVICEGONE);
    EXPECT_FALSE(comm.ModemSignal(2));
  }

  TOwnNetwork net;
  std::unique_ptr<TPeer> peer;
  TComm comm;
  std::vector<uint32_t> errors;
};

}  // namespace

TEST_F(Rfc2217DeadPeer, SlowIdleLinkCutIsReportedAsDeviceGone) {
  HandleEventsFor(500ms);  // an idle session
  ASSERT_TRUE(TOwnNetwork::SetLoopback(false));
  ExpectGoneReported();
}

TEST_F(Rfc2217DeadPeer, SlowCommandIntoACutLinkIsReportedAsDeviceGone) {
  ASSERT_TRUE(TOwnNetwork::SetLoopback(false));
  ASSERT_EQ(comm.Write("AT+MCS?\r\n", 9), 9);  // accepted locally, never acknowledged
  ExpectGoneReported();
}

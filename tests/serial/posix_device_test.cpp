// The termios backend alone: exclusive open, device names, the event wait, transfers after a hang-up.

#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <stdexcept>

#include "serial/device_path.h"
#include "serial/posix/posix_device.h"
#include "tests/serial/serial_test_support.h"

TEST(DevicePath, ComNamesMapToTtyS) {
  for (auto [name, path] :
       {std::pair{"com1", "/dev/ttyS0"}, std::pair{"Com2", "/dev/ttyS1"}, std::pair{"COM12", "/dev/ttyS11"}})
    EXPECT_EQ(SerialDevicePath(name), path) << name;
  for (const char* kept : {"com0", "com", "com1x", "/dev/ttyUSB0", "/dev/serial/by-id/usb-X-if00"})
    EXPECT_EQ(SerialDevicePath(kept), kept);
}

TEST(PosixDevice, NoTerminalIsNoSerialDeviceAndIsNotLocked) {
  int error = 0;
  auto null = OpenSerialDevice("/dev/null", error);
  ASSERT_NE(null, nullptr) << error;
  EXPECT_EQ(null->GetFileType(), FILE_TYPE_UNKNOWN);
  EXPECT_EQ(null->LastError(), ENOTTY);
  EXPECT_NE(OpenSerialDevice("/dev/null", error), nullptr) << error;
}

namespace {

// A terminal as a shell leaves it: line editing, echo, signals, output processing, XON/XOFF, HUPCL.
termios MakeCooked(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  t.c_iflag |= ICRNL | IXON;
  t.c_oflag |= OPOST | ONLCR;
  t.c_lflag |= ICANON | ECHO | ECHOE | ISIG | IEXTEN;
  t.c_cflag |= HUPCL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
  tcgetattr(fd, &t);
  return t;
}

// Everything but HUPCL, which the port leaves off so as not to hang up the modem.
bool GivenBack(int fd, termios before) {
  termios now{};
  before.c_cflag &= ~HUPCL;
  return tcgetattr(fd, &now) == 0 && now.c_iflag == before.c_iflag && now.c_oflag == before.c_oflag &&
         now.c_lflag == before.c_lflag && now.c_cflag == before.c_cflag &&
         std::memcmp(now.c_cc, before.c_cc, sizeof now.c_cc) == 0;
}

TSerialDevice* stillOpen = nullptr;

// An exception that nothing catches: std::terminate, as at the top of a thread.
void ThrowThroughNoexcept(const std::function<void()>& thrower) noexcept { thrower(); }

class Device : public ::testing::Test {
 protected:
  void SetUp() override {
    int error = 0;
    dev = OpenSerialDevice(pty.SlaveName(), error);
    ASSERT_NE(dev, nullptr) << error;
    dev->SetCommMask(EV_RXCHAR | EV_ERR);
  }
  // Runs one wait on another thread, as the event thread does.
  std::future<std::pair<TWaitResult, uint32_t>> StartWait() {
    return std::async(std::launch::async, [this] {
      uint32_t events = 0;
      TWaitResult r = dev->WaitCommEvent(events, stop);
      return std::make_pair(r, events);
    });
  }
  // The wait is still blocked a while later; the stop ends it.
  void ExpectBlockedUntilStopped(std::future<std::pair<TWaitResult, uint32_t>> wait) {
    EXPECT_EQ(wait.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    stop.Set();
    EXPECT_EQ(wait.get().first, TWaitResult::Stopped);
  }
  PtyPair pty;
  TStopSignal stop;
  std::unique_ptr<TSerialDevice> dev;
};
}  // namespace

// Closing the device, or a process ending with it open any way but SIGKILL, gives the terminal its settings back.
TEST(PosixDevice, TheTerminalGetsItsSettingsBack) {
  // signal: sent by the test, or the one the ending raises itself
  const struct { const char* how; int signal; std::function<void()> end; } endings[] = {
      {"close", 0, [] { delete stillOpen; _exit(0); }},  // _exit: nothing run at exit
      {"exit", 0, [] { std::exit(0); }},
      {"uncaught exception", SIGABRT, [] { ThrowThroughNoexcept([] { throw std::runtime_error("uncaught"); }); }},
      {"SIGTERM", SIGTERM, [] { pause(); }}, {"SIGINT", SIGINT, [] { pause(); }}, {"SIGHUP", SIGHUP, [] { pause(); }},
  };
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.how);
    PtyPair pty;
    const termios cooked = MakeCooked(pty.Slave());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
      int error = 0;
      // Held by a global, never destroyed: reachable for a leak checker, and no destructor closes it.
      stillOpen = OpenSerialDevice(pty.SlaveName(), error).release();
      if (write(ready[1], stillOpen ? "1" : "0", 1) != 1) _exit(4);
      ending.end();
      _exit(3);
    }
    close(ready[1]);
    char opened = 0;
    ASSERT_EQ(read(ready[0], &opened, 1), 1);
    close(ready[0]);
    EXPECT_EQ(opened, '1');
    if (ending.signal && ending.signal != SIGABRT) kill(child, ending.signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(ending.signal ? WIFSIGNALED(status) && WTERMSIG(status) == ending.signal
                              : WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(GivenBack(pty.Slave(), cooked));
  }
}

TEST_F(Device, OpenFailures) {
  int error = 0;
  EXPECT_EQ(OpenSerialDevice("/dev/no-such-tty", error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(dev->GetFileType(), FILE_TYPE_CHAR);
  EXPECT_EQ(OpenSerialDevice(pty.SlaveName(), error), nullptr);
  EXPECT_TRUE(error == EWOULDBLOCK || error == EBUSY) << error;
  dev.reset();
  EXPECT_NE(OpenSerialDevice(pty.SlaveName(), error), nullptr);
}

TEST_F(Device, StopEndsAWaitAndWinsOverInput) {
  auto wait = StartWait();
  stop.Set();
  EXPECT_EQ(wait.get().first, TWaitResult::Stopped);
  ArriveOn(pty, "data");
  uint32_t events = 0;
  EXPECT_EQ(dev->WaitCommEvent(events, stop), TWaitResult::Stopped);
}

TEST_F(Device, InputIsAnnouncedOnceAndAHangUpOnceThenTheWaitFails) {
  ASSERT_TRUE(pty.WriteMaster("abc"));
  auto wait = StartWait();
  EXPECT_EQ(wait.get(), std::make_pair(TWaitResult::Event, EV_RXCHAR));
  const TCleared counted = Cleared(*dev);
  EXPECT_EQ(counted.errors, 0u);
  EXPECT_EQ(counted.stat.cbInQue, 3u);
  // Announced and left unread: the next wait blocks until something new arrives.
  wait = StartWait();
  EXPECT_EQ(wait.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  ASSERT_TRUE(pty.WriteMaster("d"));
  EXPECT_EQ(wait.get(), std::make_pair(TWaitResult::Event, EV_RXCHAR));
  char buf[8];
  EXPECT_EQ(dev->Read(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");

  wait = StartWait();
  pty.CloseMaster();
  EXPECT_EQ(wait.get(), std::make_pair(TWaitResult::Event, EV_ERR));
  EXPECT_TRUE(Cleared(*dev).errors & CE_DEVICEGONE);
  uint32_t events = 0;
  EXPECT_EQ(dev->WaitCommEvent(events, stop), TWaitResult::Failed);
  EXPECT_EQ(events, 0u);
  EXPECT_EQ(dev->Read(buf, sizeof buf), -1);
  EXPECT_EQ(dev->Write("AT", 2), -1);
}

// Counting the queue (as every hand-over does) is not announcing it.
TEST_F(Device, CountedInputIsStillAnnouncedPurgeClearsItAndTheLinesAreNoOps) {
  ArriveOn(pty, "OK\r\n");
  EXPECT_EQ(Cleared(*dev).stat.cbInQue, 4u);
  auto wait = StartWait();
  const bool announced = wait.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
  if (!announced) stop.Set();  // lets the wait end
  EXPECT_TRUE(announced) << "counted bytes never announced";
  EXPECT_EQ(wait.get(), std::make_pair(TWaitResult::Event, EV_RXCHAR));

  ArriveOn(pty, "stale");
  EXPECT_TRUE(dev->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR));
  EXPECT_EQ(Cleared(*dev).stat.cbInQue, 0u);
  // No lines to move: DTR and RTS succeed as no-ops, the status query fails.
  for (uint32_t f : {SETDTR, CLRDTR, SETRTS, CLRRTS}) EXPECT_TRUE(dev->EscapeCommFunction(f)) << f;
  EXPECT_FALSE(dev->EscapeCommFunction(77));
  EXPECT_EQ(dev->LastError(), EINVAL);
  uint32_t status = 0;
  EXPECT_FALSE(dev->GetCommModemStatus(status));
}

TEST_F(Device, UnmonitoredInputIsNoEvent) {
  dev->SetCommMask(EV_ERR);
  ASSERT_TRUE(pty.WriteMaster("abc"));
  ExpectBlockedUntilStopped(StartWait());
}

TEST_F(Device, HangUpIsReportedEvenWhenErrorsAreNotMonitored) {
  dev->SetCommMask(EV_RXCHAR);
  auto wait = StartWait();
  pty.CloseMaster();
  EXPECT_EQ(wait.get(), std::make_pair(TWaitResult::Event, EV_ERR));
}

TEST_F(Device, WrittenBytesEmptyTheOutputQueue) {
  dev->SetCommMask(EV_TXEMPTY);
  EXPECT_EQ(dev->Write("ATZ\r", 4), 4);
  EXPECT_EQ(StartWait().get(), std::make_pair(TWaitResult::Event, EV_TXEMPTY));
  EXPECT_EQ(pty.ReadMaster(4), "ATZ\r");
  ExpectBlockedUntilStopped(StartWait());  // reported once per write
}

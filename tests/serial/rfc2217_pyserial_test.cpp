// The network port against a server nobody here wrote: pyserial's RFC 2217 port manager around a loop-back
// port (DSR follows DTR, CTS follows RTS, written data comes back), as a device and through the component.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/serial/serial_test_support.h"

namespace {

constexpr char kPython[] = "/usr/bin/python3";
const std::string kServerScript = std::string(ORVIX_SOURCE_DIR) + "/tests/serial/pyserial_rfc2217_server.py";

bool PyserialAvailable() {
  static const bool available = std::system("/usr/bin/python3 -I -c 'import serial.rfc2217' >/dev/null 2>&1") == 0;
  return available;
}

#define REQUIRE_PYSERIAL() \
  if (!PyserialAvailable()) GTEST_SKIP() << "/usr/bin/python3 cannot import serial.rfc2217: install python3-serial"

// The test server as a child process; its report is collected.
class TPyServer {
 public:
  TPyServer() {
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) < 0 || pipe2(out, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      execl(kPython, kPython, "-I", kServerScript.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toServer_ = in[1];
    fromServer_ = out[0];
    reader_ = std::thread([this] { ReadOutput(); });
    // Its first line is the address.
    if (!WaitForLine("rfc2217://", 0, 20s) || !WaitForLine("\n")) throw std::runtime_error("test server did not start");
    std::lock_guard lock(mu_);
    url_ = out_.substr(0, out_.find('\n'));
  }

  ~TPyServer() {
    close(toServer_);  // end of input stops the server
    int status;
    if (!WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) != 0; }, TEvents::Left)) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    reader_.join();
    close(fromServer_);
  }

  const std::string& Url() const { return url_; }

  // Waits for report text containing needle after `from`, a Mark() of the report so far.
  bool WaitForLine(const std::string& needle, size_t from = 0, std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return out_.find(needle, from) != std::string::npos; });
  }
  size_t Mark() { std::lock_guard lock(mu_); return out_.size(); }

  void HangUp() { [[maybe_unused]] ssize_t n = write(toServer_, "hangup\n", 7); }

 private:
  void ReadOutput() {
    char buf[512];
    for (ssize_t n; (n = read(fromServer_, buf, sizeof buf)) > 0;) {
      std::lock_guard lock(mu_);
      out_.append(buf, static_cast<size_t>(n));
      cv_.notify_all();
    }
  }

  pid_t pid_ = -1;
  int toServer_ = -1, fromServer_ = -1;
  std::string url_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::string out_;
  std::thread reader_;
};

class Rfc2217Pyserial : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_PYSERIAL();
    server = std::make_unique<TPyServer>();
    int error = -1;
    device = OpenSerialDevice(server->Url(), error);
    ASSERT_NE(device, nullptr) << "error " << error;
  }
  bool StatusHolds(uint32_t bits, uint32_t expected) {
    uint32_t status = 0;
    return WaitUntil([&] { return device->GetCommModemStatus(status) && (status & bits) == expected; }, TEvents::Left);
  }
  std::unique_ptr<TPyServer> server;
  std::unique_ptr<TSerialDevice> device;
};

TEST_F(Rfc2217Pyserial, LineSettingsAndLinesArriveAndDsrComesBack) {
  // loop:// starts with DTR and RTS on, so DSR and CTS are on, and known when the open returns.
  EXPECT_EQ(StatusOf(*device) & (MS_DSR_ON | MS_CTS_ON), MS_DSR_ON | MS_CTS_ON);
  ASSERT_TRUE(server->WaitForLine("CONNECT"));

  TDCB dcb = StateOf(*device);
  SetLine(dcb, 19200, 7, EVENPARITY, TWOSTOPBITS);
  dcb.Flags |= dcb::fOutX | dcb::fInX;
  ASSERT_TRUE(device->SetCommState(dcb));
  ASSERT_TRUE(device->SetCommMask(EV_DSR | EV_CTS | EV_RXCHAR | EV_ERR));
  TWaiter waiter(*device);
  EXPECT_TRUE(server->WaitForLine("SETTINGS baud=19200 bytesize=7 parity=E stopbits=2 xonxoff=1 rtscts=0"));
  SetLine(dcb, 115200, 8, ODDPARITY, ONESTOPBIT);
  dcb.Flags &= ~(dcb::fOutX | dcb::fInX);
  ASSERT_TRUE(device->SetCommState(dcb));
  EXPECT_TRUE(server->WaitForLine("SETTINGS baud=115200 bytesize=8 parity=O stopbits=1 xonxoff=0 rtscts=0"));

  const size_t mark = server->Mark();
  ASSERT_TRUE(device->EscapeCommFunction(CLRDTR));
  EXPECT_TRUE(server->WaitForLine("LINES dtr=0 rts=1", mark));
  EXPECT_TRUE(StatusHolds(MS_DSR_ON, 0));
  // The status changes before the wait that reports it returns to the waiter.
  EXPECT_TRUE(waiter.WaitForEvent(EV_DSR));
  ASSERT_TRUE(device->EscapeCommFunction(CLRRTS));
  EXPECT_TRUE(server->WaitForLine("LINES dtr=0 rts=0", mark));
  EXPECT_TRUE(StatusHolds(MS_CTS_ON, 0));
  for (uint32_t f : {SETDTR, SETRTS}) ASSERT_TRUE(device->EscapeCommFunction(f)) << f;
  EXPECT_TRUE(server->WaitForLine("LINES dtr=1 rts=1", mark));
  EXPECT_TRUE(StatusHolds(MS_DSR_ON, MS_DSR_ON));
}

TEST_F(Rfc2217Pyserial, EveryByteValueSurvivesTheRoundTripAndAHangUpIsSeen) {
  ASSERT_TRUE(device->SetCommMask(EV_RXCHAR | EV_ERR));
  TWaiter waiter(*device);
  std::string sent;  // every byte value twice, then a run of IAC
  for (int i = 0; i < 512; ++i) sent.push_back(static_cast<char>(i % 256));
  sent += std::string(8, '\xFF');
  ASSERT_EQ(device->Write(sent.data(), static_cast<int>(sent.size())), static_cast<int>(sent.size()));
  const std::string got = ReadExactly(*device, sent.size());
  EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes came back";

  server->HangUp();
  EXPECT_TRUE(waiter.WaitForEvent(EV_ERR));
  EXPECT_TRUE(Cleared(*device).errors & CE_DEVICEGONE);
  EXPECT_EQ(device->Write("x", 1), -1);
  EXPECT_TRUE(server->WaitForLine("DISCONNECT"));
}

TEST(Rfc2217PyserialComm, ProgramSequenceOverTheNetwork) {
  REQUIRE_PYSERIAL();
  TPyServer server;
  TComm comm;
  comm.SetDeviceName(server.Url());
  comm.SetBaudRate(TBaudRate::cbr38400);
  comm.SetParity(TParity::paEven);
  comm.SetDatabits(TDatabits::da7);
  comm.SetStopbits(TStopbits::sb20);
  comm.SetMonitorEvents(TCommEventType{TCommEventState::evError, TCommEventState::evRxChar});
  std::string received;
  comm.OnRxChar = ReadInto(received);

  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  EXPECT_TRUE(server.WaitForLine("SETTINGS baud=38400 bytesize=7 parity=E stopbits=2"));
  comm.SetRTS(true);
  comm.SetDTR(true);
  EXPECT_TRUE(comm.ModemSignal(2));
  EXPECT_TRUE(comm.ModemSignal(1));

  const std::string line = "AT+MSR=0\r\n" + std::string("\xFF\x00\xFF", 3);
  ASSERT_EQ(comm.Write(line.data(), static_cast<int>(line.size())), static_cast<int>(line.size()));
  EXPECT_TRUE(WaitUntil([&] { return received.size() >= line.size(); }));
  EXPECT_EQ(received, line);

  comm.SetDTR(false);
  EXPECT_TRUE(WaitUntil([&] { return !comm.ModemSignal(2); }));

  comm.Close();
  EXPECT_FALSE(comm.Enabled());
  EXPECT_TRUE(server.WaitForLine("DISCONNECT"));

  // Opened again, as the program does after a restore.
  const size_t mark = server.Mark();
  comm.Open();
  EXPECT_TRUE(server.WaitForLine("CONNECT", mark));
  comm.SetDTR(true);
  EXPECT_TRUE(comm.ModemSignal(2));
  comm.Close();
}

TEST(Rfc2217PyserialComm, ServerHangingUpReachesOnErrorOnce) {
  REQUIRE_PYSERIAL();
  TPyServer server;
  TComm comm;
  comm.SetDeviceName(server.Url());
  int errorCalls = 0, lastErrors = 0;
  comm.OnError = [&](TCustomComm*, int errors) { ++errorCalls, lastErrors = errors; };
  comm.Open();
  server.HangUp();
  EXPECT_TRUE(WaitUntil([&] { return errorCalls > 0; }));
  HandleEventsFor(300ms);  // a second report would come meanwhile
  EXPECT_EQ(errorCalls, 1);
  EXPECT_TRUE(static_cast<uint32_t>(lastErrors) & CE_DEVICEGONE);
  EXPECT_FALSE(comm.ModemSignal(2));
  EXPECT_EQ(comm.Write("AT\r\n", 4), -1);
  comm.Close();
}

}  // namespace

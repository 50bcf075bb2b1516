// The modem emulator driven with raw bytes over a real pty and over TCP.

#include <fcntl.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/common/cpu_sampler.h"
#include "tests/common/fd_io.h"
#include "tests/common/files.h"
#include "tests/common/loopback.h"
#include "tests/common/modem_sim.h"
#include "tests/common/telnet_wire.h"
#include "tests/common/wait.h"

using namespace orvix::test;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

constexpr auto kReplyTimeout = 5000ms;
using TArgs = std::vector<std::string>;
using TBytes = std::initializer_list<int>;

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Reads from fd until the data ends with `end`, the peer is gone or the time is up.
std::string ReadUntil(int fd, const std::string& end, std::chrono::milliseconds timeout = kReplyTimeout,
                      int* reads = nullptr, bool* gone = nullptr) {
  auto ended = [&](const std::string& s) { return !end.empty() && EndsWith(s, end); };
  const orvix::test::TFdRead got = orvix::test::ReadFor(fd, timeout, ended);
  if (reads) *reads = got.reads;
  if (gone) *gone = got.ended;
  return got.data;
}

void WriteAll(int fd, const std::string& bytes) { ASSERT_TRUE(orvix::test::WriteAll(fd, bytes)) << strerror(errno); }

// The program's side of the pty, opened the way the serial component does.
class PtyPort {
 public:
  explicit PtyPort(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("open " + path + ": " + strerror(errno));
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd_, TCSANOW, &tio);
  }
  ~PtyPort() { close(fd_); }
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;
  int Fd() const { return fd_; }

  // Sends a command line with CR LF and returns the reply up to its result code.
  std::string Command(const std::string& cmd, const std::string& end = "OK\r\n") {
    WriteAll(fd_, cmd + "\r\n");
    return ReadUntil(fd_, end);
  }

 private:
  int fd_ = -1;
};

// A minimal RFC 2217 client of the test's own, to see the wire as it is.
class TelnetPeer {
 public:
  explicit TelnetPeer(int port, bool offerComPort = true) {
    if ((fd_ = orvix::test::ConnectLoopback(port)) < 0) throw std::runtime_error("connect: "s + strerror(errno));
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (offerComPort) Raw({255, 251, 44});  // IAC WILL COM-PORT-OPTION
  }
  ~TelnetPeer() { Close(); }
  TelnetPeer(const TelnetPeer&) = delete;
  TelnetPeer& operator=(const TelnetPeer&) = delete;

  void Close() { close(std::exchange(fd_, -1)); }
  void Raw(TBytes bytes) { RawBytes(std::string(bytes.begin(), bytes.end())); }
  void RawBytes(const std::string& s) {
    if (send(fd_, s.data(), s.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(s.size()))
      throw std::runtime_error("send failed");
  }
  void ComPort(TBytes v) { RawBytes("\xff\xfa\x2c" + IacDoubled({v.begin(), v.end()}) + "\xff\xf0"); }
  void Data(const std::string& d) { RawBytes(IacDoubled(d)); }
  std::string Command(const std::string& cmd, const std::string& end = "OK\r\n") {
    const size_t from = wire_.Data.size();
    Data(cmd + "\r\n");
    ReadUntilData(end, from);
    return wire_.Data.substr(from);
  }

  // Receives and decodes until the data received since `from` ends with `end`.
  bool ReadUntilData(const std::string& end, size_t from, std::chrono::milliseconds timeout = kReplyTimeout) {
    return Pump([&] { return EndsWith(wire_.Data.substr(std::min(from, wire_.Data.size())), end); }, timeout);
  }
  // Receives until a Com Port subnegotiation with the given server code arrives; returns its value bytes.
  std::optional<std::string> WaitComPort(int code, std::chrono::milliseconds timeout = kReplyTimeout) {
    std::optional<std::string> found;
    auto& all = wire_.Subnegotiations;
    Pump([&] {
      auto it = std::ranges::find_if(all, [&](auto& s) { return s.starts_with(std::string{44, char(code)}); });
      if (it != all.end()) { found = it->substr(2); all.erase(it); }
      return found.has_value();
    }, timeout);
    return found;
  }
  bool WaitClosed(std::chrono::milliseconds timeout = kReplyTimeout) { return Pump([&] { return closed_; }, timeout); }

  const std::string& DataSoFar() const { return wire_.Data; }
  const std::vector<std::string>& Options() const { return wire_.Options; }

 private:
  template <class Done>
  bool Pump(Done done, std::chrono::milliseconds timeout) {
    size_t fed = 0;
    auto feed = [&](const std::string& in) {
      for (; fed < in.size(); ++fed) wire_.Feed(in[fed]);
      return done();
    };
    if (!closed_) closed_ = orvix::test::ReadFor(fd_, timeout, feed).ended;
    return done();
  }
  int fd_ = -1;
  bool closed_ = false;
  orvix::test::TTelnetWire wire_;
};

TArgs Plus(TArgs a, const TArgs& b) { a.insert(a.end(), b.begin(), b.end()); return a; }
TArgs NetArgs(const TArgs& more = {}) { return Plus({"--listen", "127.0.0.1:0"}, more); }

// No guard time: each command goes as soon as the previous reply is in; only the guard's tests wait it out.
struct Sim : ModemSim {
  explicit Sim(TArgs args = {}, const std::string& scenario = {}) : ModemSim(Plus(args, {"--guard", "0"}), scenario) {}
};

// An emulator with the program's side of its pty open.
struct PtySim : Sim {
  explicit PtySim(TArgs args = {}, const std::string& scenario = {}) : Sim(std::move(args), scenario), port(Device()) {}
  PtyPort port;
};

// A network emulator with a client connected.
struct NetSim : Sim {
  explicit NetSim(const std::string& scenario = {}, TArgs more = {}) : Sim(NetArgs(more), scenario), peer(Port()) {}
  TelnetPeer peer;
};

// The modem-state byte of the next NOTIFY-MODEMSTATE; nothing when none comes.
std::optional<int> ModemState(TelnetPeer& peer) {
  const auto v = peer.WaitComPort(107);
  return v && !v->empty() ? std::optional<int>(uint8_t((*v)[0])) : std::nullopt;
}

// There is nothing to wait for: only long enough a look to tell an idle process from a spinning one.
double IdleLoad(const ModemSim& sim) { return LoadWhile([] { std::this_thread::sleep_for(300ms); }, sim.Pid()); }

// How long the action took.
template <class Action>
Clock::duration Took(Action act) { const auto t0 = Clock::now(); act(); return Clock::now() - t0; }

const char kStore[] = "memory 40\nclock running 4 6 30\nwelcome 20\nfull-welcome 0\n"
                      "message voice 15 0 3 14   # first\nmessage fax 2 1 10 5\nmessage data 0 2 11 59\n"
                      "message voice 30 255 0 0\nmessage undef 0 3 0 1\n";

TEST(ModemSimDialect, SetUpCommandsSelfModeQueryAndTheDefaultModem) {
  PtySim sim;
  EXPECT_EQ(sim.port.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n");
  for (const char* cmd : {"AT+MCS=1", "AT+MCD=1", "AT+MCM=1", "AT+MCR=3", "AT+MCW"})
    EXPECT_EQ(sim.port.Command(cmd), "\r\nOK\r\n") << cmd;
  EXPECT_EQ(sim.port.Command("AT+MCS?"), "\r\n1\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("at+mcs?"), "\r\n1\r\n\r\nOK\r\n") << "commands are case-insensitive";
  EXPECT_EQ(sim.port.Command("AT+XYZ", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.port.Command("AT+MCS=7", "ERROR\r\n"), "\r\nERROR\r\n");
  // A bare CR ends a command as well as CR LF.
  WriteAll(sim.port.Fd(), "AT+MCW\r");
  EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n"), "\r\nOK\r\n");

  // The default modem has voice and fax messages, a welcome, a running clock.
  std::string r = sim.port.Command("AT+MSR=0");
  int f[8] = {};
  ASSERT_EQ(std::sscanf(r.c_str(), "\r\n%d,%d,%d,%d,%d,%d,%d,%d", f, f + 1, f + 2, f + 3, f + 4, f + 5, f + 6, f + 7),
            8) << r;
  EXPECT_GT(f[2], 0) << "voice messages";
  EXPECT_GT(f[4], 0) << "fax messages";
  EXPECT_GT(f[6], 0) << "welcome";
  EXPECT_NE(sim.port.Command("AT+MCC?").substr(0, 5), "\r\n255");
}

// Listed, clock asked, played for the scaled duration (15 s voice -> 300 ms, 20 s welcome -> 400 ms),
// then erased but for the welcomes.
TEST(ModemSimDialect, AStoreIsListedPlayedAndErased) {
  PtySim sim({"--speed", "0.02"}, kStore);
  EXPECT_EQ(sim.port.Command("AT+MSR=0"), "\r\n40,0,2,0,3,0,20,0\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=001"), "\r\n001,002,015,000,000,000,003,014\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=002"), "\r\n002,001,002,000,000,001,010,005\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=003"), "\r\n003,003,000,000,000,002,011,059\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=004"), "\r\n004,002,030,000,000,255,000,000\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=005"), "\r\n005,000,000,000,000,003,000,001\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=006", "ERROR\r\n"), "\r\nERROR\r\n");
  const std::string clock = sim.port.Command("AT+MCC?");
  EXPECT_EQ(clock.substr(0, 6), "\r\n004,") << clock;

  for (const auto& play : {std::pair{"AT+MVP=1", 290ms}, std::pair{"AT+MVP=0", 390ms}})
    EXPECT_GE(Took([&] { EXPECT_EQ(sim.port.Command(play.first), "\r\nOK\r\n"); }), play.second) << play.first;
  // A fax cannot be played, no message 9, no full-memory welcome, no number.
  for (const char* refused : {"AT+MVP=2", "AT+MVP=9", "AT+MVP=255", "AT+MVP="})
    EXPECT_EQ(sim.port.Command(refused, "ERROR\r\n"), "\r\nERROR\r\n") << refused;
  EXPECT_TRUE(sim.WaitForLog("PLAY msg=1 ms=300"));

  EXPECT_EQ(sim.port.Command("AT+MEM"), "\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=0"), "\r\n0,0,0,0,0,0,20,0\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=001", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.port.Command("AT+MVP=0"), "\r\nOK\r\n");
}

TEST(ModemSimDialect, AClockThatIsOffIsReset) {
  PtySim sim({}, "clock off\nmessage voice 3 255 0 0\n");
  EXPECT_EQ(sim.port.Command("AT+MCC?").substr(0, 6), "\r\n255,");
  EXPECT_EQ(sim.port.Command("AT+MCC"), "\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MCC?"), "\r\n000,000,000\r\n\r\nOK\r\n");
}

TEST(ModemSimScenario, ShippedScenariosLoad) {
  for (const char* name : {"demo", "clock-off", "flaky-line"}) {
    PtySim sim({"--scenario", std::string(ORVIX_SOURCE_DIR) + "/tools/modem-sim/scenarios/" + name + ".scn"});
    EXPECT_NE(sim.port.Command("AT+MSR=0").find("OK\r\n"), std::string::npos) << name;
  }
}

TEST(ModemSimScenario, MistakesAreRejectedWithTheLine) {
  for (const char* bad : {"message voice\n", "message tape 1 0 0 0\n", "clock maybe\n", "fault AT+MCW explode\n",
                          "fault AT+MCW @0 error\n", "welcome -3\n", "colour blue\n"})
    EXPECT_THROW(Sim({}, std::string("memory 5\n") + bad), std::runtime_error) << bad;
}

TEST(ModemSimFaults, ErrorNoAnswerAndOccurrence) {
  PtySim sim({}, "fault AT+MCW error\nfault AT+MCD=1 @2 noanswer\n");
  EXPECT_EQ(sim.port.Command("AT+MCW", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.port.Command("AT+MCD=1"), "\r\nOK\r\n") << "only the second one is lost";
  WriteAll(sim.port.Fd(), "AT+MCD=1\r\n");
  ASSERT_TRUE(sim.WaitForLog("NOREPLY fault AT+MCD=1"));
  EXPECT_EQ(sim.port.Command("AT+MCD=1"), "\r\nOK\r\n") << "nothing of the lost reply comes late";
}

TEST(ModemSimFaults, DelayGarbageLowercaseNoLineBreaksEcho) {
  Sim sim({}, "fault AT+MCW delay 300\nfault AT+MCM=1 garbage \\x01AB\\xFF\nfault AT+MCR=3 lowercase\n"
              "fault AT+MCS? nolinebreaks\nfault AT+MCD=1 @1 echo\n");
  PtyPort port(sim.Device());
  EXPECT_GE(Took([&] { EXPECT_EQ(port.Command("AT+MCW"), "\r\nOK\r\n"); }), 290ms);
  EXPECT_EQ(port.Command("AT+MCM=1"), std::string("\x01" "AB\xff\r\nOK\r\n"));
  EXPECT_EQ(port.Command("AT+MCR=3", "ok\r\n"), "\r\nok\r\n");
  EXPECT_EQ(port.Command("AT+MCS?", "OK"), "0OK");
  EXPECT_EQ(port.Command("AT+MCD=1"), "AT+MCD=1\r\r\nOK\r\n");
  EXPECT_EQ(port.Command("AT+MCD=1"), "\r\nOK\r\n") << "echo belongs to the faulty command only";
}

TEST(ModemSimFaults, EchoForEveryLine) {
  PtySim sim({"--echo"});
  EXPECT_EQ(sim.port.Command("AT+MCW"), "AT+MCW\r\r\nOK\r\n");
}

// Split in 11 pieces 40 ms apart (at least 400 ms), or paced at 300 baud (33.3 ms a byte, 11 bytes), for
// the whole line or by a fault: never all in one read.
TEST(ModemSimFaults, SplitOrPacedRepliesComeInSeveralWrites) {
  const struct { TArgs args; const char* scenario; std::chrono::milliseconds least; } cases[] = {
      {{}, "fault AT+MCS? split 1 40\n", 380ms},
      {{"--baud", "300"}, "", 300ms},
      {{}, "fault AT+MCS? pace 300\n", 300ms},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    PtySim sim(c.args, c.scenario);
    WriteAll(sim.port.Fd(), "AT+MCS?\r\n");
    int reads = 0;
    auto read = [&] { EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n", kReplyTimeout, &reads), "\r\n0\r\n\r\nOK\r\n"); };
    EXPECT_GE(Took(read), c.least);
    EXPECT_GE(reads, 2);
  }
}

TEST(ModemSimFaults, DropClosesThePtyAndANewOneTakesItsPlace) {
  const std::string link = testing::TempDir() + "/orvix-sim-drop-link";
  unlink(link.c_str());
  PtySim sim({"--link", link}, "fault AT+MCW drop 3\n");
  WriteAll(sim.port.Fd(), "AT+MCW\r\n");
  bool gone = false;
  std::string got = ReadUntil(sim.port.Fd(), "", 5000ms, nullptr, &gone);
  EXPECT_TRUE(gone) << "the program's side sees the device vanish";
  // The hang-up may flush what the program had not read yet.
  EXPECT_EQ(got, std::string("\r\nO").substr(0, got.size()));
  ASSERT_TRUE(sim.WaitForLog(" DROP "));
  auto close = sim.WaitForLog(" CLOSE ");
  ASSERT_TRUE(close);
  // The replacement pty is announced after the old one is closed.
  const auto lines = sim.LogLines();
  const size_t afterClose = std::ranges::find(lines, *close) - lines.begin() + 1;
  ASSERT_TRUE(sim.WaitForLog(" PTY /dev/", 5000ms, afterClose));
  // The link follows the new pty, which works.
  PtyPort again(link);
  EXPECT_EQ(again.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n");
}

TEST(ModemSimFaults, WildcardPatterns) {
  PtySim sim({}, "message voice 5 0 1 2\nfault AT+MSR=* lowercase\nfault * @3 error\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=001", "ok\r\n").substr(0, 6), "\r\n001,");
  EXPECT_EQ(sim.port.Command("AT+MCW"), "\r\nOK\r\n");
  EXPECT_EQ(sim.port.Command("AT+MSR=0", "error\r\n"), "\r\nerror\r\n") << "third line of all: error, lower case";
}

TEST(ModemSimFaults, DoubledResultCode) {
  Sim sim({}, "fault AT+MCW ook\nfault AT+MCR=3 error\nfault AT+MCR=3 ook\nfault AT+MCM=1 ook\n"
              "fault AT+MCM=1 lowercase\n");
  PtyPort port(sim.Device());
  EXPECT_EQ(port.Command("AT+MCW", "OOK\r\n"), "\r\nOOK\r\n");
  EXPECT_EQ(port.Command("AT+MCR=3", "EERROR\r\n"), "\r\nEERROR\r\n");
  EXPECT_EQ(port.Command("AT+MCM=1", "ook\r\n"), "\r\nook\r\n");
}

// The state letter of a process (R, S, T, Z, ...) from /proc.
char ProcessState(pid_t pid) {
  const std::string all = orvix::test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const auto close = all.rfind(')');
  return close == std::string::npos || close + 2 >= all.size() ? '?' : all[close + 2];
}

TEST(ModemSimFaults, FreezeStopsTheEmulatorUntilContinued) {
  PtySim sim({}, "fault AT+MCW freeze\n");
  WriteAll(sim.port.Fd(), "AT+MCW\r\n");
  ASSERT_TRUE(sim.WaitForLog("FAULT freeze AT+MCW"));
  EXPECT_TRUE(WaitUntil([&] { return ProcessState(sim.Pid()) == 'T'; }, TEvents::Left)) << ProcessState(sim.Pid());
  EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n", 300ms), "") << "nothing answers while stopped";
  kill(sim.Pid(), SIGCONT);
  EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n"), "\r\nOK\r\n") << "the line is answered once it runs again";
}

// With a length it hangs that long instead of stopping, then goes on without the line that hung it.
TEST(ModemSimFaults, AFreezeWithALengthLosesItsLineAndGoesOn) {
  PtySim sim({}, "fault AT+MCW freeze 1000\n");
  WriteAll(sim.port.Fd(), "AT+MCW\r\n");
  ASSERT_TRUE(sim.WaitForLog("FAULT freeze AT+MCW"));
  WriteAll(sim.port.Fd(), "AT+MCD=1\r\n");
  EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n", 300ms), "") << "nothing answers while it hangs";
  EXPECT_EQ(ReadUntil(sim.port.Fd(), "OK\r\n"), "\r\nOK\r\n") << "the line that came meanwhile is answered";
  EXPECT_TRUE(sim.WaitForLog("NOREPLY fault AT+MCW"));
  EXPECT_EQ(sim.LogEvents("TX").size(), 1u) << "the line that hung it is not";
}

TEST(ModemSimFaults, DieKillsTheEmulatorAsTheLineArrives) {
  NetSim sim("fault AT+MSR=0 die\n");
  EXPECT_EQ(sim.peer.Command("AT+MCW"), "\r\nOK\r\n");
  sim.peer.Data("AT+MSR=0\r\n");
  EXPECT_TRUE(sim.peer.WaitClosed()) << "the kernel closes the connection of a killed process";
  EXPECT_TRUE(sim.WaitForLog("FAULT die AT+MSR=0"));
  const int status = sim.Stop();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST(ModemSimFaults, FrozenEmulatorKeepsItsConnectionAndStopsAtOnce) {
  NetSim sim("fault AT+MCW freeze\n");
  sim.peer.Data("AT+MCW\r\n");
  ASSERT_TRUE(sim.WaitForLog("FAULT freeze AT+MCW"));
  EXPECT_FALSE(sim.peer.WaitClosed(300ms)) << "a stopped process keeps its connections";
  EXPECT_LT(Took([&] { sim.Stop(); }), 2s) << "stopping a frozen emulator needs no SIGKILL fallback";
}

TEST(ModemSimLog, GuardViolationIsReported) {
  ModemSim sim({"--guard", "5000"});  // any quick follow-up is too early
  PtyPort port(sim.Device());
  port.Command("AT+MCW");
  port.Command("AT+MCD=1");
  auto v = sim.WaitForLog("GUARD-VIOLATION");
  ASSERT_TRUE(v);
  EXPECT_NE(v->find(" AT+MCD=1"), std::string::npos) << *v;
  EXPECT_EQ(sim.LogEvents("GUARD-VIOLATION").size(), 1u) << "the first command has no previous result";
}

// A line that comes before the reply ended is reported; at most 64 lines wait their turn, each is answered.
TEST(ModemSimLog, LinesBeforeTheReplyEndedAreReportedAndAFloodOfThemIsBounded) {
  PtySim sim({"--speed", "0.02"}, kStore);  // the first line plays for 300 ms
  std::string flood = "AT+MVP=1\rAT+MCW\r";
  for (int i = 0; i < 99; ++i) flood += "AT\r";
  WriteAll(sim.port.Fd(), flood);
  ASSERT_TRUE(sim.WaitForLog("OVERFLOW"));
  auto v = sim.WaitForLog("GUARD-VIOLATION");
  ASSERT_TRUE(v);
  EXPECT_NE(v->find("GUARD-VIOLATION -1 AT+MCW"), std::string::npos) << *v;
  size_t answered = 0;
  auto settled = [&] { return (answered = sim.LogEvents("TX").size()) + sim.LogEvents("OVERFLOW").size() == 101; };
  EXPECT_TRUE(WaitUntil(settled, TEvents::Left));
  EXPECT_LE(answered, 65u);
  std::string all;
  for (size_t i = 0; i < answered; ++i) all += "\r\nOK\r\n";
  EXPECT_EQ(ReadUntil(sim.port.Fd(), all), all);
  EXPECT_EQ(sim.port.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n");
}

// The guard waited out (what this test is about) between the lines: no violation; all stamped in order.
TEST(ModemSimLog, EveryLineAndReplyIsStampedInOrderAndARespectedGuardIsNotReported) {
  ModemSim sim;
  PtyPort port(sim.Device());
  port.Command("AT+MCS?");
  for (int i = 0; i < 2; ++i) {
    std::this_thread::sleep_for(110ms);
    port.Command("AT+MCW");
  }
  auto rx = sim.LogEvents("RX");
  auto tx = sim.LogEvents("TX");
  ASSERT_EQ(rx.size(), 3u);
  ASSERT_EQ(tx.size(), 3u);
  EXPECT_TRUE(sim.LogEvents("GUARD-VIOLATION").empty());
  EXPECT_NE(rx[0].find("RX AT+MCS?"), std::string::npos);
  EXPECT_NE(tx[0].find("TX \\r\\n0\\r\\n\\r\\nOK\\r\\n"), std::string::npos) << tx[0];
  EXPECT_LE(LogTime(rx[0]), LogTime(tx[0]));
  EXPECT_LE(LogTime(tx[0]) + 100, LogTime(rx[1])) << "the guard time lies between them";
}

TEST(ModemSimPty, SurvivesManyOpensAndClosesAndIdlesOpenOrClosed) {
  std::string link = testing::TempDir() + "/orvix-sim-link";
  unlink(link.c_str());
  {
    Sim sim({"--link", link});
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(sim.Device(), target);
    for (int i = 0; i < 15; ++i) {
      PtyPort port(link);
      ASSERT_EQ(port.Command("AT+MCW"), "\r\nOK\r\n") << "round " << i;
      if (i == 14) { EXPECT_LT(IdleLoad(sim), 0.1) << "idle while the program holds the port open"; }
    }
    EXPECT_LT(IdleLoad(sim), 0.1) << "idle with the slave closed";
    int status = sim.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is removed at exit";
}

TEST(ModemSimNetwork, NegotiatesAndAnswersComPortCommands) {
  Sim sim(NetArgs());
  ASSERT_EQ(sim.Device().rfind("rfc2217://127.0.0.1:", 0), 0u) << sim.Device();
  ASSERT_GT(sim.Port(), 0);
  TelnetPeer peer(sim.Port());
  EXPECT_EQ(ModemState(peer).value_or(0) & 0x30, 0x30) << "DSR and CTS on: the modem is powered";

  // Each command, the code of the server's answer and the value it reports.
  const struct { TBytes command; int answer; std::string value; } exchanges[] = {
      {{1, 0, 0, 0x4b, 0}, 101, std::string("\0\0\x4b\0", 4)},  // 19200
      {{2, 7}, 102, "\x07"}, {{3, 3}, 103, "\x03"}, {{4, 2}, 104, "\x02"},
      {{5, 8}, 105, "\x08"},   // DTR on
      {{5, 11}, 105, "\x0b"},  // RTS on
      {{5, 7}, 105, "\x08"},   // DTR?
      {{5, 12}, 105, "\x0c"},  // RTS off
      {{5, 2}, 105, "\x02"},   // XON/XOFF out
      {{12, 1}, 112, "\x01"}, {{10, 0}, 110, std::string("\x00", 1)}, {{11, 0x20}, 111, "\x20"},
      {{1, 0, 0, 0, 0}, 101, std::string("\0\0\x4b\0", 4)},  // query the rate
  };
  for (const auto& e : exchanges) {
    peer.ComPort(e.command);
    EXPECT_EQ(peer.WaitComPort(e.answer), e.value) << "answer " << e.answer;
  }

  for (const char* ev : {"LINE baud=19200", "LINE datasize=7", "LINE parity=even", "LINE stopsize=2", "DTR on",
                         "RTS on", "RTS off", "LINE flow-out=xonxoff", "PURGE rx"})
    EXPECT_TRUE(sim.WaitForLog(ev)) << ev;

  // The server offered binary and SGA both ways and asked for the option.
  for (auto [verb, opt] : std::initializer_list<std::pair<int, int>>{{251, 0}, {253, 0}, {251, 3}, {253, 3}, {253, 44}})
    EXPECT_NE(std::ranges::count(peer.Options(), std::string{char(verb), char(opt)}), 0) << verb << " " << opt;

  EXPECT_EQ(peer.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n");
}

TEST(ModemSimNetwork, RefusesUnknownOptionsWithoutLooping) {
  Sim sim(NetArgs());
  TelnetPeer peer(sim.Port(), false);
  peer.Raw({255, 251, 24, 255, 253, 1, 255, 253, 44});  // WILL TTYPE, DO ECHO, DO COM-PORT
  EXPECT_EQ(peer.Command("AT+MCW"), "\r\nOK\r\n");
  // Each refused or agreed once: DONT TTYPE, WONT ECHO, WILL COM-PORT.
  for (const std::string& o : {"\xfe\x18"s, "\xfc\x01"s, "\xfb\x2c"s})
    EXPECT_EQ(std::ranges::count(peer.Options(), o), 1) << testing::PrintToString(o);
}

TEST(ModemSimNetwork, IacIsDoubledBothWays) {
  NetSim sim("fault AT+MCW garbage \\xFF\\xFF\n");
  EXPECT_EQ(sim.peer.Command("AT+MCW"), "\xff\xff\r\nOK\r\n"s) << "two data bytes 255, each sent as IAC IAC";
  sim.peer.Command("AT\xff+MCW", "ERROR\r\n");
  EXPECT_TRUE(sim.WaitForLog("RX AT\\xFF+MCW"));
}

TEST(ModemSimNetwork, CommandsSplitAcrossSegmentsAreJoined) {
  NetSim sim;
  const std::string line = "\xff\xfa\x2c\x05\x08\xff\xf0" "AT+MCW\r\n\xff\xfa\x2c\x01\x00\x00\x25\x80\xff\xf0"s;
  for (char c : line) {
    sim.peer.RawBytes(std::string(1, c));
    std::this_thread::sleep_for(2ms);  // each byte a segment of its own
  }
  for (const char* ev : {"DTR on", "RX AT+MCW", "LINE baud=9600"}) EXPECT_TRUE(sim.WaitForLog(ev)) << ev;
  EXPECT_TRUE(sim.peer.ReadUntilData("OK\r\n", 0));
}

TEST(ModemSimNetwork, GarbageTelnetInputDoesNotBreakTheServer) {
  Sim sim(NetArgs());
  std::mt19937 rng(2217);
  for (int round = 0; round < 20; ++round) {
    TelnetPeer peer(sim.Port());
    std::string junk;
    for (int i = 0; i < 2000; ++i) {
      // Mostly telnet command bytes, to hit every state of the decoder.
      int r = static_cast<int>(rng() % 10);
      junk += char(r < 4 ? 0xff : r < 7 ? 240 + int(rng() % 16) : int(rng() % 256));
    }
    peer.RawBytes(junk);
    peer.RawBytes(std::string("\xff\xfa\x2c\x01\x00", 5));  // a subnegotiation never ended
    peer.Close();
  }
  // An unterminated subnegotiation is given up at the next command, not held forever.
  TelnetPeer peer(sim.Port());
  peer.RawBytes(std::string("\xff\xfa\x2c\x05\x08", 5));
  peer.Raw({255, 251, 44});
  EXPECT_EQ(peer.Command("AT+MCW"), "\r\nOK\r\n");
  EXPECT_TRUE(sim.WaitForLog("TELNET malformed subnegotiation"));
}

TEST(ModemSimNetwork, ReconnectsManyTimesOneClientAtATimeAndIdles) {
  Sim sim(NetArgs());
  for (int i = 0; i < 10; ++i) {
    TelnetPeer peer(sim.Port());
    ASSERT_EQ(peer.Command("AT+MCW"), "\r\nOK\r\n") << "round " << i;
  }
  EXPECT_EQ(sim.LogEvents("CONNECT").size(), 10u);
  EXPECT_TRUE(sim.LogEvents("REJECT").empty());
  EXPECT_LT(IdleLoad(sim), 0.1);
  {
    TelnetPeer idle(sim.Port());
    ASSERT_TRUE(idle.WaitComPort(107));
    EXPECT_LT(IdleLoad(sim), 0.1) << "idle with a client connected";
    // One client at a time: a second is turned away.
    TelnetPeer second(sim.Port());
    EXPECT_TRUE(second.WaitClosed());
    EXPECT_EQ(idle.Command("AT+MCW"), "\r\nOK\r\n");
    EXPECT_EQ(sim.LogEvents("REJECT").size(), 1u);
  }
  int status = sim.Stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ModemSimNetwork, DsrOffAtACommand) {
  NetSim sim("fault AT+MCD=1 dsr-off\n");
  EXPECT_EQ(ModemState(sim.peer), 0x30);
  EXPECT_EQ(sim.peer.Command("AT+MCS=1"), "\r\nOK\r\n");
  sim.peer.Data("AT+MCD=1\r\n");
  EXPECT_EQ(ModemState(sim.peer), 0x03) << "DSR and CTS off, both changed";
  EXPECT_TRUE(sim.WaitForLog("DSR off"));
  // A switched-off modem answers nothing.
  sim.peer.Data("AT+MCW\r\n");
  EXPECT_TRUE(sim.WaitForLog("NOREPLY powered-off AT+MCW"));
}

TEST(ModemSimNetwork, PoweredOffModemReportsDsrOff) {
  NetSim sim("powered off\n");
  EXPECT_EQ(ModemState(sim.peer).value_or(0x20) & 0x20, 0);
}

TEST(ModemSimNetwork, DropClosesTheConnectionMidReplyAndTheNextOneWorks) {
  Sim sim(NetArgs(), "fault AT+MCS? @1 drop 4\n");
  {
    TelnetPeer peer(sim.Port());
    peer.Data("AT+MCS?\r\n");
    EXPECT_TRUE(peer.WaitClosed());
    EXPECT_EQ(peer.DataSoFar(), "\r\n0\r");
  }
  TelnetPeer peer(sim.Port());
  EXPECT_EQ(peer.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n");
}

TEST(ModemSimNetwork, PacedBytesTravelApart) {
  NetSim sim({}, {"--baud", "300"});
  EXPECT_GE(Took([&] { EXPECT_EQ(sim.peer.Command("AT+MCS?"), "\r\n0\r\n\r\nOK\r\n"); }), 300ms);
}

}  // namespace

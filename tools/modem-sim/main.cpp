// orvix-modem-sim: plays the modem's side of the AT dialogue over a pty or an
// RFC 2217 server, for the tests, the demo and the benchmarks.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "faults.h"
#include "log.h"
#include "modem.h"
#include "pty_transport.h"
#include "rfc2217_server.h"
#include "scenario.h"
#include "session.h"

namespace {

volatile sig_atomic_t g_stop = 0;
extern "C" void OnStopSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: orvix-modem-sim [options]\n"
    "  --scenario FILE      modem contents and faults (default: a built-in modem)\n"
    "  --listen [HOST:]PORT serve RFC 2217 on HOST (127.0.0.1) and PORT (0: any free);\n"
    "                       without it the modem sits behind a pseudo-terminal\n"
    "  --link PATH          symlink to the pty slave (removed at exit)\n"
    "  --log FILE           event log (default: stderr)\n"
    "  --speed F            factor on playing times (e.g. 0.01)\n"
    "  --baud N             space reply bytes as on an N baud line (10 bits a byte)\n"
    "  --guard MS           least gap after a result code before a command line (100)\n"
    "  --echo               echo every command line\n"
    "The first line on stdout is the pty slave path or rfc2217://HOST:PORT.\n";

struct Options {
  std::string scenario, listen, link, log;
  bool network = false;
  double speed = 1.0;
  long baud = 0, guard = 100;
  bool echo = false;
};

[[noreturn]] void Usage(const std::string& error) {
  std::fprintf(stderr, "orvix-modem-sim: %s\n%s", error.c_str(), kUsage);
  std::exit(2);
}

long ParseLong(const std::string& text, const char* what, long lo, long hi) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || errno || v < lo || v > hi) Usage(std::string("bad ") + what + " '" + text + "'");
  return v;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--scenario") o.scenario = value();
    else if (a == "--listen") {
      o.listen = value();
      o.network = true;
    } else if (a == "--link") o.link = value();
    else if (a == "--log") o.log = value();
    else if (a == "--speed") {
      std::string v = value();
      char* end = nullptr;
      o.speed = std::strtod(v.c_str(), &end);
      if (v.empty() || *end || !(o.speed >= 0) || o.speed > 1000) Usage("bad speed '" + v + "'");
    } else if (a == "--baud") o.baud = ParseLong(value(), "baud rate", 1, 10000000);
    else if (a == "--guard") o.guard = ParseLong(value(), "guard time", 0, 3600000);
    else if (a == "--echo") o.echo = true;
    else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else Usage("unknown option " + a);
  }
  return o;
}

void SplitHostPort(const std::string& text, std::string& host, int& port) {
  auto colon = text.rfind(':');
  std::string p = colon == std::string::npos ? text : text.substr(colon + 1);
  host = colon == std::string::npos ? "" : text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  port = static_cast<int>(ParseLong(p, "port", 0, 65535));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace modemsim;
  const Options opt = ParseOptions(argc, argv);

  // SIGTERM and SIGINT are taken only inside ppoll(), so a stop request can
  // never slip in between the check and the wait.
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Log log;
  if (!opt.log.empty() && !log.Open(opt.log)) {
    std::fprintf(stderr, "orvix-modem-sim: cannot write log %s: %s\n", opt.log.c_str(), strerror(errno));
    return 1;
  }

  Scenario scenario;
  try {
    scenario = opt.scenario.empty() ? DefaultScenario() : LoadScenario(opt.scenario);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvix-modem-sim: %s\n", e.what());
    return 1;
  }

  Modem modem(scenario, opt.speed, log);
  FaultSet faults(scenario.faults);
  Session session(modem, faults, log, SessionOptions{opt.guard, opt.baud, opt.echo});
  std::unique_ptr<Transport> transport;
  std::string device;
  try {
    if (opt.network) {
      std::string host;
      int port = 0;
      SplitHostPort(opt.listen, host, port);
      auto server = std::make_unique<Rfc2217Server>(session, modem, log, host, port);
      device = server->Url();
      transport = std::move(server);
    } else {
      auto pty = std::make_unique<PtyTransport>(session, log, opt.link);
      device = pty->SlavePath();
      transport = std::move(pty);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvix-modem-sim: %s\n", e.what());
    return 1;
  }
  session.SetLink(transport.get());
  std::printf("%s\n", device.c_str());
  std::fflush(stdout);
  log.Event("START", device + " messages=" + std::to_string(scenario.messages.size()) +
                         " faults=" + std::to_string(scenario.faults.size()));

  std::vector<pollfd> fds;
  while (!g_stop) {
    session.Run();
    fds.clear();
    transport->AddPollFds(fds);
    timespec timeout{};
    timespec* wait = nullptr;  // nothing due: sleep until input or a signal
    if (auto due = session.NextDue()) {
      auto left = std::max(*due - Clock::now(), Clock::duration::zero());
      auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
      timeout.tv_nsec = static_cast<long>(ns % 1000000000);
      wait = &timeout;
    }
    int n = ppoll(fds.data(), fds.size(), wait, &waitMask);
    if (n < 0) {
      if (errno == EINTR) continue;
      log.Event("ERROR", std::string("poll: ") + strerror(errno));
      break;
    }
    if (n > 0) transport->HandlePoll(fds);
  }
  log.Event("EXIT", g_stop ? "signal" : "error");
  session.SetLink(nullptr);
  transport.reset();
  return g_stop ? 0 : 1;
}

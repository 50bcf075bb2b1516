// Soak: many start-ups of the main window and many port opens in one
// process, printing resident memory, open descriptors and threads along the
// way, so that a leak shows as a trend.
//
//   soak_bench [--startups N] [--opens N] [--every N]
//
// A start-up is what the program does from its start to its end: create the
// window (open the port, set up self mode, read the store), close it (set up
// again, release the port) and destroy it. A port open is OpenPort, RTS, DTR,
// DSR, one command and ClosePort on one channel, over the network port and
// over a pty. Against the modem emulator; no box may appear.

#include <dirent.h>

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/comm_port.h"
#include "app/form_main.h"
#include "tests/common/modem_sim.h"
#include "tests/common/scripted_message_boxes.h"

namespace {

using orvix::test::ModemSim;
using Clock = std::chrono::steady_clock;

const char* const kStore =
    "clock running 3 0 0\nwelcome 4\nmessage voice 12 0 9 12\nmessage fax 2 1 10 3\nmessage voice 3 2 8 45\n";

// One value of /proc/self/status in kB (VmRSS, VmHWM) or as a count (Threads).
long Status(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string word;
  while (in >> word) {
    if (word == key + ":") {
      long value = 0;
      in >> value;
      return value;
    }
    in.ignore(1 << 16, '\n');
  }
  return -1;
}

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (const dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
    --n;  // the one opendir holds
  }
  return n;
}

struct TSample {
  int Done;
  long RssKb, Threads;
  int Fds;
};

// Runs `once` n times and samples after the first and every `every`-th.
std::vector<TSample> Soak(const char* what, int n, int every, const std::function<bool()>& once, int& failures) {
  std::vector<TSample> samples;
  std::printf("%s: %d\n%8s %10s %8s %8s\n", what, n, "done", "RSS kB", "fds", "threads");
  const auto start = Clock::now();
  for (int i = 1; i <= n; ++i) {
    if (!once()) ++failures;
    if (i == 1 || i % every == 0 || i == n) {
      samples.push_back({i, Status("VmRSS"), Status("Threads"), OpenDescriptors()});
      const TSample& s = samples.back();
      std::printf("%8d %10ld %8d %8ld\n", s.Done, s.RssKb, s.Fds, s.Threads);
      std::fflush(stdout);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const TSample& first = samples.front();
  const TSample& last = samples.back();
  std::printf("%s: %.0f s, failures %d; from the first to the last: RSS %+ld kB, fds %+d, threads %+ld\n\n", what,
              seconds, failures, last.RssKb - first.RssKb, last.Fds - first.Fds, last.Threads - first.Threads);
  return samples;
}

}  // namespace

int main(int argc, char** argv) {
  int startups = 200, opens = 400, every = 25;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const int value = std::atoi(argv[i + 1]);
    if (option == "--startups") startups = value;
    else if (option == "--opens") opens = value;
    else if (option == "--every") every = value > 0 ? value : 1;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ScriptedMessageBoxes boxes;
  std::printf("start: RSS %ld kB, fds %d, threads %ld\n\n", Status("VmRSS"), OpenDescriptors(), Status("Threads"));

  int failures = 0;
  {
    ModemSim modem({"--listen", "127.0.0.1:0"}, kStore);
    QTemporaryDir dir;
    const std::string ini = dir.filePath("OrvixManager.ini").toStdString();
    std::ofstream(ini) << "[General]\nDeviceName=" << modem.Device() << "\n[ClockReset]\nDate=2025,3,14\nTime=9,5\n";
    Soak("start-ups of the window", startups, every, [&] {
      const std::size_t shown = boxes.Requests.size();
      TFormMain form({}, ini);
      form.close();
      return form.Closed() && boxes.Requests.size() == shown && form.Summary.MsgCount == 3;
    }, failures);
  }

  for (const bool network : {true, false}) {
    ModemSim modem(network ? std::vector<std::string>{"--listen", "127.0.0.1:0"} : std::vector<std::string>{},
                   std::string(kStore) + "selfmode on\n");
    TCommPort port;
    port.SetDeviceName(modem.Device());
    Soak(network ? "port opens over the network" : "port opens over a pty", opens, 2 * every, [&] {
      const std::size_t shown = boxes.Requests.size();
      try {
        port.OpenPort();
        if (network) {
          port.SetRTS(true);
          port.SetDTR(true);
        }
        // A pty has no modem lines: DSR reads off there.
        const bool dsr = port.ModemSignal(2);
        port.Command("AT+MCS?", 1000);
        const bool answered = port.Response() == "1";
        port.ClosePort();
        port.Close();
        return dsr == network && answered && boxes.Requests.size() == shown;
      } catch (const std::exception&) {
        return false;
      }
    }, failures);
  }
  std::printf("end: RSS %ld kB (peak %ld kB), fds %d, threads %ld, failures %d\n", Status("VmRSS"), Status("VmHWM"),
              OpenDescriptors(), Status("Threads"), failures);
  return failures == 0 ? 0 : 1;
}

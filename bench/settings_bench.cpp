// Start-up with a large settings file: what a file of blank lines or of
// comment lines just under the size limit adds to the main window's start-up,
// against a file of the usual few lines.
//
//   settings_bench [--runs N] [--megabytes M] [--modem messages|empty]
//
// A start-up is the window's creation: read the serial settings, connect to
// the modem emulator, set it up, read the store (and with it the clock
// reference, or reset the clock and write the reference), show the window.
// Each runs in a child process of its own, so that its peak resident memory
// (reset when the application object is made) is its own; the
// figures are medians of N runs. Two modems: one
// holding messages with its clock running (the file is read) and an empty
// one (the clock is reset: the file is read and rewritten).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/form_main.h"
#include "tests/common/modem_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TRun {
  double Ms = 0;
  long PeakKb = 0;
  bool Ok = false;
};

// The settings: the device, then `filler` repeated up to `bytes`, then the
// clock reference, the section the refresh has to find at the very end.
void WriteSettings(const std::string& file, const std::string& device, const std::string& filler,
                   std::size_t bytes) {
  const std::string head = "[General]\nDeviceName=" + device + "\nBaudRate=9600\n\n";
  const std::string tail = "[ClockReset]\nDate=2026,12,7\nTime=9,5\n";
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << head;
  // Written a piece at a time: memory the parent keeps would count in every
  // child's resident set.
  if (!filler.empty()) {
    std::string piece;
    while (piece.size() + filler.size() <= 65536) piece += filler;
    std::size_t size = head.size();
    for (; size + piece.size() + tail.size() <= bytes; size += piece.size()) out << piece;
    for (; size + filler.size() + tail.size() <= bytes; size += filler.size()) out << filler;
  }
  out << tail;
}

// One start-up in a child process.
TRun StartUp(int argc, char** argv, const std::string& file, int expectedMessages) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    alarm(600);  // a start-up that never ends must not stall the benchmark
    // The offscreen platform's notes would break up the table.
    if (const int null = open("/dev/null", O_WRONLY); null >= 0) dup2(null, 2);
    QApplication app(argc, argv);
    // The peak from here on: the start-up's, not the set-up's.
    std::ofstream("/proc/self/clear_refs") << "5";
    const auto start = Clock::now();
    TRun run;
    {
      TFormMain form({}, file);
      run.Ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      run.Ok = form.isVisible() && form.Summary.MsgCount == expectedMessages;
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);  // ru_maxrss: the peak that clear_refs reset
    run.PeakKb = usage.ru_maxrss;
    if (write(fds[1], &run, sizeof run) != sizeof run) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  TRun run;
  if (read(fds[0], &run, sizeof run) != sizeof run) run = {};
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return run;
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  double megabytes = 16;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    else if (option == "--megabytes") megabytes = std::atof(argv[i + 1]);
    else if (option == "--modem") only = argv[i + 1];
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // MaxProfileFileSize is 16 MiB; "16 MB" is a file just under it.
  const auto bytes = static_cast<std::size_t>(megabytes * (1 << 20)) - 1;

  struct TFile {
    const char* Name;
    std::string Filler;
  } files[] = {{"usual file", ""}, {"blank lines", "\n"}, {"comment lines", "; a comment line of the usual length\n"}};
  struct TModem {
    const char* Key;
    const char* Name;
    const char* Scenario;
    int Messages;
  } modems[] = {
      {"messages", "messages, clock running", "clock running 3 0 0\nmessage voice 12 0 9 12\nmessage fax 2 1 10 3\n", 2},
      {"empty", "empty: clock reset, file written", "clock running 3 0 0\n", 0}};

  QTemporaryDir dir;
  const std::string file = dir.filePath("OrvixManager.ini").toStdString();
  std::printf("%d runs each, large files %.1f MB, medians; peak RSS from the window's creation on\n\n", runs,
              megabytes);
  std::printf("%-34s %-14s %12s %14s %12s %16s\n", "modem", "file", "start-up", "vs usual", "peak RSS", "vs usual");
  int failures = 0;
  for (const TModem& modem : modems) {
    if (!only.empty() && only != modem.Key) continue;
    orvix::test::ModemSim emulator({"--listen", "127.0.0.1:0"}, modem.Scenario);
    double usualMs = 0;
    long usualKb = 0;
    for (const TFile& f : files) {
      std::vector<double> ms;
      std::vector<long> kb;
      for (int r = 0; r < runs; ++r) {
        WriteSettings(file, emulator.Device(), f.Filler, bytes);
        const TRun run = StartUp(argc, argv, file, modem.Messages);
        if (!run.Ok) ++failures;
        ms.push_back(run.Ms);
        kb.push_back(run.PeakKb);
      }
      const double m = Median(ms);
      const long k = Median(kb);
      if (f.Filler.empty()) usualMs = m, usualKb = k;
      std::printf("%-34s %-14s %9.0f ms %+11.0f ms %9.1f MB %+13.1f MB   (x%.2f)\n", modem.Name, f.Name, m,
                  m - usualMs, k / 1024.0, (k - usualKb) / 1024.0, usualMs > 0 ? m / usualMs : 1.0);
      std::fflush(stdout);
    }
  }
  if (failures) std::printf("\n%d start-ups did not end as expected\n", failures);
  return failures == 0 ? 0 : 1;
}

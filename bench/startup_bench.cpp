// Start-up to the window's first expose: the program against the modem
// emulator holding 0, 7, 50 and 200 messages, side by side with a bare Qt
// window of the same size started the same way, in the same run.
//
//   xvfb-run -a build/bench/startup_bench [--runs N] [--program PATH]
//
// Each start is an exec of a fresh process; the clock runs from just before
// the fork to the moment the process handles its window's first Expose event
// (Qt's xcb platform reports each event it handles under the logging rule
// qt.qpa.events, read from the process's standard error). The process is then
// killed. The bare window is this program run again with --bare: a
// QApplication, a 390 x 172 widget, show, exec. The first start of each size
// also waits for the whole list: the time until the emulator has answered
// the last command of the start-up. Figures are medians of N starts.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/modem_sim.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int BareWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Bare window");
  window.setFixedSize(390, 172);
  window.show();
  return app.exec();
}

std::string Scenario(int messages) {
  std::string s = "clock running 3 0 0\nwelcome 5\n";
  for (int i = 0; i < messages; ++i)
    s += std::string(i % 3 == 1 ? "message fax 2 " : "message voice 14 ") + std::to_string(i % 3) + " " +
         std::to_string(8 + i % 12) + " " + std::to_string(i % 60) + "\n";
  return s;
}

struct TStart {
  std::optional<double> ExposeMs;
  std::optional<double> ListMs;  // only when asked for
};

// Execs `argv` with the settings file, waits for its first Expose; with
// `listDone` also for that, then kills it.
TStart Start(const std::vector<std::string>& args, const std::string& settings,
             const std::function<bool()>& listDone) {
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) return {};
  const auto begin = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], 2);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("QT_LOGGING_RULES", "qt.qpa.events=true", 1);
    unsetenv("QT_MESSAGE_PATTERN");
    if (!settings.empty()) setenv("ORVIX_SETTINGS", settings.c_str(), 1);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(err[1]);
  TStart start;
  std::string seen;
  const auto deadline = begin + 30s;
  while (!start.ExposeMs && Clock::now() < deadline) {
    pollfd p{err[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[4096];
    const ssize_t n = read(err[0], buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, static_cast<std::size_t>(n));
    if (seen.find("XCB_EXPOSE") != std::string::npos)
      start.ExposeMs = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    // Only the unfinished last line is needed for the next search.
    if (const auto nl = seen.rfind('\n'); nl != std::string::npos) seen.erase(0, nl + 1);
  }
  if (listDone) {
    // The stderr pipe must not fill up while the list is read.
    std::thread drain([fd = err[0]] {
      char buf[4096];
      while (read(fd, buf, sizeof buf) > 0) {
      }
    });
    while (!listDone() && Clock::now() < begin + 120s) std::this_thread::sleep_for(20ms);
    if (listDone()) start.ListMs = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    drain.join();
  } else {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  close(err[0]);
  return start;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The last command line of a start-up against a modem with `messages`
// messages: the last message's reading, or the clock reset of an empty one.
std::string LastCommand(int messages) {
  if (messages == 0) return "AT+MCC";
  char command[32];
  std::snprintf(command, sizeof command, "AT+MSR=%3.3d", messages);
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) return BareWindow(argc, argv);
  int runs = 5;
  std::string program;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
      program = argv[++i];
    else {
      std::fprintf(stderr, "usage: %s [--runs N] [--program PATH]\n", argv[0]);
      return 2;
    }
  }
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "startup_bench needs an X display: run it under xvfb-run -a\n");
    return 2;
  }
  if (program.empty()) {
    // build/bench/startup_bench -> build/app/OrvixManager
    std::string self = argv[0];
    program = self.substr(0, self.rfind('/') + 1) + "../app/OrvixManager";
  }
  char self[4096];
  const ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
  if (len <= 0) return 1;
  self[len] = 0;

  std::printf("exec to first expose, median of %d starts (ms)\n\n", runs);
  std::printf("| messages | bare Qt window | OrvixManager | difference | whole list read |\n");
  std::printf("|---|---|---|---|---|\n");
  for (int messages : {0, 7, 50, 200}) {
    orvix::test::ModemSim modem({"--listen", "127.0.0.1:0"}, Scenario(messages));
    char dir[] = "/tmp/orvix-startup-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string ini = std::string(dir) + "/OrvixManager.ini";
    std::vector<double> bare, app;
    std::optional<double> list;
    for (int r = 0; r < runs; ++r) {
      std::ofstream(ini, std::ios::trunc) << "[General]\nDeviceName=" << modem.Device()
                                          << "\n[ClockReset]\nDate=2025,3,14\nTime=9,5\n";
      if (auto b = Start({self, "--bare"}, "", {}).ExposeMs) bare.push_back(*b);
      std::function<bool()> listDone;
      if (r == 0) {
        listDone = [&modem, last = " RX " + LastCommand(messages)] {
          using orvix::test::LogTime;
          const auto rx = modem.LogEvents("RX");
          if (rx.empty() || !rx.back().ends_with(last)) return false;
          const auto tx = modem.LogEvents("TX");
          return !tx.empty() && LogTime(tx.back()) >= LogTime(rx.back());
        };
      }
      const TStart s = Start({program}, ini, listDone);
      if (s.ExposeMs) app.push_back(*s.ExposeMs);
      if (s.ListMs) list = s.ListMs;
    }
    std::remove(ini.c_str());
    rmdir(dir);
    const double b = Median(bare), a = Median(app);
    std::printf("| %d | %.0f | %.0f | %+.0f | %s |\n", messages, b, a, a - b,
                list ? (std::to_string(static_cast<long>(*list)) + " ms").c_str() : "-");
    std::fflush(stdout);
  }
  return 0;
}

#include "tests/common/modem_sim.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "tests/common/fd_io.h"
#include "tests/common/files.h"
#include "tests/common/wait.h"

extern char** environ;

namespace orvix::test {

namespace {

std::string MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string dir = std::string(base && *base ? base : "/tmp") + "/orvix-sim-XXXXXX";
  if (!mkdtemp(dir.data())) throw std::runtime_error("mkdtemp failed: " + std::string(strerror(errno)));
  return dir;
}

// The emulator's first output line.
std::string ReadFirstLine(int fd) {
  const TFdRead got = ReadFor(fd, 15s, [](const std::string& s) { return s.find('\n') != std::string::npos; });
  const auto end = got.data.find('\n');
  if (end != std::string::npos) return got.data.substr(0, end);
  throw std::runtime_error(got.ended ? "modem emulator ended before printing its device line"
                                     : "modem emulator printed no device line in time");
}

}  // namespace

ModemSim::ModemSim(std::vector<std::string> args, const std::string& scenarioText) {
  dir_ = MakeTempDir();
  logPath_ = dir_ + "/modem.log";
  std::vector<std::string> argv{ORVIX_MODEM_SIM, "--log", logPath_};
  if (!scenarioText.empty()) {
    scenarioPath_ = dir_ + "/scenario.scn";
    WriteFile(scenarioPath_, scenarioText);
    argv.push_back("--scenario");
    argv.push_back(scenarioPath_);
  }
  argv.insert(argv.end(), args.begin(), args.end());
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  // The test process may have blocked or ignored signals (threads of Qt do);
  // the emulator must start with the default dispositions.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGTERM, SIGINT, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  // No leak checker in the emulator, a test tool: its exit scan has stalled for over 20 s in the sanitizer
  // build, which reads as an emulator that does not stop. The program's leaks are checked in the tests.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0) env.emplace_back(*e);
  const char* asan = std::getenv("ASAN_OPTIONS");
  env.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") + "detect_leaks=0");
  std::vector<char*> cenv;
  for (auto& e : env) cenv.push_back(e.data());
  cenv.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, &attr, cargv.data(), cenv.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(pipeFds[1]);
  if (rc != 0) pid_ = -1;  // nothing to stop
  try {
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + strerror(rc));
    device_ = ReadFirstLine(pipeFds[0]);
  } catch (...) {
    close(pipeFds[0]);
    Stop();
    std::filesystem::remove_all(dir_);
    throw;
  }
  close(pipeFds[0]);
}

ModemSim::~ModemSim() {
  Stop();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

int ModemSim::Port() const {
  auto colon = device_.rfind(':');
  if (device_.rfind("rfc2217://", 0) != 0 || colon == std::string::npos) return 0;
  return std::atoi(device_.c_str() + colon + 1);
}

std::vector<std::string> ModemSim::LogLines() const {
  const std::string all = ReadFile(logPath_);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(all.substr(start, nl - start));
  return lines;
}

std::vector<std::string> ModemSim::LogEvents(const std::string& kind) const {
  std::vector<std::string> out;
  for (auto& line : LogLines()) {
    auto sp = line.find(' ');
    if (sp == std::string::npos) continue;
    auto rest = line.substr(sp + 1);
    if (rest == kind || rest.rfind(kind + " ", 0) == 0) out.push_back(line);
  }
  return out;
}

std::optional<std::string> ModemSim::WaitForLog(const std::string& needle, std::chrono::milliseconds timeout,
                                                size_t from) const {
  return WaitForLog([&](const std::string& l) { return l.find(needle) != std::string::npos; }, timeout, from);
}

std::optional<std::string> ModemSim::WaitForLog(const std::function<bool(const std::string&)>& match,
                                                std::chrono::milliseconds timeout, size_t from) const {
  std::optional<std::string> found;
  auto seen = [&] {
    const auto lines = LogLines();
    for (size_t i = from; i < lines.size() && !found; ++i)
      if (match(lines[i])) found = lines[i];
    return found.has_value();
  };
  WaitUntil(seen, timeout, TEvents::Left);
  return found;
}

int ModemSim::Stop() {
  if (pid_ <= 0) return -1;
  int status = 0;
  kill(pid_, SIGTERM);
  kill(pid_, SIGCONT);  // a stopped emulator takes SIGTERM only once it runs
  // The emulator ends within milliseconds; the margin is for a busy machine.
  auto ended = [&] {
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    return r == pid_ || (r < 0 && errno != EINTR);
  };
  if (!WaitUntil(ended, 20s, TEvents::Left)) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) continue;
  }
  pid_ = -1;
  return status;
}

long LogTime(const std::string& line) { return std::strtol(line.c_str(), nullptr, 10); }

}  // namespace orvix::test

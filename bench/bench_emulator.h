#pragma once

// The modem emulator as a child process of a benchmark: its first output
// line names the device; its log can be read back by event kind.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class Emulator {
 public:
  Emulator(const std::vector<std::string>& extraArgs, long baud, const std::string& scenario) {
    char dirTemplate[] = "/tmp/orvix-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) throw std::runtime_error("mkdtemp failed");
    dir_ = dirTemplate;
    logPath_ = dir_ + "/sim.log";
    scenarioPath_ = dir_ + "/bench.scn";
    std::ofstream(scenarioPath_) << scenario;

    std::vector<std::string> args = {ORVIX_MODEM_SIM, "--log", logPath_, "--scenario", scenarioPath_,
                                     "--speed", "1"};
    if (baud > 0) {
      args.push_back("--baud");
      args.push_back(std::to_string(baud));
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      dup2(out[1], 1);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') device_ += c;
    close(out[0]);
    if (device_.empty()) throw std::runtime_error(std::string("the emulator did not start: ") + ORVIX_MODEM_SIM);
  }

  ~Emulator() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::remove(logPath_.c_str());
    std::remove(scenarioPath_.c_str());
    rmdir(dir_.c_str());
  }

  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  const std::string& Device() const { return device_; }

  // Log lines "<ms> <KIND> <details>" of one kind, as (ms, details).
  std::vector<std::pair<long, std::string>> Events(const std::string& kind) const {
    std::vector<std::pair<long, std::string>> found;
    std::ifstream log(logPath_);
    std::string line;
    while (std::getline(log, line)) {
      std::istringstream words(line);
      long ms = 0;
      std::string k;
      if (!(words >> ms >> k) || k != kind) continue;
      std::string details;
      std::getline(words, details);
      if (!details.empty() && details[0] == ' ') details.erase(0, 1);
      found.emplace_back(ms, details);
    }
    return found;
  }

 private:
  std::string dir_, logPath_, scenarioPath_, device_;
  pid_t pid_ = -1;
};

}  // namespace bench

#pragma once

// The modem emulator (orvix-modem-sim) as a test's child process, on a pty or (--listen) on TCP; its scenario
// text and log in temporary files, which go with the emulator when the object does.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvix::test {

class ModemSim {
 public:
  // Throws std::runtime_error when the emulator cannot start or prints no device line in a generous time.
  explicit ModemSim(std::vector<std::string> args = {}, const std::string& scenarioText = {});
  ~ModemSim();
  ModemSim(const ModemSim&) = delete;
  ModemSim& operator=(const ModemSim&) = delete;

  // The first line the emulator printed: the pty slave path or the rfc2217:// URL.
  const std::string& Device() const { return device_; }
  // TCP port of a network emulator (0 for a pty one).
  int Port() const;
  pid_t Pid() const { return pid_; }

  // Complete lines of the log so far (a line still being written is left out).
  std::vector<std::string> LogLines() const;
  // Log lines whose event kind (the second word) is `kind`, e.g. "RX", "TX", "GUARD-VIOLATION".
  std::vector<std::string> LogEvents(const std::string& kind) const;

  // Waits until a log line contains `needle` (or satisfies `match`); returns it, or
  // nothing after the time-out. `from` skips the first lines (count of lines seen before).
  std::optional<std::string> WaitForLog(const std::string& needle,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(10),
                                        size_t from = 0) const;
  std::optional<std::string> WaitForLog(const std::function<bool(const std::string&)>& match,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(10),
                                        size_t from = 0) const;

  // Stops the emulator now (SIGTERM, then SIGKILL); its wait status, or -1 if it was already stopped.
  int Stop();

 private:
  std::string dir_, logPath_, scenarioPath_, device_;
  pid_t pid_ = -1;
};

// The monotonic time stamp (ms since the emulator started) at the front of a log line.
long LogTime(const std::string& line);

}  // namespace orvix::test

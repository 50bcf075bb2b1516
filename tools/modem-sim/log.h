#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace modemsim {

using Clock = std::chrono::steady_clock;

// One event per line: "<ms> <KIND> <details>", ms counted on the monotonic
// clock from the start of the program. Each line goes out with a single
// write(), so a reader of the file never sees half an event.
class Log {
 public:
  Log();
  ~Log();
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  // Appends to `path` (truncated first); without a path events go to stderr.
  bool Open(const std::string& path);

  void Event(std::string_view kind, std::string_view details = {});
  void Event(Clock::time_point when, std::string_view kind, std::string_view details);
  long Ms(Clock::time_point when) const;

 private:
  Clock::time_point start_;
  int fd_ = 2;
};

// Printable form of raw bytes: \r, \n, \\ and \xNN for the rest outside 0x20..0x7e.
std::string Escape(std::string_view bytes);

}  // namespace modemsim

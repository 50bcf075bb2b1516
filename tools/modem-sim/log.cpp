#include "log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace modemsim {

Log::Log() : start_(Clock::now()) {}

Log::~Log() {
  if (fd_ > 2) close(fd_);
}

bool Log::Open(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (fd_ > 2) close(fd_);
  fd_ = fd;
  return true;
}

long Log::Ms(Clock::time_point when) const {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(when - start_).count());
}

void Log::Event(std::string_view kind, std::string_view details) { Event(Clock::now(), kind, details); }

void Log::Event(Clock::time_point when, std::string_view kind, std::string_view details) {
  std::string line = std::to_string(Ms(when));
  line += ' ';
  line += kind;
  if (!details.empty()) {
    line += ' ';
    line += details;
  }
  line += '\n';
  const char* p = line.data();
  size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a log that cannot be written must not stop the modem
    p += n;
    left -= static_cast<size_t>(n);
  }
}

std::string Escape(std::string_view bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\\') out += "\\\\";
    else if (c >= 0x20 && c < 0x7f) out += static_cast<char>(c);
    else {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace modemsim

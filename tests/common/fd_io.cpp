#include "tests/common/fd_io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace orvix::test {

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 100);
    } else if (n < 0 && errno != EINTR) {
      return false;
    } else if (n > 0) {
      done += static_cast<size_t>(n);
    }
  }
  return true;
}

TFdRead ReadFor(int fd, std::chrono::milliseconds timeout, const std::function<bool(const std::string&)>& done) {
  using Clock = std::chrono::steady_clock;
  TFdRead got;
  const auto deadline = Clock::now() + timeout;
  while (!done(got.data)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(left));
    if (r <= 0) continue;  // interrupted or timed out: the deadline decides
    char buf[512];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      got.ended = true;
      break;
    }
    got.data.append(buf, static_cast<size_t>(n));
    ++got.reads;
  }
  return got;
}

}  // namespace orvix::test

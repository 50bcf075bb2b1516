#include "tests/common/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

PtyPair::PtyPair() {
  char name[256] = {};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
    throw std::system_error(errno, std::generic_category(), "openpty");
  slaveName_ = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  termios t{};
  if (tcgetattr(slave_, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
  }
}

PtyPair::~PtyPair() {
  CloseMaster();
  CloseSlave();
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

void PtyPair::CloseSlave() {
  if (slave_ >= 0) close(slave_);
  slave_ = -1;
}

bool PtyPair::WriteMaster(const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(master_, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 100);
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

namespace {
template <typename Done>
std::string ReadWhile(int fd, std::chrono::milliseconds timeout, Done done) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done(got)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    int r = poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    char buf[512];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}
}  // namespace

std::string PtyPair::ReadMaster(size_t count, std::chrono::milliseconds timeout) {
  return ReadWhile(master_, timeout, [count](const std::string& s) { return s.size() >= count; });
}

std::string PtyPair::ReadMasterUntil(const std::string& pattern, std::chrono::milliseconds timeout) {
  return ReadWhile(master_, timeout,
                   [&pattern](const std::string& s) { return s.find(pattern) != std::string::npos; });
}

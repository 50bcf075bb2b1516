#include "tests/common/pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "tests/common/fd_io.h"

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

PtyPair::~PtyPair() { CloseMaster(); CloseSlave(); }

void PtyPair::CloseMaster() { close(std::exchange(master_, -1)); }

void PtyPair::CloseSlave() { close(std::exchange(slave_, -1)); }

bool PtyPair::WriteMaster(const std::string& data) { return orvix::test::WriteAll(master_, data); }

std::string PtyPair::ReadMaster(size_t count, std::chrono::milliseconds timeout) {
  return orvix::test::ReadFor(master_, timeout, [count](const std::string& s) { return s.size() >= count; }).data;
}

#include "tests/common/pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

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

bool PtyPair::WriteMaster(const std::string& data) { return orvix::test::WriteAll(master_, data); }

std::string PtyPair::ReadMaster(size_t count, std::chrono::milliseconds timeout) {
  return orvix::test::ReadFor(master_, timeout, [count](const std::string& s) { return s.size() >= count; }).data;
}

std::string PtyPair::ReadMasterUntil(const std::string& pattern, std::chrono::milliseconds timeout) {
  auto seen = [&](const std::string& s) { return s.find(pattern) != std::string::npos; };
  return orvix::test::ReadFor(master_, timeout, seen).data;
}

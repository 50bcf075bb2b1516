#include "serial/os_serial.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <system_error>

TStopSignal::TStopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

TStopSignal::~TStopSignal() {
  if (fd_ >= 0) close(fd_);
}

// Manual reset: the counter is never read back, so the descriptor stays readable.
void TStopSignal::Set() {
  uint64_t one = 1;
  ssize_t n;
  do n = write(fd_, &one, sizeof one);
  while (n < 0 && errno == EINTR);
}

bool TStopSignal::IsSet() const {
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

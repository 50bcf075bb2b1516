#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "serial/posix/posix_serial_device.h"

uint32_t TPosixSerialDevice::QueuedLocked() {
  int n = 0;
  if (ioctl(fd_, FIONREAD, &n) != 0 || n < 0) n = 0;
  return static_cast<uint32_t>(n) + static_cast<uint32_t>(probed_.size());
}

int TPosixSerialDevice::Read(void* buffer, int count) {
  if (count <= 0) return count == 0 ? 0 : -1;
  std::lock_guard lock(rxLock_);
  auto* out = static_cast<char*>(buffer);
  int got = static_cast<int>(std::min<size_t>(probed_.size(), static_cast<size_t>(count)));
  std::memcpy(out, probed_.data(), static_cast<size_t>(got));
  probed_.erase(0, static_cast<size_t>(got));

  int error = 0;
  while (got < count) {
    ssize_t n = read(fd_, out + got, static_cast<size_t>(count - got));
    if (n > 0) {
      got += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    // End of file on a tty is a hang-up.
    error = n == 0 ? EIO : errno;
    if (IsGoneErrno(error)) gone_ = true;
    break;
  }
  knownQueued_ -= std::min<uint32_t>(knownQueued_, static_cast<uint32_t>(got));
  if (got == 0 && error != 0) {
    lastError_ = error;
    return -1;
  }
  return got;
}

// Waits for room at most as long as the write time-outs allow, so a full
// output queue cannot drop the tail of a command silently.
int TPosixSerialDevice::Write(const void* buffer, int count) {
  if (count < 0) return -1;
  const auto* in = static_cast<const char*>(buffer);
  uint64_t limitMs = uint64_t{timeouts_.WriteTotalTimeoutMultiplier} * static_cast<uint64_t>(count) +
                     timeouts_.WriteTotalTimeoutConstant;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  int done = 0;
  int error = 0;
  while (done < count) {
    ssize_t n = write(fd_, in + done, static_cast<size_t>(count - done));
    if (n > 0) {
      done += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        error = ETIMEDOUT;
        break;
      }
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 1000)));
      continue;
    }
    error = n == 0 ? EIO : errno;
    if (IsGoneErrno(error)) gone_ = true;
    break;
  }
  if (done > 0) txPending_ = true;
  if (done == 0 && count > 0) {
    lastError_ = error;
    return -1;
  }
  return done;
}

bool TPosixSerialDevice::PurgeComm(uint32_t flags) {
  int queue = -1;
  if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR))
    queue = TCIOFLUSH;
  else if (flags & PURGE_RXCLEAR)
    queue = TCIFLUSH;
  else if (flags & PURGE_TXCLEAR)
    queue = TCOFLUSH;
  if (queue < 0) return true;  // no transfer is ever left pending to abort
  std::lock_guard lock(rxLock_);
  if (flags & PURGE_RXCLEAR) {
    probed_.clear();
    knownQueued_ = 0;
  }
  if (tcflush(fd_, queue) != 0) return Fail(errno);
  return true;
}

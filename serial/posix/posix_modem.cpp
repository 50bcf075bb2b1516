#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "serial/posix/posix_serial_device.h"

bool TPosixSerialDevice::GetCommModemStatus(uint32_t& status) {
  int bits = 0;
  if (ioctl(fd_, TIOCMGET, &bits) != 0) return Fail(errno);
  status = 0;
  if (bits & TIOCM_CTS) status |= MS_CTS_ON;
  if (bits & TIOCM_DSR) status |= MS_DSR_ON;
  if (bits & TIOCM_RNG) status |= MS_RING_ON;
  if (bits & TIOCM_CAR) status |= MS_RLSD_ON;
  return true;
}

bool TPosixSerialDevice::EscapeCommFunction(uint32_t function) {
  constexpr uint32_t kSetXoff = 1, kSetXon = 2, kSetBreak = 8, kClrBreak = 9;
  int bits = 0;
  int r;
  switch (function) {
    case SETRTS: bits = TIOCM_RTS; r = ioctl(fd_, TIOCMBIS, &bits); break;
    case CLRRTS: bits = TIOCM_RTS; r = ioctl(fd_, TIOCMBIC, &bits); break;
    case SETDTR: bits = TIOCM_DTR; r = ioctl(fd_, TIOCMBIS, &bits); break;
    case CLRDTR: bits = TIOCM_DTR; r = ioctl(fd_, TIOCMBIC, &bits); break;
    case kSetXoff: r = tcflow(fd_, TCOOFF); break;
    case kSetXon: r = tcflow(fd_, TCOON); break;
    case kSetBreak: r = ioctl(fd_, TIOCSBRK); break;
    case kClrBreak: r = ioctl(fd_, TIOCCBRK); break;
    default: return Fail(EINVAL);
  }
  if (r != 0) {
    // A device without modem lines (a pty, some virtual ports) has no DTR or
    // RTS to move: that is not a failure of the port. The missing lines show
    // up where they matter, as DSR off in the modem status.
    const bool lineControl = function >= SETRTS && function <= CLRDTR;
    if (lineControl && (errno == ENOTTY || errno == EINVAL)) return true;
    return Fail(errno);
  }
  return true;
}

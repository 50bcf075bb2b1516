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
  if (r != 0) return Fail(errno);
  return true;
}

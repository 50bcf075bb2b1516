#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "serial/line_limits.h"
#include "serial/posix/line_settings.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/posix/termios2_rate.h"

namespace {

constexpr tcflag_t kCflagMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kIflagMask = INPCK | IXON | IXOFF;

}  // namespace

bool LineSettingsValid(const TDCB& d) {
  if (!LineSettingsPossible(d)) return false;
  if ((d.Flags & dcb::fErrorChar) && d.ErrorChar != 0) return false;
  if ((d.Flags & (dcb::fOutX | dcb::fInX)) && d.XonChar == d.XoffChar) return false;
  return true;
}

namespace {

bool WantsCrtscts(const TDCB& d) {
  return (d.Flags & dcb::fOutxCtsFlow) || dcb::RtsControl(d.Flags) == dcb::RTS_CONTROL_HANDSHAKE;
}

tcflag_t SizeFlag(uint8_t size) {
  switch (size) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

}  // namespace

void EncodeLineSettings(const TDCB& d, termios& t) {
  t.c_cflag &= ~kCflagMask;
  t.c_cflag |= SizeFlag(d.ByteSize);
  switch (d.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (d.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
  if (WantsCrtscts(d)) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~kIflagMask;
  if (d.Flags & dcb::fParity) t.c_iflag |= INPCK;
  if (d.Flags & dcb::fOutX) t.c_iflag |= IXON;
  if (d.Flags & dcb::fInX) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = static_cast<cc_t>(d.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(d.XoffChar);
}

bool SameLineSettings(const termios& a, const termios& b) {
  return (a.c_cflag & kCflagMask) == (b.c_cflag & kCflagMask) && (a.c_iflag & kIflagMask) == (b.c_iflag & kIflagMask) &&
         a.c_cc[VSTART] == b.c_cc[VSTART] && a.c_cc[VSTOP] == b.c_cc[VSTOP];
}

void DecodeLineSettings(const termios& t, uint32_t rate, TDCB& d) {
  d.BaudRate = rate;
  switch (t.c_cflag & CSIZE) {
    case CS5: d.ByteSize = 5; break;
    case CS6: d.ByteSize = 6; break;
    case CS7: d.ByteSize = 7; break;
    default: d.ByteSize = 8; break;
  }
  if (!(t.c_cflag & PARENB))
    d.Parity = NOPARITY;
  else if (t.c_cflag & CMSPAR)
    d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  else
    d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  if (!(t.c_cflag & CSTOPB))
    d.StopBits = ONESTOPBIT;
  else
    d.StopBits = d.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;

  d.Flags |= dcb::fBinary;
  auto setBit = [&d](uint32_t bit, bool on) { d.Flags = on ? (d.Flags | bit) : (d.Flags & ~bit); };
  setBit(dcb::fParity, t.c_iflag & INPCK);
  setBit(dcb::fOutX, t.c_iflag & IXON);
  setBit(dcb::fInX, t.c_iflag & IXOFF);
  // Someone else may have changed the device: termios wins for what it holds.
  if (bool crtscts = t.c_cflag & CRTSCTS; crtscts != WantsCrtscts(d)) {
    if (crtscts) {
      d.Flags |= dcb::fOutxCtsFlow;
    } else {
      d.Flags &= ~dcb::fOutxCtsFlow;
      if (dcb::RtsControl(d.Flags) == dcb::RTS_CONTROL_HANDSHAKE)
        d.Flags = (d.Flags & ~dcb::fRtsControlMask) | (dcb::RTS_CONTROL_ENABLE << dcb::fRtsControlShift);
    }
  }
  d.XonChar = static_cast<char>(t.c_cc[VSTART]);
  d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
}

bool TPosixSerialDevice::GetCommState(TDCB& out) {
  termios t{};
  uint32_t rate = 0;
  if (tcgetattr(fd_, &t) != 0 || !GetLineRate(fd_, rate)) return Fail(errno);
  TDCB d = dcb_;  // what termios cannot hold, as last set
  DecodeLineSettings(t, rate, d);
  out = d;
  return true;
}

bool TPosixSerialDevice::SetCommState(const TDCB& d) {
  if (!LineSettingsValid(d)) return Fail(EINVAL);
  termios before{};
  uint32_t rateBefore = 0;
  if (tcgetattr(fd_, &before) != 0 || !GetLineRate(fd_, rateBefore)) return Fail(errno);

  termios wanted = before;
  EncodeLineSettings(d, wanted);
  if (tcsetattr(fd_, TCSANOW, &wanted) != 0) return Fail(errno);
  if (!SetLineRate(fd_, d.BaudRate)) {
    int error = errno;
    tcsetattr(fd_, TCSANOW, &before);
    return Fail(error);
  }
  // Read back: catches a flag the driver dropped and a rate it rounded.
  termios got{};
  uint32_t rate = 0;
  if (tcgetattr(fd_, &got) != 0 || !GetLineRate(fd_, rate) || !SameLineSettings(got, wanted) || rate != d.BaudRate) {
    tcsetattr(fd_, TCSANOW, &before);
    SetLineRate(fd_, rateBefore);
    return Fail(EINVAL);
  }

  if (!ApplyModemLine(dcb::DtrControl(dcb_.Flags), dcb::DtrControl(d.Flags), TIOCM_DTR) ||
      !ApplyModemLine(dcb::RtsControl(dcb_.Flags), dcb::RtsControl(d.Flags), TIOCM_RTS))
    return false;
  dcb_ = d;
  return true;
}

// "enable" / "disable" put the line up or down when they change; handshake
// and toggle leave it to the driver (or to EscapeCommFunction).
bool TPosixSerialDevice::ApplyModemLine(uint32_t oldControl, uint32_t newControl, int line) {
  if (oldControl == newControl || !hasModemLines_) return true;
  unsigned long request;
  if (newControl == 1)
    request = TIOCMBIS;
  else if (newControl == 0)
    request = TIOCMBIC;
  else
    return true;
  int bits = line;
  if (ioctl(fd_, request, &bits) != 0) return Fail(errno);
  return true;
}

#include "serial/line_limits.h"

bool LineSettingsPossible(const TDCB& d) {
  if (d.ByteSize < 5 || d.ByteSize > 8) return false;
  if (d.Parity > SPACEPARITY || d.StopBits > TWOSTOPBITS) return false;
  if (d.StopBits == ONE5STOPBITS && d.ByteSize != 5) return false;
  if (d.StopBits == TWOSTOPBITS && d.ByteSize == 5) return false;
  if (d.BaudRate == 0) return false;
  if (d.Flags & (dcb::fOutxDsrFlow | dcb::fDsrSensitivity | dcb::fNull)) return false;
  return dcb::DtrControl(d.Flags) < dcb::DTR_CONTROL_HANDSHAKE;
}

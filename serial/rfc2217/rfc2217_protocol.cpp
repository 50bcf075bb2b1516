#include "serial/rfc2217/rfc2217_protocol.h"

#include "serial/line_limits.h"
#include "serial/rfc2217/telnet_codec.h"

using namespace rfc2217;

bool DcbToRfc2217(const TDCB& dcb, TRfc2217LineSettings& out) {
  if (!LineSettingsPossible(dcb)) return false;
  // The protocol cannot name the flow-control characters: the server's are DC1/DC3.
  const bool software = dcb.Flags & (dcb::fOutX | dcb::fInX);
  if (software && (dcb.XonChar != 17 || dcb.XoffChar != 19)) return false;
  TRfc2217LineSettings s;
  s.baudRate = dcb.BaudRate;
  s.dataSize = dcb.ByteSize;
  switch (dcb.Parity) {
    case NOPARITY: s.parity = PARITY_NONE; break;
    case ODDPARITY: s.parity = PARITY_ODD; break;
    case EVENPARITY: s.parity = PARITY_EVEN; break;
    case MARKPARITY: s.parity = PARITY_MARK; break;
    case SPACEPARITY: s.parity = PARITY_SPACE; break;
    default: return false;
  }
  switch (dcb.StopBits) {
    case ONESTOPBIT: s.stopSize = STOPSIZE_1; break;
    case ONE5STOPBITS: s.stopSize = STOPSIZE_15; break;
    case TWOSTOPBITS: s.stopSize = STOPSIZE_2; break;
    default: return false;
  }
  if (software)
    s.flowControl = CONTROL_FLOW_XONXOFF;
  else if ((dcb.Flags & dcb::fOutxCtsFlow) || dcb::RtsControl(dcb.Flags) == dcb::RTS_CONTROL_HANDSHAKE)
    s.flowControl = CONTROL_FLOW_HARDWARE;
  else
    s.flowControl = CONTROL_FLOW_NONE;
  out = s;
  return true;
}

std::string SettingValue(const TRfc2217LineSettings& s, uint8_t code) {
  auto byte = [](uint32_t v) { return std::string(1, static_cast<char>(v)); };
  switch (code) {
    case SET_BAUDRATE: return byte(s.baudRate >> 24) + byte(s.baudRate >> 16) + byte(s.baudRate >> 8) + byte(s.baudRate);
    case SET_DATASIZE: return byte(s.dataSize);
    case SET_PARITY: return byte(s.parity);
    case SET_STOPSIZE: return byte(s.stopSize);
    case SET_CONTROL: return byte(s.flowControl);
    default: return {};
  }
}

std::string EncodeLineSettings(const TRfc2217LineSettings& s) {
  std::string out;
  for (uint8_t code = SET_BAUDRATE; code <= SET_CONTROL; ++code)
    out += TelnetSubnegotiation(telnet::OPT_COM_PORT, std::string(1, static_cast<char>(code)) + SettingValue(s, code));
  return out;
}

TRfc2217Signals DecodeModemState(uint32_t previousStatus, uint8_t notify) {
  TRfc2217Signals r;
  r.status = notify & MODEM_LINES;
  const uint32_t changed = r.status ^ (previousStatus & MODEM_LINES);
  if ((changed & MS_CTS_ON) || (notify & MODEM_DELTA_CTS)) r.events |= EV_CTS;
  if ((changed & MS_DSR_ON) || (notify & MODEM_DELTA_DSR)) r.events |= EV_DSR;
  if ((changed & MS_RLSD_ON) || (notify & MODEM_DELTA_CD)) r.events |= EV_RLSD;
  // A ring is its rising edge, or a whole ring the server saw end between two
  // notifications.
  if (((changed & MS_RING_ON) && (r.status & MS_RING_ON)) || (notify & MODEM_RI_TRAILING)) r.events |= EV_RING;
  return r;
}

TRfc2217Signals DecodeLineState(uint8_t notify) {
  TRfc2217Signals r;
  if (notify & LINE_OVERRUN) r.errors |= CE_OVERRUN;
  if (notify & LINE_PARITY) r.errors |= CE_RXPARITY;
  if (notify & LINE_FRAMING) r.errors |= CE_FRAME;
  if (r.errors) r.events |= EV_ERR;
  if (notify & LINE_BREAK) {
    r.errors |= CE_BREAK;
    r.events |= EV_BREAK;
  }
  return r;
}

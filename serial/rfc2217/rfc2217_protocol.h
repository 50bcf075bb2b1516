#pragma once

// The telnet Com Port Control Option: command codes and the translation
// between its values and the serial interface's records and bits.

#include <cstdint>
#include <string>

#include "serial/os_serial.h"

namespace rfc2217 {
// Client-to-server commands; the server answers with the code + 100.
constexpr uint8_t SIGNATURE = 0;
constexpr uint8_t SET_BAUDRATE = 1;
constexpr uint8_t SET_DATASIZE = 2;
constexpr uint8_t SET_PARITY = 3;
constexpr uint8_t SET_STOPSIZE = 4;
constexpr uint8_t SET_CONTROL = 5;
constexpr uint8_t NOTIFY_LINESTATE = 6;
constexpr uint8_t NOTIFY_MODEMSTATE = 7;
constexpr uint8_t FLOWCONTROL_SUSPEND = 8;
constexpr uint8_t FLOWCONTROL_RESUME = 9;
constexpr uint8_t SET_LINESTATE_MASK = 10;
constexpr uint8_t SET_MODEMSTATE_MASK = 11;
constexpr uint8_t PURGE_DATA = 12;
constexpr uint8_t SERVER_OFFSET = 100;

// SET-CONTROL values.
constexpr uint8_t CONTROL_FLOW_NONE = 1;
constexpr uint8_t CONTROL_FLOW_XONXOFF = 2;
constexpr uint8_t CONTROL_FLOW_HARDWARE = 3;
constexpr uint8_t CONTROL_DTR_ON = 8;
constexpr uint8_t CONTROL_DTR_OFF = 9;
constexpr uint8_t CONTROL_RTS_ON = 11;
constexpr uint8_t CONTROL_RTS_OFF = 12;

// SET-PARITY and SET-STOPSIZE values.
constexpr uint8_t PARITY_NONE = 1;
constexpr uint8_t PARITY_ODD = 2;
constexpr uint8_t PARITY_EVEN = 3;
constexpr uint8_t PARITY_MARK = 4;
constexpr uint8_t PARITY_SPACE = 5;
constexpr uint8_t STOPSIZE_1 = 1;
constexpr uint8_t STOPSIZE_2 = 2;
constexpr uint8_t STOPSIZE_15 = 3;

// PURGE-DATA values.
constexpr uint8_t PURGE_RECEIVE = 1;
constexpr uint8_t PURGE_TRANSMIT = 2;
constexpr uint8_t PURGE_BOTH = 3;

// NOTIFY-LINESTATE bits.
constexpr uint8_t LINE_OVERRUN = 0x02;
constexpr uint8_t LINE_PARITY = 0x04;
constexpr uint8_t LINE_FRAMING = 0x08;
constexpr uint8_t LINE_BREAK = 0x10;
constexpr uint8_t LINE_ERROR_MASK = LINE_OVERRUN | LINE_PARITY | LINE_FRAMING | LINE_BREAK;

// NOTIFY-MODEMSTATE bits: the line states share the MS_*_ON values; the low
// nibble flags changes the server saw between two notifications.
constexpr uint8_t MODEM_DELTA_CTS = 0x01;
constexpr uint8_t MODEM_DELTA_DSR = 0x02;
constexpr uint8_t MODEM_RI_TRAILING = 0x04;
constexpr uint8_t MODEM_DELTA_CD = 0x08;
constexpr uint8_t MODEM_LINES = 0xF0;
}  // namespace rfc2217

// The four line settings of a device control block in protocol values.
struct TRfc2217LineSettings {
  uint32_t baudRate = 0;
  uint8_t dataSize = 0;
  uint8_t parity = 0;
  uint8_t stopSize = 0;
  uint8_t flowControl = 0;
};

// False when the block holds a setting no transport can give (see
// line_limits.h) or one the protocol cannot express: XON/XOFF with other
// characters than DC1/DC3. CTS output flow and RTS handshake are both
// hardware flow control.
bool DcbToRfc2217(const TDCB& dcb, TRfc2217LineSettings& out);

// The value of one SET command (SET_BAUDRATE .. SET_CONTROL) for the
// settings, as sent and as the server answers it; empty for other codes.
std::string SettingValue(const TRfc2217LineSettings& settings, uint8_t code);

// The subnegotiations that carry the settings to the server, in order.
std::string EncodeLineSettings(const TRfc2217LineSettings& settings);

struct TRfc2217Signals {
  uint32_t status = 0;  // MS_*_ON bits
  uint32_t events = 0;  // EV_* bits
  uint32_t errors = 0;  // CE_* bits
};

// A NOTIFY-MODEMSTATE: the new MS_ bits, and an event for every line that
// changed since previousStatus or that the server flagged as changed.
TRfc2217Signals DecodeModemState(uint32_t previousStatus, uint8_t notify);

// A NOTIFY-LINESTATE: CE_ bits, EV_ERR for errors, EV_BREAK for a break.
TRfc2217Signals DecodeLineState(uint8_t notify);

#include <array>

#include "serial/async_comm.h"

namespace {
constexpr std::array<uint32_t, 15> kRates = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                             19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr std::array<uint32_t, 5> kOptionBits = {dcb::fParity, dcb::fDsrSensitivity, dcb::fTXContinueOnXoff,
                                                 dcb::fErrorChar, dcb::fNull};
// Indexed by TCommEventState: both the mask built from MonitorEvents and the
// order in which a completed wait is dispatched.
constexpr std::array<uint32_t, 9> kEventBits = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,   EV_RING,
                                                EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};
}  // namespace

uint32_t BaudRateValue(TBaudRate rate) { return kRates.at(static_cast<size_t>(rate)); }

uint8_t ParityValue(TParity parity) { return static_cast<uint8_t>(parity); }

uint8_t StopbitsValue(TStopbits stopbits) { return static_cast<uint8_t>(stopbits); }

uint8_t DatabitsValue(TDatabits databits) { return static_cast<uint8_t>(4 + static_cast<int>(databits)); }

uint32_t CommOptionBit(TCommOption option) { return kOptionBits.at(static_cast<size_t>(option)); }

uint32_t CommEventBit(TCommEventState event) { return kEventBits.at(static_cast<size_t>(event)); }

uint32_t CommEventMask(TCommEventType events) {
  uint32_t mask = 0;
  for (size_t i = 0; i < kEventBits.size(); ++i)
    if (events.Contains(static_cast<TCommEventState>(i))) mask |= kEventBits[i];
  return mask;
}

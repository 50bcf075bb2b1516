#include "serial/async_comm.h"
#include "serial/serial_log.h"

namespace {
// The line as a person reads it: "9600 baud, 8 data bits, no parity, 1 stop bit, XON/XOFF".
void TraceLine(const TDCB& d) {
  if (!lcSerial().isDebugEnabled()) return;
  static const char* const parity[] = {"no", "odd", "even", "mark", "space"};
  static const char* const stop[] = {"1 stop bit", "1.5 stop bits", "2 stop bits"};
  const char* flow = "no flow control";
  if (d.Flags & (dcb::fOutX | dcb::fInX))
    flow = "XON/XOFF";
  else if (d.Flags & dcb::fOutxCtsFlow)
    flow = "RTS/CTS";
  else if (d.Flags & dcb::fOutxDsrFlow)
    flow = "DTR/DSR";
  qCDebug(lcSerial, "line %u baud, %u data bits, %s parity, %s, %s", d.BaudRate, d.ByteSize,
          d.Parity < 5 ? parity[d.Parity] : "?", d.StopBits < 3 ? stop[d.StopBits] : "?", flow);
}
}  // namespace

void TCustomComm::UpdateDataControlBlock() {
  if (!Enabled()) return;
  // Fields the component does not set keep the device's current values.
  handle_->GetCommState(dataControlBlock_);
  TDCB& d = dataControlBlock_;
  d.BaudRate = BaudRateValue(baudRate_);
  d.Parity = ParityValue(parity_);
  d.StopBits = StopbitsValue(stopbits_);
  d.ByteSize = DatabitsValue(databits_);
  d.XonChar = eventChars_->XonChar();
  d.XoffChar = eventChars_->XoffChar();
  d.XonLim = static_cast<uint16_t>(readBufSize_ / 4);
  d.XoffLim = static_cast<uint16_t>(readBufSize_ / 4);

  if (flowControl_ != TFlowControl::fcDefault) {
    d.Flags &= ~dcb::fOutxCtsFlow;
    d.Flags = (d.Flags & ~dcb::fRtsControlMask) | (dcb::RTS_CONTROL_TOGGLE << dcb::fRtsControlShift);
    d.Flags &= ~dcb::fOutxDsrFlow;
    d.Flags = (d.Flags & ~dcb::fDtrControlMask) | (dcb::DTR_CONTROL_ENABLE << dcb::fDtrControlShift);
    d.Flags &= ~(dcb::fOutX | dcb::fInX);
    switch (flowControl_) {
      case TFlowControl::fcCTS: d.Flags |= dcb::fOutxCtsFlow; break;
      case TFlowControl::fcDTR: d.Flags |= dcb::fOutxDsrFlow; break;
      case TFlowControl::fcSoftware: d.Flags |= dcb::fOutX | dcb::fInX; break;
      case TFlowControl::fcNone:
      case TFlowControl::fcDefault: break;
    }
  }

  for (int i = 0; i <= static_cast<int>(TCommOption::coNullStrip); ++i) {
    auto option = static_cast<TCommOption>(i);
    if (options_.Contains(option))
      d.Flags |= CommOptionBit(option);
    else
      d.Flags &= ~CommOptionBit(option);
  }

  if (!handle_->SetCommState(d)) RaiseCommError("Error updating DataControlBlock", handle_->LastError());
  TraceLine(d);
}

void TCustomComm::ApplyTimeouts() {
  if (!Enabled()) return;
  TCommTimeouts t;
  t.ReadIntervalTimeout = charsTimeOut_ == 0 ? MAXDWORD : static_cast<uint32_t>(charsTimeOut_);
  t.WriteTotalTimeoutConstant = 1500;
  if (!handle_->SetCommTimeouts(t)) RaiseCommError("Error updating CommTimeouts", handle_->LastError());
}

#include "serial/async_comm.h"
#include "serial/serial_log.h"

namespace {
const char* LineName(int line) {
  switch (line) {
    case 1: return "CTS";
    case 2: return "DSR";
    case 3: return "RING";
    case 4: return "RLSD";
    default: return "line";
  }
}

const char* EscapeName(uint32_t function) {
  switch (function) {
    case SETRTS: return "RTS on";
    case CLRRTS: return "RTS off";
    case SETDTR: return "DTR on";
    case CLRDTR: return "DTR off";
    default: return "escape";
  }
}
}  // namespace

int TCustomComm::Write(const void* buffer, int count) {
  if (!Enabled() || count < 0) return -1;
  return handle_->Write(buffer, count);
}

int TCustomComm::Read(void* buffer, int count) {
  if (!Enabled() || count < 0) return -1;
  return handle_->Read(buffer, count);
}

void TCustomComm::PurgeIn() {
  if (Enabled()) handle_->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
}

bool TCustomComm::ModemSignal(int line) {
  uint32_t bit = 0;
  switch (line) {
    case 1: bit = MS_CTS_ON; break;
    case 2: bit = MS_DSR_ON; break;
    case 3: bit = MS_RING_ON; break;
    case 4: bit = MS_RLSD_ON; break;
    default: break;
  }
  uint32_t status = 0;
  if (!Enabled()) return false;
  if (!handle_->GetCommModemStatus(status)) {
    qCDebug(lcSerial, "%s unknown: no modem status (error %d)", LineName(line), handle_->LastError());
    return false;
  }
  qCDebug(lcSerial, "%s %s", LineName(line), (status & bit) ? "on" : "off");
  return (status & bit) != 0;
}

void TCustomComm::SetDTR(bool value) { EscapeFunction(value ? SETDTR : CLRDTR); }

void TCustomComm::SetRTS(bool value) { EscapeFunction(value ? SETRTS : CLRRTS); }

bool TCustomComm::EscapeFunction(uint32_t function) {
  if (!Enabled()) RaiseCommError("Port not open, unable to complete operation", -1);
  if (!handle_->EscapeCommFunction(function)) {
    qCDebug(lcSerial, "%s failed (error %d)", EscapeName(function), handle_->LastError());
    RaiseCommError("EscapeCommFunction failure", handle_->LastError());
  }
  qCDebug(lcSerial, "%s", EscapeName(function));
  return true;
}

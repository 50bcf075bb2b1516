#include "serial/async_comm.h"

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
  if (!Enabled() || !handle_->GetCommModemStatus(status)) return false;
  return (status & bit) != 0;
}

void TCustomComm::SetDTR(bool value) { EscapeFunction(value ? SETDTR : CLRDTR); }

void TCustomComm::SetRTS(bool value) { EscapeFunction(value ? SETRTS : CLRRTS); }

bool TCustomComm::EscapeFunction(uint32_t function) {
  if (!Enabled()) RaiseCommError("Port not open, unable to complete operation", -1);
  if (!handle_->EscapeCommFunction(function)) RaiseCommError("EscapeCommFunction failure", handle_->LastError());
  return true;
}

#include "serial/async_comm.h"
#include "serial/comm_event_thread.h"
#include "serial/serial_log.h"

void TCustomComm::HandleCommEvent(TCommEventThread*, uint32_t eventMask) {
  if (!Enabled()) return;
  handle_->ClearCommError(commErrors_, comStat_);
  if ((commErrors_ & CE_DEVICEGONE) && !deviceGone_) {
    deviceGone_ = true;
    qCDebug(lcSerial, "device gone: %s", deviceName_.c_str());
  }
  if (commErrors_ & ~CE_DEVICEGONE) qCDebug(lcSerial, "line errors 0x%x", static_cast<unsigned>(commErrors_));
  const unsigned closes = closeCount_;
  for (int i = 0; i <= static_cast<int>(TCommEventState::evTxEmpty); ++i) {
    // A handler closed (or reopened) the port: the rest belongs to the old device.
    if (closeCount_ != closes) break;
    uint32_t bit = CommEventBit(static_cast<TCommEventState>(i));
    if (eventMask & bit) DispatchEvent(bit);
  }
}

void TCustomComm::DispatchEvent(uint32_t eventBit) {
  switch (eventBit) {
    case EV_BREAK: if (OnBreak) OnBreak(this); break;
    case EV_CTS: if (OnCTS) OnCTS(this); break;
    case EV_DSR: if (OnDSR) OnDSR(this); break;
    case EV_ERR: if (OnError) OnError(this, static_cast<int>(commErrors_)); break;
    case EV_RING: if (OnRing) OnRing(this); break;
    case EV_RLSD: if (OnRLSD) OnRLSD(this); break;
    case EV_RXCHAR: if (OnRxChar) OnRxChar(this, static_cast<int>(comStat_.cbInQue)); break;
    case EV_RXFLAG: if (OnRxFlag) OnRxFlag(this); break;
    case EV_TXEMPTY: if (OnTxEmpty) OnTxEmpty(this); break;
    default: break;
  }
}

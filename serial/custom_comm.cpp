#include "serial/async_comm.h"
#include "serial/comm_event_thread.h"

TCustomComm::TCustomComm() : eventChars_(std::make_unique<TCommEventChars>(this)) {}

TCustomComm::~TCustomComm() {
  OnBreak = nullptr;
  OnCTS = nullptr;
  OnDSR = nullptr;
  OnError = nullptr;
  OnRing = nullptr;
  OnRLSD = nullptr;
  OnRxChar = nullptr;
  OnRxFlag = nullptr;
  OnTxEmpty = nullptr;
  Close();
}

void TCustomComm::Open() {
  Close();
  CreateHandle();
  if (!Enabled()) return;
  EventThread = std::make_unique<TCommEventThread>(Handle.get(), monitorEvents_);
  EventThread->OnSignal = [this](TCommEventThread* sender, uint32_t mask) { HandleCommEvent(sender, mask); };
  UpdateDataControlBlock();
  if (!Handle->SetupComm(readBufSize_, writeBufSize_))
    RaiseCommError("Error initializing Read/Write Buffers", Handle->LastError());
  SetCharsTimeOut(charsTimeOut_);
}

void TCustomComm::Close() {
  if (!Enabled() || closing_) return;
  StopEventThread();
  Handle.reset();
  deviceGone_ = false;
  ++closeCount_;
}

void TCustomComm::StopEventThread() {
  if (!EventThread) return;
  closing_ = true;
  EventThread->Stop();
  EventThread->WaitFor();  // serves a delivery still pending
  EventThread.reset();
  closing_ = false;
}

void TCustomComm::CreateHandle() {
  // Never replace a device the event thread may still be using.
  Close();
  if (Enabled()) RaiseCommError("Device already assigned (open)", -1);
  int osError = 0;
  Handle = OpenSerialDevice(deviceName_, osError);
  if (!Handle) RaiseCommError("Error accessing specified device", osError);
  if (Handle->GetFileType() != FILE_TYPE_CHAR) {
    // A device that knows why it is unfit (no terminal: ENOTTY) says so.
    const int code = Handle->LastError() != 0 ? Handle->LastError() : -1;
    DestroyHandle();
    RaiseCommError("Invalid device handle, access denied", code);
  }
}

void TCustomComm::DestroyHandle() {
  // The event thread uses the device until it has ended.
  if (EventThread) {
    Close();
    return;
  }
  if (!closing_) Handle.reset();
}

void TCustomComm::RaiseIfOpen() const {
  if (Enabled()) RaiseCommError("Device already assigned (open)", -1);
}

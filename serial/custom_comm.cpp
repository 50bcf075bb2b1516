#include "serial/async_comm.h"
#include "serial/comm_event_thread.h"
#include "serial/serial_log.h"

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
  qCDebug(lcSerial, "open %s", deviceName_.c_str());
  try {
    CreateHandle();
  } catch (const ECommError& e) {
    qCDebug(lcSerial, "open %s failed: %s", deviceName_.c_str(), e.what());
    throw;
  }
  if (!Enabled()) return;
  eventThread_ = std::make_unique<TCommEventThread>(handle_.get(), monitorEvents_);
  eventThread_->OnSignal = [this](TCommEventThread* sender, uint32_t mask) { HandleCommEvent(sender, mask); };
  UpdateDataControlBlock();
  if (!handle_->SetupComm(readBufSize_, writeBufSize_))
    RaiseCommError("Error initializing Read/Write Buffers", handle_->LastError());
  SetCharsTimeOut(charsTimeOut_);
}

void TCustomComm::Close() {
  if (!Enabled() || closing_) return;
  StopEventThread();
  handle_.reset();
  qCDebug(lcSerial, "closed %s", deviceName_.c_str());
  deviceGone_ = false;
  ++closeCount_;
}

void TCustomComm::StopEventThread() {
  if (!eventThread_) return;
  closing_ = true;
  eventThread_->Stop();
  eventThread_->WaitFor();  // serves a delivery still pending
  eventThread_.reset();
  closing_ = false;
}

void TCustomComm::CreateHandle() {
  // Never replace a device the event thread may still be using.
  Close();
  if (Enabled()) RaiseCommError("Device already assigned (open)", -1);
  int osError = 0;
  handle_ = OpenSerialDevice(deviceName_, osError);
  if (!handle_) RaiseCommError("Error accessing specified device", osError);
  if (handle_->GetFileType() != FILE_TYPE_CHAR) {
    // A device that knows why it is unfit (no terminal: ENOTTY) says so.
    const int code = handle_->LastError() != 0 ? handle_->LastError() : -1;
    DestroyHandle();
    RaiseCommError("Invalid device handle, access denied", code);
  }
}

void TCustomComm::DestroyHandle() {
  // The event thread uses the device until it has ended.
  if (eventThread_) {
    Close();
    return;
  }
  if (!closing_) handle_.reset();
}

void TCustomComm::SetHandle(std::unique_ptr<TSerialDevice> device) {
  RaiseIfOpen();
  handle_ = std::move(device);
}

void TCustomComm::RaiseIfOpen() const {
  if (Enabled()) RaiseCommError("Device already assigned (open)", -1);
}

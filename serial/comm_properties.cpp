#include "serial/async_comm.h"

void TCommEventChars::SetXonChar(char value) {
  if (value == xonChar_) return;
  xonChar_ = value;
  comm_->UpdateDataControlBlock();
}

void TCommEventChars::SetXoffChar(char value) {
  if (value == xoffChar_) return;
  xoffChar_ = value;
  comm_->UpdateDataControlBlock();
}

void TCustomComm::SetDeviceName(const std::string& value) {
  RaiseIfOpen();
  deviceName_ = value;
}

void TCustomComm::SetMonitorEvents(TCommEventType value) {
  RaiseIfOpen();
  monitorEvents_ = value;
}

void TCustomComm::SetReadBufSize(int value) {
  RaiseIfOpen();
  readBufSize_ = value;
}

void TCustomComm::SetWriteBufSize(int value) {
  RaiseIfOpen();
  writeBufSize_ = value;
}

void TCustomComm::SetBaudRate(TBaudRate value) {
  if (value == baudRate_) return;
  baudRate_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetParity(TParity value) {
  if (value == parity_) return;
  parity_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetStopbits(TStopbits value) {
  if (value == stopbits_) return;
  stopbits_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetDatabits(TDatabits value) {
  if (value == databits_) return;
  databits_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetOptions(TCommOptions value) {
  if (value == options_) return;
  options_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetFlowControl(TFlowControl value) {
  if (value == flowControl_) return;
  flowControl_ = value;
  UpdateDataControlBlock();
}

void TCustomComm::SetCharsTimeOut(int value) {
  charsTimeOut_ = value;
  ApplyTimeouts();
}

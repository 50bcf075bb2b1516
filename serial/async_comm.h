#pragma once

// The serial port component: one serial device, its line settings, transfers,
// modem lines, and the delivery of line events to handlers on the window
// thread (through TCommEventThread).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/os_serial.h"
#include "toolkit/core/exception.h"
#include "toolkit/core/flag_set.h"

class TCommEventThread;
class TCustomComm;

// ---- Errors -------------------------------------------------------------------

class ECommError : public Exception {
 public:
  ECommError(std::string message, int32_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}

  int32_t ErrorCode;  // OS code, or -1 for a condition the component found itself
};

// Raises ECommError with "<message> (Error: <code>) ".
[[noreturn]] void RaiseCommError(const std::string& message, int32_t code);

// ---- Settings ------------------------------------------------------------------

enum class TBaudRate : uint8_t {
  cbr110, cbr300, cbr600, cbr1200, cbr2400, cbr4800, cbr9600, cbr14400,
  cbr19200, cbr38400, cbr56000, cbr57600, cbr115200, cbr128000, cbr256000,
};
enum class TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopbits : uint8_t { sb10, sb15, sb20 };
enum class TDatabits : uint8_t { da4, da5, da6, da7, da8 };

enum class TCommOption : uint8_t { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
using TCommOptions = TFlagSet<TCommOption, uint8_t>;

enum class TFlowControl : uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

enum class TCommEventState : uint8_t {
  evBreak, evCTS, evDSR, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty,
};
using TCommEventType = TFlagSet<TCommEventState, uint16_t>;

// All nine events: the default of MonitorEvents.
constexpr TCommEventType AllCommEvents = TCommEventType::FromBits(0x01FF);

// Device-control-block values of the settings.
uint32_t BaudRateValue(TBaudRate rate);      // bits per second
uint8_t ParityValue(TParity parity);         // NOPARITY .. SPACEPARITY
uint8_t StopbitsValue(TStopbits stopbits);   // ONESTOPBIT .. TWOSTOPBITS
uint8_t DatabitsValue(TDatabits databits);   // 4 .. 8
uint32_t CommOptionBit(TCommOption option);  // DCB flags bit

// The OS event bit of an event (EV_*), and the OS mask of a set of events.
uint32_t CommEventBit(TCommEventState event);
uint32_t CommEventMask(TCommEventType events);

// ---- Flow-control characters --------------------------------------------------

class TCommEventChars {
 public:
  explicit TCommEventChars(TCustomComm* comm) : comm_(comm) {}

  TCustomComm* Comm() const { return comm_; }

  char XonChar() const { return xonChar_; }
  void SetXonChar(char value);
  char XoffChar() const { return xoffChar_; }
  void SetXoffChar(char value);

 private:
  TCustomComm* comm_;  // not owned
  char xonChar_ = 17;
  char xoffChar_ = 19;
};

// ---- The component ---------------------------------------------------------------

class TCustomComm {
 public:
  using TNotifyEvent = std::function<void(TCustomComm* sender)>;
  using TCommErrorEvent = std::function<void(TCustomComm* sender, int errors)>;
  using TCommRxCharEvent = std::function<void(TCustomComm* sender, int count)>;

  TCustomComm();
  // Closes the port. Handlers are dropped first: a delivery still pending
  // while a derived class is already gone must not call into it.
  virtual ~TCustomComm();
  TCustomComm(const TCustomComm&) = delete;
  TCustomComm& operator=(const TCustomComm&) = delete;

  // Opens and configures the device and starts the event thread; an open
  // port is closed first. Raises ECommError.
  void Open();
  // Stops the event thread (serving a pending delivery meanwhile) and closes
  // the device; nothing if closed. Safe to call from inside a handler.
  void Close();
  bool Enabled() const { return handle_ != nullptr; }

  // Opens the device file and checks that it is a character device.
  virtual void CreateHandle();
  void DestroyHandle();

  // Writes the properties into the device control block; nothing if closed.
  void UpdateDataControlBlock();

  // Never wait for the line and never raise: bytes transferred, or -1.
  int Write(const void* buffer, int count);
  int Read(void* buffer, int count);
  // Drops pending input; nothing if closed.
  void PurgeIn();
  // Line 1 CTS, 2 DSR, 3 RING, 4 RLSD; false for a closed port, a failed
  // query or any other line.
  bool ModemSignal(int line);
  void SetDTR(bool value);
  void SetRTS(bool value);
  bool EscapeFunction(uint32_t function);

  // Calls the handler of one OS event bit, if assigned.
  virtual void DispatchEvent(uint32_t eventBit);
  // One completed wait, on the window thread: clears the device's error state
  // (refreshing CommErrors and ComStat), then dispatches the bits in order.
  void HandleCommEvent(TCommEventThread* sender, uint32_t eventMask);

  // True once a dispatch has seen CE_DEVICEGONE; reset by Close and Open.
  bool DeviceGone() const { return deviceGone_; }

  // ---- Properties ----
  const std::string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::string& value);
  TCommEventType MonitorEvents() const { return monitorEvents_; }
  void SetMonitorEvents(TCommEventType value);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  TParity Parity() const { return parity_; }
  void SetParity(TParity value);
  TStopbits Stopbits() const { return stopbits_; }
  void SetStopbits(TStopbits value);
  TDatabits Databits() const { return databits_; }
  void SetDatabits(TDatabits value);
  int ReadBufSize() const { return readBufSize_; }
  void SetReadBufSize(int value);
  int WriteBufSize() const { return writeBufSize_; }
  void SetWriteBufSize(int value);
  int CharsTimeOut() const { return charsTimeOut_; }
  void SetCharsTimeOut(int value);
  TCommOptions Options() const { return options_; }
  void SetOptions(TCommOptions value);
  TFlowControl FlowControl() const { return flowControl_; }
  void SetFlowControl(TFlowControl value);
  TCommEventChars& EventChars() { return *eventChars_; }
  const TCommEventChars& EventChars() const { return *eventChars_; }

  // The event thread; exists exactly while the port is open.
  const TCommEventThread* EventThread() const { return eventThread_.get(); }

  // ---- Events (empty = unassigned) ----
  TNotifyEvent OnBreak;
  TNotifyEvent OnCTS;
  TNotifyEvent OnDSR;
  TCommErrorEvent OnError;
  TNotifyEvent OnRing;
  TNotifyEvent OnRLSD;
  TCommRxCharEvent OnRxChar;
  TNotifyEvent OnRxFlag;
  TNotifyEvent OnTxEmpty;

 protected:
  // The open device; null while closed.
  TSerialDevice* Handle() const { return handle_.get(); }
  // For a descendant's CreateHandle that opens the device its own way; raises
  // ECommError while a device is open.
  void SetHandle(std::unique_ptr<TSerialDevice> device);

 private:
  void RaiseIfOpen() const;
  void ApplyTimeouts();
  void StopEventThread();

  std::unique_ptr<TSerialDevice> handle_;
  TDCB dataControlBlock_;  // last read from / written to the device
  TComStat comStat_;       // from the last error clearing
  uint32_t commErrors_ = 0;
  std::unique_ptr<TCommEventThread> eventThread_;
  std::string deviceName_ = "Com2";
  TCommEventType monitorEvents_ = AllCommEvents;
  TBaudRate baudRate_ = TBaudRate::cbr9600;
  TParity parity_ = TParity::paNone;
  TStopbits stopbits_ = TStopbits::sb10;
  TDatabits databits_ = TDatabits::da8;
  int readBufSize_ = 4096;
  int writeBufSize_ = 2048;
  int charsTimeOut_ = 250;
  TCommOptions options_;
  std::unique_ptr<TCommEventChars> eventChars_;
  TFlowControl flowControl_ = TFlowControl::fcDefault;
  bool deviceGone_ = false;
  bool closing_ = false;  // inside Close, waiting for the event thread
  unsigned closeCount_ = 0;  // tells a dispatch that a handler closed the port
};

// The published component; adds nothing.
class TComm : public TCustomComm {
 public:
  using TCustomComm::TCustomComm;
};

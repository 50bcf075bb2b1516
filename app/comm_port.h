#pragma once

// The modem command channel: one AT command line out, the reply collected
// until its final result code OK or ERROR, and a wait for that result that
// keeps the window thread handling its events.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "serial/async_comm.h"
#include "toolkit/core/exception.h"

class QEventLoop;

class ECommPort : public Exception {
 public:
  using Exception::Exception;
};

// The final result code did not arrive within the time-out.
class EResponseTimeOut : public ECommPort {
 public:
  EResponseTimeOut() : ECommPort("TCommPort") {}
};

// The modem answered ERROR.
class EResponseError : public ECommPort {
 public:
  EResponseError() : ECommPort("TCommPort") {}
};

// The line is dead: the device vanished, was closed, or refused the command
// line. No result code can come any more, so the wait ends at once.
class EDeviceLost : public ECommPort {
 public:
  EDeviceLost() : ECommPort("TCommPort: device lost") {}
};

// DSR dropped during the wait: the modem is off and cannot answer.
class EModemOff : public ECommPort {
 public:
  EModemOff() : ECommPort("TCommPort: modem off") {}
};

// The wait was given up on request (a close that cannot wait for the modem).
class EWaitAbandoned : public ECommPort {
 public:
  EWaitAbandoned() : ECommPort("TCommPort: wait abandoned") {}
};

// How a command ended for its caller: answered OK, answered ERROR, or not
// answered at all (no result code in time, the line lost, the modem off).
enum class TCommandOutcome : uint8_t { coOK, coError, coNoAnswer };

// State of the reply recogniser.
enum class TRespState : uint8_t {
  rsIdle,     // no wait; received bytes are read and dropped
  rsScan,     // waiting, no partial match
  rsGotO,
  rsOK,       // final
  rsGotE,
  rsGotER,
  rsGotERR,
  rsGotERRO,
  rsError,    // final
};

class TCommPort : public TComm {
 public:
  // A babbling modem must not grow the reply without limit.
  static constexpr std::size_t MaxResponseLength = 4096;
  // A new command line may start only this long after the previous result code.
  static constexpr std::chrono::milliseconds CommandGuard{100};

  TCommPort();
  ~TCommPort() override;

  // True between OpenPort and ClosePort; the device itself may still be open
  // after ClosePort (DSR off).
  bool PortOpen() const { return portOpen_; }
  // The reply since the current wait began, without CR, LF, the final result
  // code and an echo of the command line just sent; at most MaxResponseLength
  // characters (the rest is dropped).
  const std::string& Response() const { return response_; }
  TRespState RespState() const { return respState_; }
  // True while a command waits (its guard or its reply); another command is
  // refused meanwhile.
  bool Busy() const { return busy_; }

  // Open (raises ECommError), then PortOpen. A running wait ends with EDeviceLost.
  void OpenPort();
  // Closes the device only while DSR is on; PortOpen is cleared in any case.
  void ClosePort();
  // Closes the device whatever DSR says and clears PortOpen: for a device
  // that has gone away, which reads as DSR off but must not stay held.
  void ReleasePort();

  // Called once per opened device, on the window thread from inside the line
  // event's delivery, when the serial component finds that the device has
  // gone away (a USB adapter unplugged, the far end of the line closed); a
  // running wait ends with EDeviceLost at the same time.
  std::function<void(TCommPort* sender)> OnLineLost;

  // Writes the command line with CR LF, after the guard time since the last
  // result code has passed (events are handled meanwhile). Raises ECommPort
  // while another command waits.
  void SendCommand(const std::string& command);
  // Waits for the final result code: returns on OK, raises EResponseError on
  // ERROR and EResponseTimeOut when ⌊timeOut/100⌋ × 100 ms have passed
  // (timeOut < 100 fails at once; negative waits without limit). Raises
  // EDeviceLost when the line dies, EModemOff when DSR is off (looked at every
  // 100 ms; a line without modem lines is never taken for off),
  // EWaitAbandoned once waits are abandoned, and ECommPort while another
  // command waits.
  void WaitResponse(int timeOut);
  // SendCommand and WaitResponse; a failure of the command is shown in the
  // box "Error on COM Port" and Command returns normally, saying how it
  // ended. A refused re-entry (ECommPort) and an abandoned wait
  // (EWaitAbandoned) are raised.
  TCommandOutcome Command(const std::string& command, int timeOut);

  // For a close that cannot wait for the modem: `grace` from now on, the
  // running wait and every later one end with EWaitAbandoned (input purged)
  // and no command line goes out, until ResumeWaits. Calling it again while
  // armed keeps the first moment.
  void AbandonWaitsAfter(std::chrono::milliseconds grace);
  void ResumeWaits();
  bool WaitsAbandoned() const;

  // OnRxChar: reads the received bytes and drives the recogniser.
  void HandleRxChar(TCustomComm* sender, int count);

  void DispatchEvent(uint32_t eventBit) override;

 private:
  void AppendChar(char c);
  void DropEcho();
  void DropLast(std::size_t count);
  bool LineLost() const;
  bool DsrOff() const;
  void WakeWait();

  bool portOpen_ = false;
  bool lineLostReported_ = false;  // OnLineLost called for the open device
  std::string response_;
  std::size_t responseLength_ = 0;  // length the reply would have without the bound
  TRespState respState_ = TRespState::rsIdle;

  bool busy_ = false;
  bool writeFailed_ = false;
  bool commandSent_ = false;         // a line went out that the next wait answers
  std::string commandLine_;          // that line, without CR LF
  bool portReset_ = false;             // OpenPort/ClosePort happened during the wait
  QEventLoop* waitLoop_ = nullptr;     // the running wait's loop, woken on every end condition
  std::optional<std::chrono::steady_clock::time_point> lastResultCode_;
  std::optional<std::chrono::steady_clock::time_point> abandonAt_;
};

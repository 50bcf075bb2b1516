#pragma once

// The operating system's serial interface, as the component uses it.
//
// Records, flag bits and function codes keep the Win32 names and values the
// component was designed around (DCB, COMMTIMEOUTS, COMSTAT, EV_*, CE_*, MS_*,
// escape and purge codes), so its rules can be read and tested bit by bit.
// Each backend translates them to its device: termios/ioctl for device paths
// (posix/), the telnet Com Port Control Option for rfc2217://host:port
// (rfc2217/).

#include <cstdint>
#include <memory>
#include <string>

// ---- Device control block -------------------------------------------------

struct TDCB {
  uint32_t BaudRate = 9600;
  uint32_t Flags = 0x0001;  // bit-fields below; fBinary is always set
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 8;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  char XonChar = 17;
  char XoffChar = 19;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;

  bool operator==(const TDCB&) const = default;
};

namespace dcb {
constexpr uint32_t fBinary = 0x0001;
constexpr uint32_t fParity = 0x0002;
constexpr uint32_t fOutxCtsFlow = 0x0004;
constexpr uint32_t fOutxDsrFlow = 0x0008;
constexpr uint32_t fDtrControlMask = 0x0030;  // 2 bits at shift 4
constexpr int fDtrControlShift = 4;
constexpr uint32_t fDsrSensitivity = 0x0040;
constexpr uint32_t fTXContinueOnXoff = 0x0080;
constexpr uint32_t fOutX = 0x0100;
constexpr uint32_t fInX = 0x0200;
constexpr uint32_t fErrorChar = 0x0400;
constexpr uint32_t fNull = 0x0800;
constexpr uint32_t fRtsControlMask = 0x3000;  // 2 bits at shift 12
constexpr int fRtsControlShift = 12;
constexpr uint32_t fAbortOnError = 0x4000;

constexpr uint32_t DTR_CONTROL_DISABLE = 0;
constexpr uint32_t DTR_CONTROL_ENABLE = 1;
constexpr uint32_t DTR_CONTROL_HANDSHAKE = 2;
constexpr uint32_t RTS_CONTROL_DISABLE = 0;
constexpr uint32_t RTS_CONTROL_ENABLE = 1;
constexpr uint32_t RTS_CONTROL_HANDSHAKE = 2;
constexpr uint32_t RTS_CONTROL_TOGGLE = 3;

inline uint32_t DtrControl(uint32_t flags) { return (flags & fDtrControlMask) >> fDtrControlShift; }
inline uint32_t RtsControl(uint32_t flags) { return (flags & fRtsControlMask) >> fRtsControlShift; }
}  // namespace dcb

constexpr uint8_t NOPARITY = 0;
constexpr uint8_t ODDPARITY = 1;
constexpr uint8_t EVENPARITY = 2;
constexpr uint8_t MARKPARITY = 3;
constexpr uint8_t SPACEPARITY = 4;

constexpr uint8_t ONESTOPBIT = 0;
constexpr uint8_t ONE5STOPBITS = 1;
constexpr uint8_t TWOSTOPBITS = 2;

// ---- Time-outs, status --------------------------------------------------------

struct TCommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;

  bool operator==(const TCommTimeouts&) const = default;
};
constexpr uint32_t MAXDWORD = 0xFFFFFFFFu;

struct TComStat {
  uint32_t Flags = 0;
  uint32_t cbInQue = 0;
  uint32_t cbOutQue = 0;
};

// Line events (the mask of a completed wait).
constexpr uint32_t EV_RXCHAR = 0x0001;
constexpr uint32_t EV_RXFLAG = 0x0002;
constexpr uint32_t EV_TXEMPTY = 0x0004;
constexpr uint32_t EV_CTS = 0x0008;
constexpr uint32_t EV_DSR = 0x0010;
constexpr uint32_t EV_RLSD = 0x0020;
constexpr uint32_t EV_BREAK = 0x0040;
constexpr uint32_t EV_ERR = 0x0080;
constexpr uint32_t EV_RING = 0x0100;

// Error bits of ClearCommError.
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;
// Ours: the device went away (USB adapter unplugged, pty peer closed, network
// peer dropped). Reported once with EV_ERR; the device is dead afterwards.
constexpr uint32_t CE_DEVICEGONE = 0x00010000;

// Modem status bits.
constexpr uint32_t MS_CTS_ON = 0x0010;
constexpr uint32_t MS_DSR_ON = 0x0020;
constexpr uint32_t MS_RING_ON = 0x0040;
constexpr uint32_t MS_RLSD_ON = 0x0080;

// Escape functions.
constexpr uint32_t SETRTS = 3;
constexpr uint32_t CLRRTS = 4;
constexpr uint32_t SETDTR = 5;
constexpr uint32_t CLRDTR = 6;

// Purge flags.
constexpr uint32_t PURGE_TXABORT = 0x0001;
constexpr uint32_t PURGE_RXABORT = 0x0002;
constexpr uint32_t PURGE_TXCLEAR = 0x0004;
constexpr uint32_t PURGE_RXCLEAR = 0x0008;

// File types.
constexpr int FILE_TYPE_UNKNOWN = 0;
constexpr int FILE_TYPE_DISK = 1;
constexpr int FILE_TYPE_CHAR = 2;

// ---- Stop signal -----------------------------------------------------------------

// A manual-reset event another thread can wait on together with the device.
// Backed by an eventfd so a poll() can include it; signalling is async-safe.
class TStopSignal {
 public:
  TStopSignal();
  ~TStopSignal();
  TStopSignal(const TStopSignal&) = delete;
  TStopSignal& operator=(const TStopSignal&) = delete;

  void Set();
  bool IsSet() const;
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// ---- The device ----------------------------------------------------------------

enum class TWaitResult {
  Event,    // events holds at least one bit of the mask
  Stopped,  // the stop signal was set (it wins over a simultaneous event)
  Failed,   // the wait itself failed, or the device is gone and was already reported
};

// One open serial device. Every call but WaitCommEvent is made on the window
// thread; WaitCommEvent runs on the event thread concurrently with them, so
// backends must make that pair safe. Failing calls return false/-1 and leave
// the OS code in LastError().
class TSerialDevice {
 public:
  virtual ~TSerialDevice() = default;  // closes the device

  // FILE_TYPE_CHAR for a serial device; otherwise LastError may say why.
  virtual int GetFileType() = 0;
  virtual bool GetCommState(TDCB& dcb) = 0;
  virtual bool SetCommState(const TDCB& dcb) = 0;
  virtual bool SetupComm(int inQueue, int outQueue) = 0;
  virtual bool SetCommTimeouts(const TCommTimeouts& timeouts) = 0;
  // Never block: bytes transferred, or -1.
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  virtual bool PurgeComm(uint32_t flags) = 0;
  virtual bool GetCommModemStatus(uint32_t& status) = 0;
  virtual bool EscapeCommFunction(uint32_t function) = 0;
  virtual bool SetCommMask(uint32_t mask) = 0;
  // Blocks (without spinning) until an event of the mask occurs or stop is set.
  virtual TWaitResult WaitCommEvent(uint32_t& events, const TStopSignal& stop) = 0;
  // Error bits since the last call (then cleared) and the queue counts.
  virtual bool ClearCommError(uint32_t& errors, TComStat& stat) = 0;

  int LastError() const { return lastError_; }

 protected:
  int lastError_ = 0;
};

// Opens a device by name: "comN" (any case) is /dev/ttyS(N-1),
// "rfc2217://host:port" a network port, anything else a path. Exclusive,
// non-blocking. nullptr on failure with the OS code in osError.
std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name, int& osError);

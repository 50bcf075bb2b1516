#pragma once

// Serial devices reached by path (/dev/ttyS*, /dev/ttyUSB*, ...), through
// termios, ioctl and poll.
//
// Linux mapping of the device control block:
// - Rates: the classic ones through termios B-constants; 14400, 56000,
//   128000 and 256000 (and any other) through termios2/BOTHER. The rate is
//   read back after setting; a driver that rounds it fails the setting.
// - Parity: odd/even through PARENB/PARODD, mark/space through CMSPAR.
//   fParity turns on input parity checking (INPCK); a byte with a parity or
//   framing error then reads as NUL, so fErrorChar is accepted only with
//   ErrorChar 0, the one replacement Linux can give.
// - Stop bits: CSTOPB. With 5 data bits it means 1.5 stop bits on a UART,
//   so 1.5 is accepted only with 5 data bits and 2 only with 6 to 8, the
//   same pairs Win32 accepts. Termios has no 4-bit words: ByteSize 4 fails.
// - Flow control: termios has one CRTSCTS bit for both directions; it is on
//   when fOutxCtsFlow is set or RTS control is handshake. DSR output flow
//   (fOutxDsrFlow), DTR handshake, fDsrSensitivity and fNull have no termios
//   counterpart and fail with EINVAL rather than be silently ignored.
//   XON/XOFF through IXON/IXOFF with VSTART/VSTOP (the two characters must
//   differ). RTS control "toggle" (RTS up while sending) exists only for
//   RS-485; it is kept as set and the RTS line stays where it was put.
//   fTXContinueOnXoff, XonLim/XoffLim, fAbortOnError, EofChar and EvtChar are
//   kept as set; the kernel's own thresholds and behaviour apply.
// - DTR/RTS control "enable"/"disable" raise or lower the line when they
//   change, on devices that have modem lines. A device without them (a pty)
//   takes SETDTR/CLRDTR/SETRTS/CLRRTS as no-ops; its modem status query
//   fails, so the modem reads as off rather than the port as unusable.
// - Error bits come from the TIOCGICOUNT counters where the driver has them
//   (overrun, buffer overrun, parity, frame, break). CE_DEVICEGONE is given
//   by every ClearCommError once the device has vanished (hang-up, EIO,
//   ENODEV, ENXIO, a read of 0 bytes).
// - Raw mode on open keeps the device's IXON/IXOFF and CRTSCTS: they are the
//   flow control that FlowControl fcDefault leaves in place. IXANY, which
//   the control block cannot express, is cleared.
// - HUPCL is cleared on open: releasing the port must not drop DTR and hang
//   up the modem; the program drives DTR itself.
// - The terminal settings found at open are given back at close, and when
//   the process ends with the port open (exit, an uncaught exception, a
//   signal; not SIGKILL): a console or pty used as the device is not left
//   raw. HUPCL stays off (saved_terminals.h).
// - Write waits for room in the output queue at most as long as the write
//   time-outs allow (1.5 s as the component sets them), so a long line is
//   not cut short; it returns the bytes written, -1 only if none were.
//   Read never waits. No transfer is ever left pending in the background.
// - The port is opened non-blocking, with flock (which also holds against
//   root) and TIOCEXCL, in raw mode with VMIN 1 and VTIME 0: non-blocking,
//   an empty queue then reads as EAGAIN and only a hang-up reads 0 bytes.
// - Every setting is read back after it is applied; what the driver did not
//   take fails with EINVAL and the previous settings are restored. A pty,
//   for one, forces 8 data bits and no parity.
//
// Events: EV_RXCHAR when bytes arrived that no earlier EV_RXCHAR announced
// (poll for input, without a busy loop even when bytes stay unread);
// EV_CTS, EV_DSR, EV_RLSD, EV_RING (rising ring indicator) from a TIOCMGET
// check every 50 ms while one of them is monitored and the device has modem
// lines (TIOCMIWAIT is not used: it cannot be combined with the stop signal
// and cannot be cancelled without signals); EV_ERR and EV_BREAK from the
// counters at the same rate; EV_TXEMPTY when the output queue has drained
// after a write. EV_RXFLAG cannot be seen without reading the bytes and is
// never reported. A vanished device is reported once as EV_ERR (even when
// EV_ERR is not monitored, since waiting ends there); later waits fail.

#include <memory>
#include <string>

#include "serial/os_serial.h"

// Opens a device path exclusively. A path that opens but is not a terminal
// (a file, /dev/null) still gives a device, unlocked, whose GetFileType
// tells; nullptr with the OS code in osError otherwise.
std::unique_ptr<TSerialDevice> OpenPosixDevice(const std::string& path, int& osError);

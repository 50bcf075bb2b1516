#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "serial/posix/posix_device.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/posix/saved_terminals.h"

std::unique_ptr<TSerialDevice> OpenPosixDevice(const std::string& path, int& osError) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    osError = errno;
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    osError = errno;
    close(fd);
    return nullptr;
  }
  // Only a terminal is locked: anything else is refused by GetFileType, and
  // a lock on /dev/null or a file would only get in others' way meanwhile.
  // flock first: it also holds against root, which TIOCEXCL does not.
  const bool terminal = S_ISCHR(st.st_mode) && isatty(fd);
  if (terminal && flock(fd, LOCK_EX | LOCK_NB) != 0) {
    osError = errno;
    close(fd);
    return nullptr;
  }
  auto device = std::make_unique<TPosixSerialDevice>(fd, S_ISCHR(st.st_mode), terminal);
  if (!device->Prepare()) {
    osError = errno;
    return nullptr;  // the device's destructor closes the descriptor
  }
  return device;
}

TPosixSerialDevice::TPosixSerialDevice(int fd, bool isChar, bool isTty) : fd_(fd), isChar_(isChar), isTty_(isTty) {
  dcb_.Flags = dcb::fBinary | (dcb::DTR_CONTROL_ENABLE << dcb::fDtrControlShift) |
               (dcb::RTS_CONTROL_ENABLE << dcb::fRtsControlShift);
}

TPosixSerialDevice::~TPosixSerialDevice() {
  if (isTty_) {
    GiveBackTerminal(fd_);
    ioctl(fd_, TIOCNXCL);
  }
  close(fd_);  // also drops the flock
}

bool TPosixSerialDevice::Prepare() {
  if (!isTty_) return true;  // GetFileType reports it
  ioctl(fd_, TIOCEXCL);
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return false;
  // A terminal in use by people (a console, a pty) must not be left raw.
  KeepTerminalSettings(fd_, t);
  // Raw mode must not take the device's own flow control away: it is what
  // "default" flow control keeps (CRTSCTS survives cfmakeraw, IXON does not).
  const tcflag_t softwareFlow = t.c_iflag & (IXON | IXOFF);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~HUPCL;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  t.c_iflag |= softwareFlow;
  // With O_NONBLOCK, VMIN 1 makes an empty queue read as EAGAIN, so a read of
  // 0 bytes can only mean a hang-up (VMIN 0 would return 0 for both).
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;

  int status = 0;
  hasModemLines_ = ioctl(fd_, TIOCMGET, &status) == 0;
  if (hasModemLines_) lastModem_ = static_cast<uint32_t>(status);
  hasCounters_ = ioctl(fd_, TIOCGICOUNT, &waitCounters_) == 0;
  clearCounters_ = waitCounters_;
  return true;
}

bool TPosixSerialDevice::Fail(int error) {
  lastError_ = error;
  return false;
}

bool TPosixSerialDevice::IsGoneErrno(int error) { return error == EIO || error == ENODEV || error == ENXIO; }

// A character device with no line to set (/dev/null, /dev/zero) is no
// serial device: unknown, with the reason in LastError.
int TPosixSerialDevice::GetFileType() {
  if (isTty_) return FILE_TYPE_CHAR;
  if (isChar_) {
    lastError_ = ENOTTY;
    return FILE_TYPE_UNKNOWN;
  }
  struct stat st {};
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) return FILE_TYPE_DISK;
  return FILE_TYPE_UNKNOWN;
}

// Linux tty queues have fixed sizes; the request is only checked.
bool TPosixSerialDevice::SetupComm(int inQueue, int outQueue) {
  if (inQueue <= 0 || outQueue <= 0) return Fail(EINVAL);
  return true;
}

// Reads never wait; the write time-out bounds how long Write waits for room.
bool TPosixSerialDevice::SetCommTimeouts(const TCommTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

#include <cctype>

#include "serial/device_path.h"
#include "serial/os_serial.h"
#include "serial/posix/posix_device.h"
#include "serial/rfc2217/rfc2217_device.h"

namespace {
// "comN" (any case, N >= 1) -> /dev/ttyS(N-1), as users of Windows-born tools expect.
bool ComPortPath(const std::string& name, std::string& path) {
  if (name.size() < 4 || name.size() > 9) return false;
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) return false;
  long n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    n = n * 10 + (name[i] - '0');
  }
  if (n < 1) return false;
  path = "/dev/ttyS" + std::to_string(n - 1);
  return true;
}
}  // namespace

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name, int& osError) {
  osError = 0;
  if (IsRfc2217Name(name)) return OpenRfc2217Device(name, osError);
  return OpenPosixDevice(SerialDevicePath(name), osError);
}

std::string SerialDevicePath(const std::string& name) {
  std::string path;
  return ComPortPath(name, path) ? path : name;
}

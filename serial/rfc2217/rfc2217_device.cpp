#include "serial/rfc2217/rfc2217_device.h"

#include <cerrno>

// Placeholder until the network backend lands: refuses every URL.
bool IsRfc2217Name(const std::string& name) { return name.rfind("rfc2217://", 0) == 0; }

std::unique_ptr<TSerialDevice> OpenRfc2217Device(const std::string&, int& osError) {
  osError = EPROTONOSUPPORT;
  return nullptr;
}

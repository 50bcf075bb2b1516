#pragma once

#include <string>

// The path a device name stands for: "comN" (any case, N >= 1) is
// /dev/ttyS(N-1); any other name is a path already.
std::string SerialDevicePath(const std::string& name);

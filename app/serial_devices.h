#pragma once

// The serial devices of this computer, to tell a user who named one that
// does not exist which ones do.

#include <string>
#include <vector>

// The serial devices present, by the paths a user would give as the device
// name: devRoot/serial/by-id/* first (they keep their names from one plugging
// to the next), then devRoot/ttyUSB*, devRoot/ttyACM* and those devRoot/ttyS*
// whose UART exists as the kernel reports it under sysRoot (a device behind
// class/tty/ttySn and a port type other than 0, unknown). Numbers in numeric
// order.
std::vector<std::string> ListSerialDevices(const std::string& devRoot = "/dev", const std::string& sysRoot = "/sys");

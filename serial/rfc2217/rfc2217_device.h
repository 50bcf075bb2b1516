#pragma once

#include "serial/os_serial.h"

// True for names of the form rfc2217://HOST:PORT.
bool IsRfc2217Name(const std::string& name);

// Connects to a network serial port (telnet Com Port Control Option).
// nullptr on failure with the OS code in osError.
std::unique_ptr<TSerialDevice> OpenRfc2217Device(const std::string& url, int& osError);

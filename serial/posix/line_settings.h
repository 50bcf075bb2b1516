#pragma once

// Translation between the device control block and termios, apart from any
// device (see posix_device.h for the decisions).

#include <termios.h>

#include "serial/os_serial.h"

// False for a block that termios cannot express.
bool LineSettingsValid(const TDCB& dcb);
// Writes the block's framing, parity, flow control and XON/XOFF characters
// into t; other termios fields stay.
void EncodeLineSettings(const TDCB& dcb, termios& t);
// Overwrites in dcb what termios holds (rate given separately); the rest of
// dcb stays as it was.
void DecodeLineSettings(const termios& t, uint32_t rate, TDCB& dcb);
// Whether two termios agree on everything EncodeLineSettings writes.
bool SameLineSettings(const termios& a, const termios& b);

#pragma once

// What no transport of ours can give of a device control block. Refusing it
// beats ignoring it: a setting taken silently and not carried out looks like
// a working port until data goes wrong.

#include "serial/os_serial.h"

// False for fewer than 5 or more than 8 data bits, an unknown parity or
// stop-bit code, stop bits the word size does not allow (1.5 only with 5
// data bits, 2 not with 5, the pairs Win32 accepts), no rate, DSR output
// flow, DTR handshake, DSR sensitivity and null stripping.
bool LineSettingsPossible(const TDCB& dcb);

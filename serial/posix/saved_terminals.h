#pragma once

// The settings a terminal had before the port opened it, given back when the
// port is closed, and also when the process ends with the port still open:
// at exit() and on every signal whose default ends the process (an uncaught
// exception ends in SIGABRT). Only SIGKILL, and _exit(), get past it.

#include <termios.h>

// Keeps `settings` for the open descriptor fd until GiveBackTerminal(fd).
// Returns false when no more terminals can be kept (then nothing is given back
// at the end).
bool KeepTerminalSettings(int fd, const termios& settings);

// Puts the kept settings back on fd and forgets them; does nothing for a
// descriptor whose settings were not kept. HUPCL stays off: putting it back
// would drop DTR as the port closes and hang up the modem.
void GiveBackTerminal(int fd);

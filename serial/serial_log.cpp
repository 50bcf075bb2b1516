#include "serial/serial_log.h"

// Debug and info off by default: the program logs nothing unless asked to.
Q_LOGGING_CATEGORY(lcSerial, "orvix.serial", QtWarningMsg)

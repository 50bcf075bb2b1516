#pragma once

// The serial component's part of the diagnostic trace: opens and closes, line
// settings, modem lines and device events. Off unless switched on, e.g.
// QT_LOGGING_RULES="orvix.serial=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSerial)

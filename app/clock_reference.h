#pragma once

#include <string>

#include "toolkit/core/date_time.h"

// The clock reference in the settings file, section ClockReset: Date as
// year,month,day and Time as hour,minute (decimal, no leading zeros, seconds
// not kept).

// Raises EIniFileException "Unable to write to <file>".
void WriteClockReference(TDateTime reference, const std::string& file);

// One reading of the file. A key missing from the first [ClockReset] section
// is taken from a later one. Raises EConvertError for a missing or malformed
// value ("'' is not a valid integer value", "Invalid argument to date
// encode", ...).
TDateTime ReadClockReference(const std::string& file);

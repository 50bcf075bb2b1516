#include <cstdio>

#include "serial/async_comm.h"

void RaiseCommError(const std::string& message, int32_t code) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, " (Error: %d) ", static_cast<int>(code));
  throw ECommError(message + suffix, code);
}

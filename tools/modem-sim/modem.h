#pragma once

#include <string>

#include "log.h"
#include "scenario.h"

namespace modemsim {

// The modem's answer to one command line, before any fault is applied.
struct Reply {
  bool ok = true;
  std::string text;  // information text; empty for a result-only reply
  long busyMs = 0;   // time the modem works before the result code (playing)
};

// The self-mode modem: its message store, clock, welcome messages and the AT
// dialect the manager uses.
class Modem {
 public:
  Modem(const Scenario& scenario, double speed, Log& log);

  // Runs one command line (without CR/LF); letters in any case.
  Reply Execute(const std::string& line);

  bool Powered() const { return powered_; }
  void SetPowered(bool on) { powered_ = on; }

 private:
  Reply Summary() const;
  Reply MessageInfo(int number) const;
  Reply ClockInfo() const;
  Reply Play(int number);
  // Minutes the clock shows now; negative while it is off.
  long ClockMinutes() const;

  Scenario store_;
  double speed_;
  Log& log_;
  bool powered_;
  bool selfMode_;
  Clock::time_point clockSet_;  // when the clock showed store_.clock* values
};

}  // namespace modemsim

#pragma once

#include <string>
#include <vector>

namespace modemsim {

enum class FaultKind {
  Error, NoAnswer, Delay, Garbage, Split, Lowercase, NoLineBreaks, Echo, DsrOff, Drop, Pace, Ook, Freeze, Die,
};

// One "fault" line of a scenario. The pattern matches a command line without
// regard to case: exact text, a prefix ending in '*', or '*' for every line.
struct FaultRule {
  std::string pattern;
  int occurrence = 0;  // 0: every match; N: only the rule's Nth match
  FaultKind kind = FaultKind::Error;
  long value = 0;      // delay ms, split chunk size, drop byte count, pace baud, freeze ms
  long value2 = 0;     // split gap ms
  std::string bytes;   // garbage bytes
};

const char* FaultName(FaultKind kind);

// Rules with their match counters.
class FaultSet {
 public:
  explicit FaultSet(std::vector<FaultRule> rules = {});
  // The rules that apply to this command line; counts the match for every rule whose pattern fits.
  std::vector<FaultRule> Match(const std::string& command);

 private:
  std::vector<FaultRule> rules_;
  std::vector<int> matches_;
};

}  // namespace modemsim

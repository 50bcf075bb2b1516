#include "faults.h"

#include <cctype>

namespace modemsim {

namespace {

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool Fits(const std::string& pattern, const std::string& command) {
  if (!pattern.empty() && pattern.back() == '*')
    return command.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  return pattern == command;
}

}  // namespace

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::Error: return "error";
    case FaultKind::NoAnswer: return "noanswer";
    case FaultKind::Delay: return "delay";
    case FaultKind::Garbage: return "garbage";
    case FaultKind::Split: return "split";
    case FaultKind::Lowercase: return "lowercase";
    case FaultKind::NoLineBreaks: return "nolinebreaks";
    case FaultKind::Echo: return "echo";
    case FaultKind::DsrOff: return "dsr-off";
    case FaultKind::Drop: return "drop";
    case FaultKind::Pace: return "pace";
    case FaultKind::Ook: return "ook";
    case FaultKind::Freeze: return "freeze";
    case FaultKind::Die: return "die";
  }
  return "?";
}

FaultSet::FaultSet(std::vector<FaultRule> rules) : rules_(std::move(rules)), matches_(rules_.size(), 0) {
  for (auto& r : rules_) r.pattern = Upper(r.pattern);
}

std::vector<FaultRule> FaultSet::Match(const std::string& command) {
  const std::string cmd = Upper(command);
  std::vector<FaultRule> out;
  for (size_t i = 0; i < rules_.size(); ++i) {
    if (!Fits(rules_[i].pattern, cmd)) continue;
    ++matches_[i];
    if (rules_[i].occurrence == 0 || rules_[i].occurrence == matches_[i]) out.push_back(rules_[i]);
  }
  return out;
}

}  // namespace modemsim

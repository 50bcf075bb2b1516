#include "modem.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace modemsim {

namespace {

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A decimal argument of at most three digits after `prefix`; -1 if there is none.
int Argument(const std::string& cmd, const std::string& prefix) {
  if (cmd.size() <= prefix.size() || cmd.size() > prefix.size() + 3 || cmd.compare(0, prefix.size(), prefix) != 0)
    return -1;
  int v = 0;
  for (size_t i = prefix.size(); i < cmd.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(cmd[i]))) return -1;
    v = v * 10 + (cmd[i] - '0');
  }
  return v;
}

std::string Fields(std::initializer_list<int> values, bool threeDigits) {
  std::string out;
  char buf[16];
  for (int v : values) {
    if (!out.empty()) out += ',';
    std::snprintf(buf, sizeof buf, threeDigits ? "%03d" : "%d", v);
    out += buf;
  }
  return out;
}

const Reply kOk{true, {}, 0};
const Reply kError{false, {}, 0};

}  // namespace

Modem::Modem(const Scenario& scenario, double speed, Log& log)
    : store_(scenario),
      speed_(speed),
      log_(log),
      powered_(scenario.powered),
      selfMode_(scenario.selfMode),
      clockSet_(Clock::now()) {}

Reply Modem::Execute(const std::string& line) {
  const std::string cmd = Upper(line);
  if (cmd == "AT") return kOk;
  if (cmd == "AT+MCS=1" || cmd == "AT+MCS=0") {
    selfMode_ = cmd.back() == '1';
    return kOk;
  }
  if (cmd == "AT+MCS?") return {true, selfMode_ ? "1" : "0", 0};
  if (Argument(cmd, "AT+MCD=") >= 0 || Argument(cmd, "AT+MCM=") >= 0 || Argument(cmd, "AT+MCR=") >= 0 ||
      cmd == "AT+MCW")
    return kOk;
  if (cmd == "AT+MCC?") return ClockInfo();
  if (cmd == "AT+MCC") {
    store_.clockRunning = true;
    store_.clockDays = store_.clockHours = store_.clockMinutes = 0;
    clockSet_ = Clock::now();
    log_.Event("CLOCK", "set");
    return kOk;
  }
  if (cmd == "AT+MEM") {
    store_.messages.clear();
    store_.memory = 0;
    log_.Event("ERASE");
    return kOk;
  }
  if (int n = Argument(cmd, "AT+MSR="); n >= 0) return n == 0 ? Summary() : MessageInfo(n);
  if (int n = Argument(cmd, "AT+MVP="); n >= 0) return Play(n);
  return kError;
}

Reply Modem::Summary() const {
  int voice = 0, other = 0;
  for (auto& m : store_.messages) (m.type == MessageType::Voice ? voice : other)++;
  return {true, Fields({store_.memory, 0, voice, 0, other, 0, store_.welcome, store_.fullWelcome}, false), 0};
}

Reply Modem::MessageInfo(int number) const {
  if (number < 1 || static_cast<size_t>(number) > store_.messages.size()) return kError;
  const Message& m = store_.messages[static_cast<size_t>(number) - 1];
  bool counted = m.type == MessageType::Fax || m.type == MessageType::Voice;
  return {true,
          Fields({number, static_cast<int>(m.type), counted ? m.length : 0, 0, 0, m.days, m.hours, m.minutes}, true),
          0};
}

long Modem::ClockMinutes() const {
  if (!store_.clockRunning) return -1;
  long elapsed = static_cast<long>(std::chrono::duration_cast<std::chrono::minutes>(Clock::now() - clockSet_).count());
  return (store_.clockDays * 24L + store_.clockHours) * 60L + store_.clockMinutes + elapsed;
}

Reply Modem::ClockInfo() const {
  long m = ClockMinutes();
  if (m < 0) return {true, Fields({255, 0, 0}, true), 0};
  long days = std::min(m / 1440, 254L);
  return {true, Fields({static_cast<int>(days), static_cast<int>(m / 60 % 24), static_cast<int>(m % 60)}, true), 0};
}

Reply Modem::Play(int number) {
  int seconds = -1;
  if (number == 0) seconds = store_.welcome > 0 ? store_.welcome : -1;
  else if (number == 255) seconds = store_.fullWelcome > 0 ? store_.fullWelcome : -1;
  else if (static_cast<size_t>(number) <= store_.messages.size() &&
           store_.messages[static_cast<size_t>(number) - 1].type == MessageType::Voice)
    seconds = store_.messages[static_cast<size_t>(number) - 1].length;
  if (seconds < 0) return kError;
  long ms = std::lround(seconds * 1000.0 * speed_);
  log_.Event("PLAY", "msg=" + std::to_string(number) + " ms=" + std::to_string(ms));
  return {true, {}, ms};
}

}  // namespace modemsim

#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "faults.h"

namespace modemsim {

// Type codes as the modem reports them (000..003).
enum class MessageType { Undef = 0, Fax = 1, Voice = 2, Data = 3 };

struct Message {
  MessageType type = MessageType::Voice;
  int length = 0;  // pages (fax) or seconds (voice)
  int days = 0;    // 255: stamped while the clock was off
  int hours = 0;
  int minutes = 0;
};

// What the modem holds when the emulator starts, and the faults to inject.
struct Scenario {
  std::vector<Message> messages;
  bool clockRunning = true;
  int clockDays = 0, clockHours = 0, clockMinutes = 0;  // clock reading at start
  int welcome = 0;      // seconds; 0 = no welcome message
  int fullWelcome = 0;  // seconds; 0 = none
  int memory = 0;       // percent used
  bool powered = true;  // DSR on
  bool selfMode = false;
  std::vector<FaultRule> faults;
};

class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the line-based scenario text (see docs/modem-sim.md); throws
// ScenarioError naming the line for anything it does not understand.
Scenario ParseScenario(const std::string& text);
Scenario LoadScenario(const std::string& path);
// The modem used when no scenario is given: a few voice and fax messages,
// both welcome messages, the clock running.
Scenario DefaultScenario();

// Decodes \xNN, \r, \n, \\ and \s (blank) in a scenario argument.
std::string Unescape(const std::string& text);

}  // namespace modemsim

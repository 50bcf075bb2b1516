#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "faults.h"
#include "log.h"
#include "modem.h"
#include "transport.h"

namespace modemsim {

struct SessionOptions {
  long guardMs = 100;  // least gap between a result code and the next command line
  long baud = 0;       // 0: replies go out at once; otherwise bytes are spaced as on such a line
  bool echo = false;   // echo every command line
};

// The modem's side of the dialogue over one line, whatever carries it:
// assembles command lines, checks the guard time, runs the modem, applies
// the faults and sends the reply on time.
class Session {
 public:
  Session(Modem& modem, FaultSet& faults, Log& log, SessionOptions options);

  void SetLink(Link* link) { link_ = link; }
  // Bytes received from the program (telnet framing already removed).
  void Received(std::string_view bytes);
  // When Run() has work next; nothing when it waits for input only.
  std::optional<Clock::time_point> NextDue() const;
  // Sends what is due and answers the command lines that are next in turn.
  void Run();
  // The line was lost: pending replies and a partial command line are dropped.
  void Reset();

 private:
  struct Line {
    std::string text;
    bool tooLong = false;
  };
  enum class ActionKind { Write, Drop, PowerOff };
  struct Action {
    Clock::time_point due;
    ActionKind kind;
    std::string bytes;
    bool endsReply = false;  // the last write of a reply
  };

  void Process(const Line& line);
  // Schedules bytes from `start`; returns the time of the last write.
  Clock::time_point Schedule(const std::string& bytes, Clock::time_point start, long baud, size_t chunk, long gapMs);
  void Execute(Action& action);

  Modem& modem_;
  FaultSet& faults_;
  Log& log_;
  SessionOptions options_;
  Link* link_ = nullptr;

  std::string partial_;
  bool partialTooLong_ = false;
  std::deque<Line> lines_;
  std::deque<Action> actions_;
  std::string replySoFar_;  // everything sent for the command being answered
  std::optional<Clock::time_point> lastResultEnd_;
};

}  // namespace modemsim

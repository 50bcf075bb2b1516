#include "scenario.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace modemsim {

namespace {

// Removes a comment: '#' at the start of the line or after a blank.
std::string StripComment(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
      return line.substr(0, i);
  return line;
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class LineParser {
 public:
  LineParser(int number, std::vector<std::string> words) : number_(number), words_(std::move(words)) {}

  [[noreturn]] void Fail(const std::string& why) const {
    throw ScenarioError("scenario line " + std::to_string(number_) + ": " + why);
  }
  size_t Size() const { return words_.size(); }
  const std::string& Word(size_t i) const {
    if (i >= words_.size()) Fail("missing value after '" + words_.back() + "'");
    return words_[i];
  }
  long Number(size_t i, long lo, long hi) const {
    const std::string& w = Word(i);
    char* end = nullptr;
    long v = std::strtol(w.c_str(), &end, 10);
    if (w.empty() || *end != '\0' || v < lo || v > hi)
      Fail("'" + w + "' is not a number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return v;
  }
  long OptNumber(size_t i, long lo, long hi, long dflt) const { return i < Size() ? Number(i, lo, hi) : dflt; }
  bool OnOff(size_t i) const {
    std::string w = Lower(Word(i));
    if (w == "on") return true;
    if (w == "off") return false;
    Fail("expected on or off, got '" + w + "'");
  }
  void NoMore(size_t n) const {
    if (Size() > n) Fail("unexpected '" + words_[n] + "'");
  }

 private:
  int number_;
  std::vector<std::string> words_;
};

FaultRule ParseFault(const LineParser& p) {
  FaultRule r;
  r.pattern = p.Word(1);
  size_t i = 2;
  if (p.Word(i)[0] == '@') {
    LineParser occ(0, {p.Word(i).substr(1)});
    char* end = nullptr;
    long n = std::strtol(occ.Word(0).c_str(), &end, 10);
    if (occ.Word(0).empty() || *end != '\0' || n < 1) p.Fail("bad occurrence '" + p.Word(i) + "'");
    r.occurrence = static_cast<int>(n);
    ++i;
  }
  const std::string kind = Lower(p.Word(i));
  size_t args = i + 1;
  if (kind == "error") r.kind = FaultKind::Error;
  else if (kind == "noanswer") r.kind = FaultKind::NoAnswer;
  else if (kind == "lowercase") r.kind = FaultKind::Lowercase;
  else if (kind == "nolinebreaks") r.kind = FaultKind::NoLineBreaks;
  else if (kind == "echo") r.kind = FaultKind::Echo;
  else if (kind == "dsr-off") r.kind = FaultKind::DsrOff;
  else if (kind == "ook") r.kind = FaultKind::Ook;
  else if (kind == "die") r.kind = FaultKind::Die;
  else if (kind == "freeze") {
    r.kind = FaultKind::Freeze;
    r.value = p.OptNumber(args++, 0, 3600000, 0);
  } else if (kind == "delay") {
    r.kind = FaultKind::Delay;
    r.value = p.Number(args++, 0, 3600000);
  } else if (kind == "garbage") {
    r.kind = FaultKind::Garbage;
    // No XON/XOFF in the default: a port with software flow control would stall on them.
    r.bytes = args < p.Size() ? Unescape(p.Word(args++)) : std::string("\x01#~\x7f*", 5);
  } else if (kind == "split") {
    r.kind = FaultKind::Split;
    r.value = p.OptNumber(args++, 1, 4096, 1);
    r.value2 = p.OptNumber(args++, 0, 60000, 10);
  } else if (kind == "drop") {
    r.kind = FaultKind::Drop;
    r.value = p.OptNumber(args++, 0, 4096, 0);
  } else if (kind == "pace") {
    r.kind = FaultKind::Pace;
    r.value = p.Number(args++, 1, 10000000);
  } else {
    p.Fail("unknown fault '" + kind + "'");
  }
  p.NoMore(std::max(args, i + 1));
  return r;
}

MessageType ParseType(const LineParser& p, size_t i) {
  std::string w = Lower(p.Word(i));
  if (w == "undef") return MessageType::Undef;
  if (w == "fax") return MessageType::Fax;
  if (w == "voice") return MessageType::Voice;
  if (w == "data") return MessageType::Data;
  p.Fail("unknown message type '" + w + "'");
}

}  // namespace

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'r') out += '\r';
    else if (c == 'n') out += '\n';
    else if (c == 's') out += ' ';
    else if (c == 'x' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
             std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else out += c;
  }
  return out;
}

Scenario ParseScenario(const std::string& text) {
  Scenario s;
  s.messages.clear();
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream ws(StripComment(line));
    std::vector<std::string> words;
    for (std::string w; ws >> w;) words.push_back(w);
    if (words.empty()) continue;
    LineParser p(number, words);
    const std::string key = Lower(words[0]);
    if (key == "message") {
      Message m;
      m.type = ParseType(p, 1);
      m.length = static_cast<int>(p.Number(2, 0, 999));
      m.days = static_cast<int>(p.Number(3, 0, 255));
      m.hours = static_cast<int>(p.Number(4, 0, 999));
      m.minutes = static_cast<int>(p.Number(5, 0, 999));
      p.NoMore(6);
      if (s.messages.size() >= 999) p.Fail("more than 999 messages");
      s.messages.push_back(m);
    } else if (key == "clock") {
      std::string state = Lower(p.Word(1));
      if (state == "off") {
        s.clockRunning = false;
        p.NoMore(2);
      } else if (state == "running") {
        s.clockRunning = true;
        s.clockDays = static_cast<int>(p.OptNumber(2, 0, 254, 0));
        s.clockHours = static_cast<int>(p.OptNumber(3, 0, 23, 0));
        s.clockMinutes = static_cast<int>(p.OptNumber(4, 0, 59, 0));
        p.NoMore(5);
      } else {
        p.Fail("expected 'clock running [DAYS [HOURS [MINUTES]]]' or 'clock off'");
      }
    } else if (key == "welcome") {
      s.welcome = static_cast<int>(p.Number(1, 0, 999));
      p.NoMore(2);
    } else if (key == "full-welcome") {
      s.fullWelcome = static_cast<int>(p.Number(1, 0, 999));
      p.NoMore(2);
    } else if (key == "memory") {
      s.memory = static_cast<int>(p.Number(1, 0, 999));
      p.NoMore(2);
    } else if (key == "powered") {
      s.powered = p.OnOff(1);
      p.NoMore(2);
    } else if (key == "selfmode") {
      s.selfMode = p.OnOff(1);
      p.NoMore(2);
    } else if (key == "fault") {
      s.faults.push_back(ParseFault(p));
    } else {
      p.Fail("unknown keyword '" + words[0] + "'");
    }
  }
  return s;
}

Scenario LoadScenario(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError("cannot read scenario file " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ParseScenario(ss.str());
}

Scenario DefaultScenario() {
  return ParseScenario(
      "memory 35\n"
      "clock running 3 10 0\n"
      "welcome 12\n"
      "full-welcome 8\n"
      "message voice 15 0 9 12\n"
      "message fax 2 1 14 3\n"
      "message voice 7 2 8 45\n"
      "message voice 31 2 17 20\n"
      "message fax 5 3 9 41\n");
}

}  // namespace modemsim

#pragma once

// A telnet stream taken apart byte by byte, to check the wire without the program's own decoder.

#include <cstdint>
#include <string>
#include <vector>

namespace orvix::test {

// The bytes with every IAC (255) doubled, as data and subnegotiation values travel.
inline std::string IacDoubled(const std::string& bytes) {
  std::string out;
  for (char c : bytes) out.append(c == '\xff' ? 2 : 1, c);
  return out;
}

class TTelnetWire {
 public:
  // Takes the next byte; true when it ended a subnegotiation.
  bool Feed(char byte) {
    const auto c = static_cast<uint8_t>(byte);
    switch (state_) {
      case kData:
        if (c == kIac) state_ = kCommand;
        else Data += byte;
        return false;
      case kCommand:
        if (c == kIac) Data += byte;
        verb_ = c;
        state_ = c >= 251 && c != kIac ? kOption : c == 250 ? kBody : kData;
        body_.clear();
        return false;
      case kOption:
        Options.push_back({static_cast<char>(verb_), byte});
        state_ = kData;
        return false;
      case kBody:
        if (c == kIac) state_ = kBodyIac;
        else body_ += byte;
        return false;
      case kBodyIac:
        // IAC IAC is a 255 of the value, IAC SE the end; anything else breaks the framing: dropped.
        if (c == kIac) body_ += byte;
        if (c == 240) Subnegotiations.push_back(body_);
        state_ = c == kIac ? kBody : kData;
        return c == 240;
    }
    return false;
  }
  // Forgets a subnegotiation or command left half done (a new connection).
  void Restart() { state_ = kData; }

  std::string Data;                          // IAC IAC undoubled
  std::vector<std::string> Options;          // verb and option, two bytes each
  std::vector<std::string> Subnegotiations;  // bodies, IAC IAC undoubled

 private:
  static constexpr uint8_t kIac = 255;
  enum { kData, kCommand, kOption, kBody, kBodyIac } state_ = kData;
  uint8_t verb_ = 0;
  std::string body_;
};

}  // namespace orvix::test

#pragma once

// The emulator's telnet framing is its own on purpose, not the client's
// (serial/rfc2217/telnet_codec.h): the emulator is the peer the client's
// network serial port is tested against, and one codec on both ends would
// agree with itself on any framing fault and let it pass. It also does what
// only a server meets: a client that leaves binary mode off (the NUL of CR NUL
// is dropped) and malformed commands that go to the log.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim::telnet {

constexpr uint8_t kSE = 240, kNOP = 241, kSB = 250, kWILL = 251, kWONT = 252, kDO = 253, kDONT = 254, kIAC = 255;
constexpr uint8_t kBinary = 0, kEcho = 1, kSGA = 3, kComPort = 44;

struct Item {
  enum class Kind {
    Data,         // bytes: data with IAC IAC undone
    Option,       // verb (WILL/WONT/DO/DONT) and option
    Subnegotiation,  // option and bytes (payload, IAC IAC undone)
    Command,      // verb: a two-byte command (NOP, BRK, ...) or an undefined byte after IAC
    Malformed,    // a subnegotiation cut short by another command, or too long
  };
  Kind kind;
  uint8_t verb = 0;
  uint8_t option = 0;
  std::string bytes;
};

// Splits a telnet byte stream into data and commands. Keeps its state
// between calls, so a command split across reads is put together again.
class Decoder {
 public:
  // With binary reception off, the NUL of a CR NUL pair is dropped.
  void SetBinary(bool on) { binary_ = on; }
  std::vector<Item> Feed(std::string_view input);
  void Reset();

 private:
  enum class State { Data, Iac, Verb, SbOption, SbData, SbIac };
  static constexpr size_t kMaxSubnegotiation = 256;

  void Flush(std::vector<Item>& out);

  State state_ = State::Data;
  bool binary_ = false;
  bool lastWasCr_ = false;
  uint8_t verb_ = 0;
  uint8_t sbOption_ = 0;
  bool sbTooLong_ = false;
  std::string data_;
  std::string sb_;
};

// Data for the wire: every IAC doubled.
std::string EscapeData(std::string_view data);
std::string OptionCommand(uint8_t verb, uint8_t option);
std::string Subnegotiation(uint8_t option, std::string_view payload);

}  // namespace modemsim::telnet

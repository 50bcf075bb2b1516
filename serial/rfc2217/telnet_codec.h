#pragma once

// Telnet framing for a network serial port: IAC escaping of data, option
// negotiation and a byte-at-a-time decoder that survives commands split
// across TCP segments and hostile input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace telnet {
constexpr uint8_t IAC = 255;
constexpr uint8_t DONT = 254;
constexpr uint8_t DO = 253;
constexpr uint8_t WONT = 252;
constexpr uint8_t WILL = 251;
constexpr uint8_t SB = 250;
constexpr uint8_t SE = 240;

constexpr uint8_t OPT_BINARY = 0;
constexpr uint8_t OPT_ECHO = 1;
constexpr uint8_t OPT_SGA = 3;
constexpr uint8_t OPT_COM_PORT = 44;
}  // namespace telnet

// Appends data to out with every IAC byte doubled.
void AppendTelnetData(std::string& out, const void* data, size_t count);
// IAC <command> <option>.
std::string TelnetOptionCommand(uint8_t command, uint8_t option);
// IAC SB <option> <payload, IAC doubled> IAC SE.
std::string TelnetSubnegotiation(uint8_t option, std::string_view payload);

// What the decoder found in the stream.
class TTelnetHandler {
 public:
  virtual ~TTelnetHandler() = default;
  virtual void OnTelnetData(const char* data, size_t count) = 0;
  // command is WILL, WONT, DO or DONT.
  virtual void OnTelnetNegotiation(uint8_t command, uint8_t option) = 0;
  // The bytes between IAC SB and IAC SE, IAC undoubled; the first is the option.
  virtual void OnTelnetSubnegotiation(std::string_view body) = 0;
  // Any other IAC <command> (NOP, GA, AYT, ...).
  virtual void OnTelnetCommand(uint8_t) {}
};

class TTelnetDecoder {
 public:
  // Longer subnegotiations are dropped whole: the buffer never grows past this.
  static constexpr size_t kMaxSubnegotiation = 256;

  // Decodes any slice of the stream; state carries over to the next call.
  void Feed(const void* data, size_t count, TTelnetHandler& handler);

  // Subnegotiations dropped for their length (a misbehaving peer).
  size_t DroppedSubnegotiations() const { return dropped_; }
  size_t BufferedSubnegotiationBytes() const { return sub_.size(); }

 private:
  enum class TState { Data, Iac, Option, Sub, SubIac };

  void StartSub();
  void EndSub(TTelnetHandler& handler);

  TState state_ = TState::Data;
  uint8_t command_ = 0;
  std::string sub_;
  bool subTooLong_ = false;
  size_t dropped_ = 0;
};

// Option negotiation without loops: a request is answered, an answer is not,
// and a request for a state already in force is ignored. Only the options
// accepted for each side are ever enabled; others are refused.
class TTelnetOptions {
 public:
  // Options we agree to perform (answer DO with WILL) and to let the peer
  // perform (answer WILL with DO).
  void Accept(uint8_t option, bool local, bool remote);

  // Asks to enable an accepted option on our side (WILL) or the peer's (DO);
  // returns the bytes to send (empty if already enabled or asked).
  std::string RequestLocal(uint8_t option);
  std::string RequestRemote(uint8_t option);

  // Handles a received WILL/WONT/DO/DONT; returns the reply to send, if any.
  std::string Receive(uint8_t command, uint8_t option);

  bool LocalEnabled(uint8_t option) const { return local_[option].enabled; }
  bool RemoteEnabled(uint8_t option) const { return remote_[option].enabled; }
  // The peer said no to a request of ours.
  bool LocalRefused(uint8_t option) const { return local_[option].refused; }
  bool RemoteRefused(uint8_t option) const { return remote_[option].refused; }

 private:
  struct TSide {
    bool accepted = false;
    bool enabled = false;
    bool pending = false;
    bool refused = false;
  };
  static std::string Handle(TSide& side, bool positive, uint8_t yes, uint8_t no, uint8_t option);

  TSide local_[256];
  TSide remote_[256];
};

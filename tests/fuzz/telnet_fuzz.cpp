// The network port's telnet layer against a hostile server: the decoder fed the stream in any pieces, the
// negotiation answering whatever the stream asks, and two negotiators talking until they agree.

#include <fuzzer/FuzzedDataProvider.h>

#include "serial/rfc2217/rfc2217_protocol.h"
#include "serial/rfc2217/telnet_codec.h"
#include "tests/fuzz/fuzz_input.h"

using fuzz::Check;

namespace {

using namespace telnet;

struct TEvent {
  char Kind;  // d data, n negotiation, s subnegotiation, c other command
  std::string Bytes;
  bool operator==(const TEvent&) const = default;
};

// What the decoder reports, adjacent data runs joined: the cutting may change how data is handed over, not what.
struct TRecorder : TTelnetHandler {
  std::vector<TEvent> Events;

  void OnTelnetData(const char* data, size_t count) override {
    Check(count > 0, "empty data run");
    if (!Events.empty() && Events.back().Kind == 'd') Events.back().Bytes.append(data, count);
    else Events.push_back({'d', std::string(data, count)});
  }
  void OnTelnetNegotiation(uint8_t command, uint8_t option) override {
    Check(command == WILL || command == WONT || command == DO || command == DONT, "negotiation command");
    Events.push_back({'n', {static_cast<char>(command), static_cast<char>(option)}});
  }
  void OnTelnetSubnegotiation(std::string_view body) override {
    Check(!body.empty() && body.size() <= TTelnetDecoder::kMaxSubnegotiation, "subnegotiation length");
    Events.push_back({'s', std::string(body)});
  }
  void OnTelnetCommand(uint8_t command) override {
    Check(command != IAC && command != SE, "IAC or SE reported as a command");
    Events.push_back({'c', std::string(1, static_cast<char>(command))});
  }
};

std::vector<TEvent> Decode(const std::vector<std::string>& pieces) {
  TTelnetDecoder decoder;
  TRecorder recorder;
  for (const std::string& p : pieces) {
    decoder.Feed(p.data(), p.size(), recorder);
    Check(decoder.BufferedSubnegotiationBytes() <= TTelnetDecoder::kMaxSubnegotiation, "buffer bound");
  }
  return recorder.Events;
}

// The client side as the network port sets it up.
TTelnetOptions ClientOptions(std::string& sent) {
  TTelnetOptions o;
  for (uint8_t option : {OPT_COM_PORT, OPT_BINARY, OPT_SGA}) o.Accept(option, true, true);
  for (uint8_t option : {OPT_COM_PORT, OPT_BINARY, OPT_SGA}) sent += o.RequestLocal(option) + o.RequestRemote(option);
  return o;
}

// Every reply is one whole option command about the option asked, of the matching side; nothing not
// accepted is enabled.
void AnswerHostilePeer(const std::vector<TEvent>& events) {
  std::string sent;
  TTelnetOptions options = ClientOptions(sent);
  for (const TEvent& e : events) {
    if (e.Kind == 's') {
      // What the port does with a notification: an unchanged state reports no event.
      if (e.Bytes.size() >= 3 && static_cast<uint8_t>(e.Bytes[0]) == OPT_COM_PORT) {
        const auto value = static_cast<uint8_t>(e.Bytes[2]);
        const TRfc2217Signals s = DecodeModemState(0, value);
        Check((s.status & ~uint32_t{rfc2217::MODEM_LINES}) == 0, "modem lines");
        Check(DecodeModemState(s.status, value & rfc2217::MODEM_LINES).events == 0, "event without change");
        const TRfc2217Signals l = DecodeLineState(value);
        Check(((l.events & EV_ERR) != 0) == ((l.errors & ~uint32_t{CE_BREAK}) != 0), "error event");
      }
      continue;
    }
    if (e.Kind != 'n') continue;
    const auto command = static_cast<uint8_t>(e.Bytes[0]);
    const auto option = static_cast<uint8_t>(e.Bytes[1]);
    const std::string reply = options.Receive(command, option);
    if (!reply.empty()) {
      Check(reply.size() == 3 && static_cast<uint8_t>(reply[0]) == IAC && static_cast<uint8_t>(reply[2]) == option,
            "reply form");
      const auto r = static_cast<uint8_t>(reply[1]);
      const bool remoteSide = command == WILL || command == WONT;
      Check(remoteSide ? (r == DO || r == DONT) : (r == WILL || r == WONT), "reply side");
    }
    const bool accepted = option == OPT_COM_PORT || option == OPT_BINARY || option == OPT_SGA;
    Check(accepted || (!options.LocalEnabled(option) && !options.RemoteEnabled(option)), "unaccepted option on");
  }
}

// Two negotiators that accept and request what the input says, their messages delivered in an order the
// input picks, always come to rest and then agree on every option.
void NegotiateWithPeer(FuzzedDataProvider& in) {
  TTelnetOptions side[2];
  std::vector<std::string> queue[2];  // bytes on the way to side i
  constexpr uint8_t kOptions[] = {OPT_BINARY, OPT_ECHO, OPT_SGA, OPT_COM_PORT};
  for (auto& s : side) for (uint8_t o : kOptions) s.Accept(o, in.ConsumeBool(), in.ConsumeBool());

  auto send = [&](int to, const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); i += 3) queue[to].push_back(bytes.substr(i, 3));
  };
  int steps = 0;
  while (in.remaining_bytes() > 0 || !queue[0].empty() || !queue[1].empty()) {
    Check(++steps < 10000, "negotiation never ends");
    const int action = in.remaining_bytes() > 0 ? in.ConsumeIntegralInRange(0, 3) : 2;
    const int who = in.remaining_bytes() > 0 ? in.ConsumeIntegralInRange(0, 1) : (queue[0].empty() ? 1 : 0);
    const uint8_t option = kOptions[in.remaining_bytes() > 0 ? in.ConsumeIntegralInRange(0, 3) : 0];
    if (action == 0) send(1 - who, side[who].RequestLocal(option));
    else if (action == 1) send(1 - who, side[who].RequestRemote(option));
    else if (!queue[who].empty()) {
      const std::string message = queue[who].front();
      queue[who].erase(queue[who].begin());
      send(1 - who, side[who].Receive(static_cast<uint8_t>(message[1]), static_cast<uint8_t>(message[2])));
    }
  }
  for (uint8_t o : kOptions) {
    Check(side[0].LocalEnabled(o) == side[1].RemoteEnabled(o), "sides disagree (0 local)");
    Check(side[0].RemoteEnabled(o) == side[1].LocalEnabled(o), "sides disagree (0 remote)");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TChunkedInput in = fuzz::SplitInput(data, size);

  const std::vector<TEvent> whole = Decode({in.Stream});
  Check(Decode(in.Chunks) == whole, "events depend on the cutting");
  Check(Decode(in.Bytes) == whole, "events differ byte by byte");
  AnswerHostilePeer(whole);

  std::string encoded;  // decodes to itself
  AppendTelnetData(encoded, in.Stream.data(), in.Stream.size());
  const std::vector<TEvent> decoded = Decode({encoded});
  Check(in.Stream.empty() ? decoded.empty() : decoded == std::vector<TEvent>{{'d', in.Stream}}, "data round trip");
  if (!in.Stream.empty() && in.Stream.size() < TTelnetDecoder::kMaxSubnegotiation) {
    const auto option = static_cast<uint8_t>(in.Stream[0]);
    Check(Decode({TelnetSubnegotiation(option, in.Stream.substr(1))}) == std::vector<TEvent>{{'s', in.Stream}},
          "subnegotiation round trip");
  }

  FuzzedDataProvider script(reinterpret_cast<const uint8_t*>(in.Stream.data()), in.Stream.size());
  NegotiateWithPeer(script);
  return 0;
}

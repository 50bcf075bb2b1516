// The network port's telnet framing, option negotiation, URLs and protocol values.

#include <cerrno>
#include <netdb.h>
#include <random>

#include "serial/rfc2217/rfc2217_protocol.h"
#include "serial/rfc2217/rfc2217_url.h"
#include "serial/rfc2217/tcp_connect.h"
#include "serial/rfc2217/telnet_codec.h"
#include "tests/serial/rfc2217_test_peer.h"

namespace {

constexpr auto B = rfc2217_test::Bytes;

// Records what the decoder reports, as text, in order.
struct TRecorder : TTelnetHandler {
  std::string data;
  std::vector<std::string> log;
  void OnTelnetData(const char* d, size_t n) override { data.append(d, n); }
  void OnTelnetNegotiation(uint8_t c, uint8_t o) override {
    log.push_back("NEG " + std::to_string(c) + " " + std::to_string(o));
  }
  void OnTelnetSubnegotiation(std::string_view body) override {
    std::string s = "SB";
    for (unsigned char c : body) s += " " + std::to_string(c);
    log.push_back(s);
  }
  void OnTelnetCommand(uint8_t c) override { log.push_back("CMD " + std::to_string(c)); }
};

void Feed(TTelnetDecoder& d, TRecorder& r, const std::string& s) { d.Feed(s.data(), s.size(), r); }

// The stream fed in these pieces.
TRecorder Decode(const std::vector<std::string>& pieces) {
  TTelnetDecoder d;
  TRecorder r;
  for (const std::string& p : pieces) Feed(d, r, p);
  return r;
}

// A stream with every construct the decoder knows.
const std::string kMixed = "AT" + B({255, 255}) + "x" + B({255, 251, 44}) + B({255, 250, 44, 107, 255, 255, 0, 255, 240}) +
                           B({255, 241}) + "\r\n" + B({255, 240}) + "OK" + B({255, 253, 0});

// The same result whatever the segment boundaries: every split into two pieces, then one byte at a time.
TEST(TelnetDecoder, SeparatesDataNegotiationAndSubnegotiationWhateverTheSegments) {
  const TRecorder whole = Decode({kMixed});
  EXPECT_EQ(whole.data, "AT" + B({255}) + "x\r\nOK");
  EXPECT_EQ(whole.log, (std::vector<std::string>{"NEG 251 44", "SB 44 107 255 0", "CMD 241", "NEG 253 0"}));
  for (size_t cut = 0; cut <= kMixed.size(); ++cut) {
    const TRecorder r = Decode({kMixed.substr(0, cut), kMixed.substr(cut)});
    EXPECT_EQ(r.data, whole.data) << "cut at " << cut;
    EXPECT_EQ(r.log, whole.log) << "cut at " << cut;
  }
  std::vector<std::string> bytes;
  for (char c : kMixed) bytes.emplace_back(1, c);
  const TRecorder r = Decode(bytes);
  EXPECT_EQ(r.data, whole.data);
  EXPECT_EQ(r.log, whole.log);
}

TEST(TelnetDecoder, OverlongSubnegotiationIsDroppedAndBounded) {
  TTelnetDecoder d;
  TRecorder r;
  Feed(d, r, B({255, 250, 44, 107}));
  Feed(d, r, std::string(100000, 'j'));
  EXPECT_LE(d.BufferedSubnegotiationBytes(), TTelnetDecoder::kMaxSubnegotiation);
  Feed(d, r, B({255, 240}) + "after" + B({255, 250, 44, 107, 0x20, 255, 240}));
  EXPECT_EQ(r.data, "after");
  EXPECT_EQ(r.log, std::vector<std::string>{"SB 44 107 32"});
  EXPECT_EQ(d.DroppedSubnegotiations(), 1u);
}

TEST(TelnetDecoder, CommandInsideSubnegotiationAbandonsIt) {
  // IAC WILL inside SB: the peer lost its framing; the command counts, the half subnegotiation is not reported.
  TRecorder r = Decode({B({255, 250, 44, 107, 0x20, 255, 251, 3}) + "z" + B({255, 250, 255, 250, 44, 1, 255, 240})});
  EXPECT_EQ(r.data, "z");
  EXPECT_EQ(r.log, (std::vector<std::string>{"NEG 251 3", "SB 44 1"}));
}

TEST(TelnetDecoder, RandomGarbageNeverGrowsTheBuffer) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> byte(0, 255), bias(0, 3);
  TTelnetDecoder d;
  TRecorder r;
  size_t total = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string chunk;
    for (int i = 0; i < 200; ++i) chunk.push_back(static_cast<char>(bias(rng) == 0 ? 255 : byte(rng)));
    Feed(d, r, chunk);
    total += chunk.size();
    ASSERT_LE(d.BufferedSubnegotiationBytes(), TTelnetDecoder::kMaxSubnegotiation);
    r.log.clear();
  }
  EXPECT_LE(r.data.size(), total);
  // The decoder recovers: a clean sequence after the garbage is understood.
  Feed(d, r, B({255, 240, 255, 240}) + B({255, 250, 44, 107, 0x30, 255, 240}));
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.log.back(), "SB 44 107 48");
}

TEST(TelnetEncoding, DoublesIacInDataAndSubnegotiation) {
  std::string out = "pre";
  const std::string data = B({1, 255, 2, 255, 255});
  AppendTelnetData(out, data.data(), data.size());
  EXPECT_EQ(out, "pre" + B({1, 255, 255, 2, 255, 255, 255, 255}));
  EXPECT_EQ(TelnetSubnegotiation(44, B({1, 0, 0, 255, 255})), B({255, 250, 44, 1, 0, 0, 255, 255, 255, 255, 255, 240}));
  EXPECT_EQ(TelnetOptionCommand(telnet::DO, 44), B({255, 253, 44}));
  std::string all, bytes;  // round trip through the decoder
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  AppendTelnetData(all, bytes.data(), bytes.size());
  EXPECT_EQ(Decode({all}).data, bytes);
}

TEST(TelnetOptions, AnswersRequestsButNotAnswers) {
  using namespace telnet;
  TTelnetOptions o;
  o.Accept(OPT_COM_PORT, true, true);
  o.Accept(OPT_BINARY, true, true);

  // Our own requests; the agreeing answers get no reply.
  EXPECT_EQ(o.RequestLocal(OPT_COM_PORT), B({255, 251, 44}));
  EXPECT_EQ(o.RequestLocal(OPT_COM_PORT), "");  // asked already
  EXPECT_EQ(o.Receive(DO, OPT_COM_PORT), "");
  EXPECT_TRUE(o.LocalEnabled(OPT_COM_PORT));
  EXPECT_EQ(o.Receive(DO, OPT_COM_PORT), "");  // already on: no loop

  EXPECT_EQ(o.Receive(WILL, OPT_BINARY), B({255, 253, 0}));
  EXPECT_EQ(o.Receive(WILL, OPT_BINARY), "");
  EXPECT_TRUE(o.RemoteEnabled(OPT_BINARY));
  EXPECT_EQ(o.Receive(WONT, OPT_BINARY), B({255, 254, 0}));
  EXPECT_EQ(o.Receive(WONT, OPT_BINARY), "");
  EXPECT_FALSE(o.RemoteEnabled(OPT_BINARY));

  // Options not accepted are refused politely, and never enabled.
  EXPECT_EQ(o.Receive(WILL, OPT_ECHO), B({255, 254, 1}));
  EXPECT_EQ(o.Receive(DO, 24), B({255, 252, 24}));
  EXPECT_FALSE(o.RemoteEnabled(OPT_ECHO));
  EXPECT_EQ(o.Receive(DONT, 24), "");

  // A refusal of our request is remembered and not answered.
  EXPECT_EQ(o.RequestRemote(OPT_COM_PORT), B({255, 253, 44}));
  EXPECT_EQ(o.Receive(WONT, OPT_COM_PORT), "");
  EXPECT_TRUE(o.RemoteRefused(OPT_COM_PORT));
  EXPECT_FALSE(o.RemoteEnabled(OPT_COM_PORT));
}

TEST(Rfc2217Url, ParsesHostAndPortAndAMalformedNameFailsToOpen) {
  for (auto [url, host, port] : {std::tuple{"rfc2217://127.0.0.1:7000", "127.0.0.1", 7000},
                                 std::tuple{"RFC2217://modem-server.lan:65535/", "modem-server.lan", 65535},
                                 std::tuple{"rfc2217://[::1]:2217", "::1", 2217}}) {
    TRfc2217Address a;
    ASSERT_TRUE(ParseRfc2217Url(url, a)) << url;
    EXPECT_EQ(a.host, host);
    EXPECT_EQ(a.port, port);
  }
  TRfc2217Address a;
  for (const char* bad : {"rfc2217://", "rfc2217://host", "rfc2217://host:", "rfc2217://:7000", "rfc2217://host:0",
                          "rfc2217://host:65536", "rfc2217://host:70a", "rfc2217://host:7000?logging=debug",
                          "rfc2217://host:7000/path", "rfc2217://[::1]", "rfc2217://[::1:7000", "tcp://host:7000",
                          "com1", "rfc2217://user@host:7000"})
    EXPECT_FALSE(ParseRfc2217Url(bad, a)) << bad;

  EXPECT_TRUE(IsRfc2217Name("rfc2217://x:1"));
  EXPECT_TRUE(IsRfc2217Name("Rfc2217://x:1"));
  EXPECT_FALSE(IsRfc2217Name("/dev/ttyS0"));
  EXPECT_FALSE(IsRfc2217Name("rfc2217:"));
  int error = 0;
  EXPECT_EQ(OpenRfc2217Device("rfc2217://127.0.0.1", error), nullptr);
  EXPECT_EQ(error, EINVAL);
}

TEST(Rfc2217Url, ResolverFailuresMapToErrno) {
  // A name that cannot be looked up has its own code: not "no such device", not "held by another" (EWOULDBLOCK).
  for (int eai : {EAI_NONAME, EAI_AGAIN, EAI_FAIL}) {
    EXPECT_EQ(AddrInfoErrorToErrno(eai, 0), kNameLookupFailed) << eai;
    EXPECT_NE(AddrInfoErrorToErrno(eai, 0), ENOENT);
    EXPECT_NE(AddrInfoErrorToErrno(eai, 0), EWOULDBLOCK);
  }
  EXPECT_EQ(AddrInfoErrorToErrno(EAI_SYSTEM, EMFILE), EMFILE);
  EXPECT_NE(AddrInfoErrorToErrno(EAI_SYSTEM, 0), 0);
}

TEST(Rfc2217Values, LineSettingsFromTheControlBlock) {
  TDCB dcb;
  dcb.BaudRate = 115200, dcb.ByteSize = 7, dcb.Parity = EVENPARITY, dcb.StopBits = TWOSTOPBITS;
  TRfc2217LineSettings s;
  ASSERT_TRUE(DcbToRfc2217(dcb, s));
  EXPECT_EQ(std::tuple(s.baudRate, s.dataSize, s.parity, s.stopSize, s.flowControl),
            std::tuple(115200u, 7, rfc2217::PARITY_EVEN, rfc2217::STOPSIZE_2, rfc2217::CONTROL_FLOW_NONE));

  const std::pair<uint8_t, uint8_t> parities[] = {{NOPARITY, 1}, {ODDPARITY, 2}, {EVENPARITY, 3}, {MARKPARITY, 4},
                                                  {SPACEPARITY, 5}};
  for (auto [win, net] : parities) {
    dcb.Parity = win;
    ASSERT_TRUE(DcbToRfc2217(dcb, s));
    EXPECT_EQ(s.parity, net);
  }
  dcb.StopBits = ONE5STOPBITS;
  EXPECT_FALSE(DcbToRfc2217(dcb, s));  // 1.5 stop bits only with 5 data bits
  dcb.ByteSize = 5;
  ASSERT_TRUE(DcbToRfc2217(dcb, s));
  EXPECT_EQ(s.stopSize, rfc2217::STOPSIZE_15);
  dcb.ByteSize = 7;
  dcb.StopBits = ONESTOPBIT;
  ASSERT_TRUE(DcbToRfc2217(dcb, s));
  EXPECT_EQ(s.stopSize, rfc2217::STOPSIZE_1);

  dcb.Flags |= dcb::fOutxCtsFlow;
  ASSERT_TRUE(DcbToRfc2217(dcb, s));
  EXPECT_EQ(s.flowControl, rfc2217::CONTROL_FLOW_HARDWARE);
  dcb.Flags |= dcb::fInX;  // software flow wins when both are asked for
  ASSERT_TRUE(DcbToRfc2217(dcb, s));
  EXPECT_EQ(s.flowControl, rfc2217::CONTROL_FLOW_XONXOFF);

  auto refused = [&](auto change) { TDCB bad = dcb; change(bad); return !DcbToRfc2217(bad, s); };
  EXPECT_TRUE(refused([](TDCB& d) { d.ByteSize = 4; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Parity = 5; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.StopBits = 3; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.BaudRate = 0; }));
}

TEST(Rfc2217Values, EncodedSettingsAreBigEndianSubnegotiations) {
  TRfc2217LineSettings s{256000, 8, 1, 1, 1};
  EXPECT_EQ(EncodeLineSettings(s), B({255, 250, 44, 1, 0, 3, 232, 0, 255, 240,  //
                                      255, 250, 44, 2, 8, 255, 240,             //
                                      255, 250, 44, 3, 1, 255, 240,             //
                                      255, 250, 44, 4, 1, 255, 240,             //
                                      255, 250, 44, 5, 1, 255, 240}));
  // A rate with a 0xFF byte is escaped inside the subnegotiation.
  s.baudRate = 0x0001FF00;
  EXPECT_EQ(EncodeLineSettings(s).substr(0, 11), B({255, 250, 44, 1, 0, 1, 255, 255, 0, 255, 240}));
}

// A report against the state before it: the lines it sets, the changes as events (ring on its rising edge
// and on a trailing-edge report).
TEST(Rfc2217Values, ModemStateBitsAndChanges) {
  const struct { const char* what; uint32_t before; int bits; uint32_t status, events; } cases[] = {
      {"first report: DSR and CTS on", 0, 0x30, MS_DSR_ON | MS_CTS_ON, EV_DSR | EV_CTS},
      {"the same again", MS_DSR_ON | MS_CTS_ON, 0x30, MS_DSR_ON | MS_CTS_ON, 0},
      {"DSR dropped and back between reports", MS_DSR_ON, 0x20 | 0x02, MS_DSR_ON, EV_DSR},
      {"carrier and ring", 0, 0xC0, MS_RLSD_ON | MS_RING_ON, EV_RLSD | EV_RING},
      {"ring ends", MS_RING_ON, 0x00, 0, 0},
      {"ring's trailing edge", 0, 0x04, 0, EV_RING},
  };
  for (const auto& c : cases) {
    const TRfc2217Signals s = DecodeModemState(c.before, static_cast<uint8_t>(c.bits));
    EXPECT_EQ(s.status, c.status) << c.what;
    EXPECT_EQ(s.events, c.events) << c.what;
  }
}

TEST(Rfc2217Values, LineStateErrors) {
  // Shift-register states (0x60) are no errors.
  for (auto [bits, errors, events] : {std::tuple{0x02 | 0x04 | 0x08, CE_OVERRUN | CE_RXPARITY | CE_FRAME, EV_ERR},
                                      std::tuple{0x10, CE_BREAK, EV_BREAK}, std::tuple{0x60, 0u, 0u}}) {
    const TRfc2217Signals s = DecodeLineState(static_cast<uint8_t>(bits));
    EXPECT_EQ(s.errors, errors) << bits;
    EXPECT_EQ(s.events, events) << bits;
  }
}

}  // namespace

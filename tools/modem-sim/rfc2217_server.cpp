#include "rfc2217_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace modemsim {

using namespace telnet;

namespace {

// Com Port Control commands, client to server; the server answers with +100.
enum : uint8_t {
  kSignature = 0,
  kSetBaudRate = 1,
  kSetDataSize = 2,
  kSetParity = 3,
  kSetStopSize = 4,
  kSetControl = 5,
  kNotifyLineState = 6,
  kNotifyModemState = 7,
  kFlowSuspend = 8,
  kFlowResume = 9,
  kSetLineStateMask = 10,
  kSetModemStateMask = 11,
  kPurgeData = 12,
  kServerOffset = 100,
};

constexpr uint8_t kCts = 0x10, kDsr = 0x20, kDeltaDsr = 0x02, kDeltaCts = 0x01;

bool Supported(uint8_t option) { return option == kBinary || option == kSGA || option == kComPort; }

const char* VerbName(uint8_t v) {
  switch (v) {
    case kWILL: return "WILL";
    case kWONT: return "WONT";
    case kDO: return "DO";
    case kDONT: return "DONT";
  }
  return "?";
}

const char* ParityName(uint8_t p) {
  static const char* names[] = {"query", "none", "odd", "even", "mark", "space"};
  return p < 6 ? names[p] : "unknown";
}

const char* StopName(uint8_t s) {
  static const char* names[] = {"query", "1", "2", "1.5"};
  return s < 4 ? names[s] : "unknown";
}

const char* FlowName(uint8_t v) {
  switch (v) {
    case 1: case 14: return "none";
    case 2: case 15: return "xonxoff";
    case 3: case 16: return "hardware";
    case 17: return "dcd";
    case 18: return "dtr";
    case 19: return "dsr";
  }
  return "unknown";
}

std::string Hex(uint8_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}

}  // namespace

Rfc2217Server::Rfc2217Server(Session& session, Modem& modem, Log& log, const std::string& host, int port)
    : session_(session), modem_(modem), log_(log), host_(host.empty() ? "127.0.0.1" : host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* res = nullptr;
  int rc = getaddrinfo(host_.c_str(), std::to_string(port).c_str(), &hints, &res);
  if (rc != 0) throw std::runtime_error("cannot resolve " + host_ + ": " + gai_strerror(rc));
  std::string error = "no address";
  for (addrinfo* a = res; a && listen_ < 0; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 4) == 0) {
      listen_ = fd;
    } else {
      error = strerror(errno);
      close(fd);
    }
  }
  freeaddrinfo(res);
  if (listen_ < 0) throw std::runtime_error("cannot listen on " + host_ + ":" + std::to_string(port) + ": " + error);
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port
                                           : reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  log_.Event("LISTEN", host_ + ":" + std::to_string(port_));
}

Rfc2217Server::~Rfc2217Server() {
  if (client_ >= 0) close(client_);
  if (listen_ >= 0) close(listen_);
}

std::string Rfc2217Server::Url() const {
  bool v6 = host_.find(':') != std::string::npos;
  return "rfc2217://" + (v6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_);
}

void Rfc2217Server::AddPollFds(std::vector<pollfd>& fds) {
  fds.push_back({listen_, POLLIN, 0});
  if (client_ >= 0) fds.push_back({client_, static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)), 0});
}

void Rfc2217Server::HandlePoll(const std::vector<pollfd>& fds) {
  // The client first: a program that closes and at once reopens the port has
  // its old connection's end and its new connection ready in the same round.
  bool acceptReady = false;
  for (auto& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == listen_) {
      acceptReady = true;
    } else if (p.fd == client_) {
      if (p.revents & POLLOUT) Flush();
      if (client_ >= 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) ReadClient();
    }
  }
  if (acceptReady) Accept();
}

void Rfc2217Server::Accept() {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  int fd = accept4(listen_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;
  char host[NI_MAXHOST] = "?", serv[NI_MAXSERV] = "?";
  getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, serv, sizeof serv,
              NI_NUMERICHOST | NI_NUMERICSERV);
  std::string peer = std::string(host) + ":" + serv;
  // The previous client may have closed after the last poll: read what it left
  // (its end included) before deciding the line is busy.
  for (int i = 0; i < 64 && client_ >= 0; ++i) {
    pollfd p{client_, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) break;
    ReadClient();
  }
  if (client_ >= 0) {
    // One modem, one line: a second client is turned away, not queued.
    log_.Event("REJECT", peer + " busy");
    close(fd);
    return;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // paced bytes must not be merged
  client_ = fd;
  log_.Event("CONNECT", peer);
  Request(kWILL, kBinary);
  Request(kDO, kBinary);
  Request(kWILL, kSGA);
  Request(kDO, kSGA);
  Request(kDO, kComPort);
}

void Rfc2217Server::CloseClient(const char* why) {
  if (client_ < 0) return;
  close(client_);
  client_ = -1;
  log_.Event("DISCONNECT", why);
  session_.Reset();
  decoder_.Reset();
  out_.clear();
  local_.clear();
  remote_.clear();
  notified_ = false;
  dtr_ = rts_ = break_ = false;
}

void Rfc2217Server::ReadClient() {
  char buf[4096];
  ssize_t n = recv(client_, buf, sizeof buf, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    CloseClient(n == 0 ? "closed by peer" : strerror(errno));
    return;
  }
  for (auto& item : decoder_.Feed(std::string_view(buf, static_cast<size_t>(n)))) {
    if (client_ < 0) return;
    switch (item.kind) {
      case Item::Kind::Data:
        session_.Received(item.bytes);
        break;
      case Item::Kind::Option:
        HandleOption(item.verb, item.option);
        break;
      case Item::Kind::Subnegotiation:
        if (item.option == kComPort) HandleComPort(item.bytes);
        else log_.Event("TELNET", "ignored subnegotiation of option " + std::to_string(item.option));
        break;
      case Item::Kind::Command:
        log_.Event("TELNET", "command " + std::to_string(item.verb));
        break;
      case Item::Kind::Malformed:
        log_.Event("TELNET", "malformed subnegotiation of option " + std::to_string(item.option));
        break;
    }
  }
}

void Rfc2217Server::Send(std::string_view bytes) {
  if (client_ >= 0) SendRaw(EscapeData(bytes));
}

void Rfc2217Server::SendRaw(std::string_view bytes) {
  out_.append(bytes);
  Flush();
}

void Rfc2217Server::Flush() {
  while (!out_.empty() && client_ >= 0) {
    ssize_t n = send(client_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      out_.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // Full: POLLOUT resumes. Broken: the next read sees the end and closes.
    if (n < 0 && errno != EAGAIN) out_.clear();
    return;
  }
}

void Rfc2217Server::Drop() { CloseClient("drop"); }

void Rfc2217Server::Request(uint8_t verb, uint8_t option) {
  auto& st = (verb == kWILL || verb == kWONT) ? local_[option] : remote_[option];
  st.requested = true;
  SendRaw(OptionCommand(verb, option));
}

// Option negotiation without loops: answer only what changes a state we did
// not ask for ourselves.
void Rfc2217Server::HandleOption(uint8_t verb, uint8_t option) {
  log_.Event("TELNET", std::string(VerbName(verb)) + " " + std::to_string(option));
  const bool wasActive = ComPortActive();
  if (verb == kWILL || verb == kWONT) {
    auto& st = remote_[option];
    if (verb == kWILL) {
      if (!Supported(option)) SendRaw(OptionCommand(kDONT, option));
      else if (!st.enabled) {
        st.enabled = true;
        if (!st.requested) SendRaw(OptionCommand(kDO, option));
      }
    } else if (st.enabled || st.requested) {
      if (st.enabled) SendRaw(OptionCommand(kDONT, option));
      st.enabled = false;
    }
    st.requested = false;
  } else {
    auto& st = local_[option];
    if (verb == kDO) {
      if (!Supported(option)) SendRaw(OptionCommand(kWONT, option));
      else if (!st.enabled) {
        st.enabled = true;
        if (!st.requested) SendRaw(OptionCommand(kWILL, option));
      }
    } else if (st.enabled || st.requested) {
      if (st.enabled) SendRaw(OptionCommand(kWONT, option));
      st.enabled = false;
    }
    st.requested = false;
  }
  decoder_.SetBinary(remote_[kBinary].enabled);
  if (!wasActive && ComPortActive() && !notified_) NotifyModemState(0);
}

bool Rfc2217Server::ComPortActive() const {
  auto on = [](const std::map<uint8_t, OptionState>& m) {
    auto it = m.find(kComPort);
    return it != m.end() && it->second.enabled;
  };
  return on(local_) || on(remote_);
}

void Rfc2217Server::ComPortReply(uint8_t command, std::string_view value) {
  std::string payload(1, static_cast<char>(command + kServerOffset));
  payload += value;
  SendRaw(Subnegotiation(kComPort, payload));
}

uint8_t Rfc2217Server::ModemState() const { return modem_.Powered() ? (kDsr | kCts) : 0; }

void Rfc2217Server::NotifyModemState(uint8_t deltas) {
  if (client_ < 0) return;
  const uint8_t state = static_cast<uint8_t>((ModemState() | deltas) & modemStateMask_);
  ComPortReply(kNotifyModemState, std::string(1, static_cast<char>(state)));
  notified_ = true;
  log_.Event("NOTIFY", "modemstate=" + Hex(state));
}

void Rfc2217Server::PowerChanged(bool) { NotifyModemState(kDeltaDsr | kDeltaCts); }

void Rfc2217Server::HandleComPort(const std::string& payload) {
  if (payload.empty()) {
    log_.Event("COM-PORT", "empty subnegotiation");
    return;
  }
  // A client that skips the negotiation but speaks the option is served anyway.
  if (!ComPortActive()) remote_[kComPort].enabled = true;
  if (!notified_) NotifyModemState(0);

  const auto cmd = static_cast<uint8_t>(payload[0]);
  const std::string value = payload.substr(1);
  auto byteValue = [&](bool& ok) -> uint8_t {
    ok = value.size() >= 1;
    if (!ok) log_.Event("COM-PORT", "command " + std::to_string(cmd) + " without value");
    return ok ? static_cast<uint8_t>(value[0]) : 0;
  };
  bool ok = false;
  switch (cmd) {
    case kSignature:
      if (value.empty()) ComPortReply(kSignature, "orvix-modem-sim");
      else log_.Event("SIGNATURE", Escape(value));
      break;
    case kSetBaudRate: {
      if (value.size() < 4) {
        log_.Event("COM-PORT", "baud rate without 4 bytes");
        break;
      }
      uint32_t v = 0;
      for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(value[static_cast<size_t>(i)]);
      if (v != 0) {
        baud_ = v;
        log_.Event("LINE", "baud=" + std::to_string(v));
      }
      std::string be{static_cast<char>(baud_ >> 24), static_cast<char>(baud_ >> 16), static_cast<char>(baud_ >> 8),
                     static_cast<char>(baud_)};
      ComPortReply(kSetBaudRate, be);
      break;
    }
    case kSetDataSize: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      if (v != 0) {
        dataSize_ = v;
        log_.Event("LINE", "datasize=" + std::to_string(v));
      }
      ComPortReply(kSetDataSize, std::string(1, static_cast<char>(dataSize_)));
      break;
    }
    case kSetParity: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      if (v != 0) {
        parity_ = v;
        log_.Event("LINE", std::string("parity=") + ParityName(v));
      }
      ComPortReply(kSetParity, std::string(1, static_cast<char>(parity_)));
      break;
    }
    case kSetStopSize: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      if (v != 0) {
        stopSize_ = v;
        log_.Event("LINE", std::string("stopsize=") + StopName(v));
      }
      ComPortReply(kSetStopSize, std::string(1, static_cast<char>(stopSize_)));
      break;
    }
    case kSetControl: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      uint8_t answer = v;
      switch (v) {
        case 0: answer = flowOut_; break;
        case 1: case 2: case 3: case 17: case 19:
          flowOut_ = v;
          log_.Event("LINE", std::string("flow-out=") + FlowName(v));
          break;
        case 4: answer = break_ ? 5 : 6; break;
        case 5: case 6:
          break_ = v == 5;
          log_.Event("BREAK", break_ ? "on" : "off");
          break;
        case 7: answer = dtr_ ? 8 : 9; break;
        case 8: case 9:
          dtr_ = v == 8;
          log_.Event("DTR", dtr_ ? "on" : "off");
          break;
        case 10: answer = rts_ ? 11 : 12; break;
        case 11: case 12:
          rts_ = v == 11;
          log_.Event("RTS", rts_ ? "on" : "off");
          break;
        case 13: answer = flowIn_; break;
        case 14: case 15: case 16: case 18:
          flowIn_ = v;
          log_.Event("LINE", std::string("flow-in=") + FlowName(v));
          break;
        default:
          log_.Event("COM-PORT", "unknown control value " + std::to_string(v));
      }
      ComPortReply(kSetControl, std::string(1, static_cast<char>(answer)));
      break;
    }
    case kNotifyLineState:
    case kNotifyModemState:
      log_.Event("COM-PORT", "notification from client ignored");
      break;
    case kFlowSuspend:
    case kFlowResume:
      log_.Event("FLOW", cmd == kFlowSuspend ? "suspend" : "resume");
      break;
    case kSetLineStateMask: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      lineStateMask_ = v;
      log_.Event("MASK", "linestate=" + Hex(v));
      ComPortReply(kSetLineStateMask, std::string(1, static_cast<char>(v)));
      break;
    }
    case kSetModemStateMask: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      modemStateMask_ = v;
      log_.Event("MASK", "modemstate=" + Hex(v));
      ComPortReply(kSetModemStateMask, std::string(1, static_cast<char>(v)));
      NotifyModemState(0);
      break;
    }
    case kPurgeData: {
      uint8_t v = byteValue(ok);
      if (!ok) break;
      static const char* what[] = {"none", "rx", "tx", "both"};
      // Nothing is held back to purge: replies are written as they fall due.
      log_.Event("PURGE", v < 4 ? what[v] : "unknown");
      ComPortReply(kPurgeData, std::string(1, static_cast<char>(v)));
      break;
    }
    default:
      log_.Event("COM-PORT", "unknown command " + std::to_string(cmd));
  }
}

}  // namespace modemsim

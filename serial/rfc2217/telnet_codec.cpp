#include "serial/rfc2217/telnet_codec.h"

using namespace telnet;

void AppendTelnetData(std::string& out, const void* data, size_t count) {
  auto* p = static_cast<const unsigned char*>(data);
  out.reserve(out.size() + count);
  for (size_t i = 0; i < count; ++i) {
    out.push_back(static_cast<char>(p[i]));
    if (p[i] == IAC) out.push_back(static_cast<char>(IAC));
  }
}

std::string TelnetOptionCommand(uint8_t command, uint8_t option) {
  return {static_cast<char>(IAC), static_cast<char>(command), static_cast<char>(option)};
}

std::string TelnetSubnegotiation(uint8_t option, std::string_view payload) {
  std::string out{static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(option)};
  if (option == IAC) out.push_back(static_cast<char>(IAC));
  AppendTelnetData(out, payload.data(), payload.size());
  out.push_back(static_cast<char>(IAC));
  out.push_back(static_cast<char>(SE));
  return out;
}

// ---- Decoder ---------------------------------------------------------------------

void TTelnetDecoder::StartSub() {
  sub_.clear();
  subTooLong_ = false;
  state_ = TState::Sub;
}

void TTelnetDecoder::EndSub(TTelnetHandler& handler) {
  if (subTooLong_)
    ++dropped_;
  else if (!sub_.empty())
    handler.OnTelnetSubnegotiation(sub_);
  sub_.clear();
  subTooLong_ = false;
}

void TTelnetDecoder::Feed(const void* data, size_t count, TTelnetHandler& handler) {
  auto* p = static_cast<const unsigned char*>(data);
  size_t i = 0;
  while (i < count) {
    const unsigned char b = p[i];
    switch (state_) {
      case TState::Data: {
        // Hand over plain runs in one piece.
        size_t end = i;
        while (end < count && p[end] != IAC) ++end;
        if (end > i) handler.OnTelnetData(reinterpret_cast<const char*>(p + i), end - i);
        if (end < count) state_ = TState::Iac;
        i = end + 1;
        continue;
      }
      case TState::Iac:
        if (b == IAC) {
          const char ff = static_cast<char>(IAC);
          handler.OnTelnetData(&ff, 1);
          state_ = TState::Data;
        } else if (b == WILL || b == WONT || b == DO || b == DONT) {
          command_ = b;
          state_ = TState::Option;
        } else if (b == SB) {
          StartSub();
        } else {
          if (b != SE) handler.OnTelnetCommand(b);  // a stray SE means nothing
          state_ = TState::Data;
        }
        break;
      case TState::Option:
        state_ = TState::Data;
        handler.OnTelnetNegotiation(command_, b);
        break;
      case TState::Sub:
        if (b == IAC) {
          state_ = TState::SubIac;
        } else if (sub_.size() < kMaxSubnegotiation) {
          sub_.push_back(static_cast<char>(b));
        } else {
          subTooLong_ = true;
        }
        break;
      case TState::SubIac:
        if (b == IAC) {
          if (sub_.size() < kMaxSubnegotiation)
            sub_.push_back(static_cast<char>(b));
          else
            subTooLong_ = true;
          state_ = TState::Sub;
        } else if (b == SE) {
          state_ = TState::Data;
          EndSub(handler);
        } else {
          // A command inside a subnegotiation: the peer lost its framing.
          // Drop the unfinished subnegotiation and take the command as such.
          sub_.clear();
          subTooLong_ = false;
          if (b == SB) {
            StartSub();
          } else if (b == WILL || b == WONT || b == DO || b == DONT) {
            command_ = b;
            state_ = TState::Option;
          } else {
            state_ = TState::Data;
            handler.OnTelnetCommand(b);
          }
        }
        break;
    }
    ++i;
  }
}

// ---- Option negotiation ----------------------------------------------------------------

void TTelnetOptions::Accept(uint8_t option, bool local, bool remote) {
  local_[option].accepted = local;
  remote_[option].accepted = remote;
}

std::string TTelnetOptions::RequestLocal(uint8_t option) {
  TSide& s = local_[option];
  if (!s.accepted || s.enabled || s.pending) return {};
  s.pending = true;
  s.refused = false;
  return TelnetOptionCommand(WILL, option);
}

std::string TTelnetOptions::RequestRemote(uint8_t option) {
  TSide& s = remote_[option];
  if (!s.accepted || s.enabled || s.pending) return {};
  s.pending = true;
  s.refused = false;
  return TelnetOptionCommand(DO, option);
}

// yes/no are the commands we answer with (WILL/WONT or DO/DONT).
std::string TTelnetOptions::Handle(TSide& s, bool positive, uint8_t yes, uint8_t no, uint8_t option) {
  if (positive) {
    if (s.enabled) return {};
    if (!s.accepted) return TelnetOptionCommand(no, option);
    s.enabled = true;
    s.refused = false;
    if (s.pending) {  // the answer to our request
      s.pending = false;
      return {};
    }
    return TelnetOptionCommand(yes, option);
  }
  if (s.pending) {  // our request was refused
    s.pending = false;
    s.refused = true;
    return {};
  }
  if (!s.enabled) return {};
  s.enabled = false;
  return TelnetOptionCommand(no, option);
}

std::string TTelnetOptions::Receive(uint8_t command, uint8_t option) {
  switch (command) {
    case WILL: return Handle(remote_[option], true, DO, DONT, option);
    case WONT: return Handle(remote_[option], false, DO, DONT, option);
    case DO: return Handle(local_[option], true, WILL, WONT, option);
    case DONT: return Handle(local_[option], false, WILL, WONT, option);
    default: return {};
  }
}

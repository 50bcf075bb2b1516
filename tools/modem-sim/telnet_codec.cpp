#include "telnet_codec.h"

namespace modemsim::telnet {

void Decoder::Reset() {
  state_ = State::Data;
  binary_ = false;
  lastWasCr_ = false;
  sbTooLong_ = false;
  data_.clear();
  sb_.clear();
}

void Decoder::Flush(std::vector<Item>& out) {
  if (data_.empty()) return;
  out.push_back({Item::Kind::Data, 0, 0, std::move(data_)});
  data_.clear();
}

std::vector<Item> Decoder::Feed(std::string_view input) {
  std::vector<Item> out;
  for (char ch : input) {
    const auto c = static_cast<uint8_t>(ch);
    switch (state_) {
      case State::Data:
        if (c == kIAC) {
          state_ = State::Iac;
        } else {
          if (!(c == 0 && lastWasCr_ && !binary_)) data_ += ch;
          lastWasCr_ = c == '\r';
        }
        break;
      case State::Iac:
        if (c == kIAC) {
          data_ += ch;
          lastWasCr_ = false;
          state_ = State::Data;
        } else if (c >= kWILL) {
          verb_ = c;
          state_ = State::Verb;
        } else if (c == kSB) {
          state_ = State::SbOption;
        } else {
          Flush(out);
          out.push_back({Item::Kind::Command, c, 0, {}});
          state_ = State::Data;
        }
        break;
      case State::Verb:
        Flush(out);
        out.push_back({Item::Kind::Option, verb_, c, {}});
        state_ = State::Data;
        break;
      case State::SbOption:
        sbOption_ = c;
        sb_.clear();
        sbTooLong_ = false;
        state_ = State::SbData;
        break;
      case State::SbData:
        if (c == kIAC) state_ = State::SbIac;
        else if (sb_.size() < kMaxSubnegotiation) sb_ += ch;
        else sbTooLong_ = true;
        break;
      case State::SbIac:
        if (c == kIAC) {
          if (sb_.size() < kMaxSubnegotiation) sb_ += ch;
          else sbTooLong_ = true;
          state_ = State::SbData;
        } else if (c == kSE) {
          Flush(out);
          out.push_back({sbTooLong_ ? Item::Kind::Malformed : Item::Kind::Subnegotiation, kSB, sbOption_,
                         std::move(sb_)});
          sb_.clear();
          state_ = State::Data;
        } else {
          // A peer that forgot IAC SE: give up the subnegotiation and take the
          // byte as the command it starts, rather than swallow all later data.
          Flush(out);
          out.push_back({Item::Kind::Malformed, kSB, sbOption_, std::move(sb_)});
          sb_.clear();
          state_ = State::Iac;
          // re-run this byte in the IAC state
          if (c >= kWILL) {
            verb_ = c;
            state_ = State::Verb;
          } else if (c == kSB) {
            state_ = State::SbOption;
          } else {
            out.push_back({Item::Kind::Command, c, 0, {}});
            state_ = State::Data;
          }
        }
        break;
    }
  }
  Flush(out);
  return out;
}

std::string EscapeData(std::string_view data) {
  std::string out;
  out.reserve(data.size());
  for (char c : data) {
    out += c;
    if (static_cast<uint8_t>(c) == kIAC) out += c;
  }
  return out;
}

std::string OptionCommand(uint8_t verb, uint8_t option) {
  return {static_cast<char>(kIAC), static_cast<char>(verb), static_cast<char>(option)};
}

std::string Subnegotiation(uint8_t option, std::string_view payload) {
  std::string out{static_cast<char>(kIAC), static_cast<char>(kSB), static_cast<char>(option)};
  out += EscapeData(payload);
  out += static_cast<char>(kIAC);
  out += static_cast<char>(kSE);
  return out;
}

}  // namespace modemsim::telnet

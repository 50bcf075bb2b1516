#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "log.h"
#include "modem.h"
#include "session.h"
#include "telnet_codec.h"
#include "transport.h"

namespace modemsim {

// The modem behind a telnet Com Port Control server (RFC 2217): one client
// at a time; a later client is served after the previous one closed.
class Rfc2217Server : public Transport {
 public:
  // `port` 0 picks a free one. Throws std::runtime_error when it cannot listen.
  Rfc2217Server(Session& session, Modem& modem, Log& log, const std::string& host, int port);
  ~Rfc2217Server() override;
  Rfc2217Server(const Rfc2217Server&) = delete;
  Rfc2217Server& operator=(const Rfc2217Server&) = delete;

  std::string Url() const;

  void AddPollFds(std::vector<pollfd>& fds) override;
  void HandlePoll(const std::vector<pollfd>& fds) override;
  void Send(std::string_view bytes) override;
  void Drop() override;
  void PowerChanged(bool powered) override;

 private:
  struct OptionState {
    bool enabled = false;
    bool requested = false;
  };

  void Accept();
  void CloseClient(const char* why);
  void ReadClient();
  void Flush();
  void SendRaw(std::string_view bytes);

  void Request(uint8_t verb, uint8_t option);
  void HandleOption(uint8_t verb, uint8_t option);
  void HandleComPort(const std::string& payload);
  void ComPortReply(uint8_t command, std::string_view value);
  void NotifyModemState(uint8_t deltas);
  uint8_t ModemState() const;
  bool ComPortActive() const;

  Session& session_;
  Modem& modem_;
  Log& log_;
  std::string host_;
  int port_ = 0;
  int listen_ = -1;
  int client_ = -1;
  std::string out_;
  telnet::Decoder decoder_;
  std::map<uint8_t, OptionState> local_;   // options we perform (WILL)
  std::map<uint8_t, OptionState> remote_;  // options the client performs
  bool notified_ = false;

  // The line as the client has set it.
  uint32_t baud_ = 9600;
  uint8_t dataSize_ = 8, parity_ = 1, stopSize_ = 1;
  uint8_t flowOut_ = 1, flowIn_ = 14;
  bool dtr_ = false, rts_ = false, break_ = false;
  uint8_t lineStateMask_ = 0, modemStateMask_ = 255;
};

}  // namespace modemsim

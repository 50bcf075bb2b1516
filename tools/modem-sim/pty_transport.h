#pragma once

#include <string>

#include "log.h"
#include "session.h"
#include "transport.h"

namespace modemsim {

// The modem behind a pseudo-terminal. The program opens the slave side as its
// serial device. The emulator keeps a slave descriptor of its own open, so the
// program may open and close the device any number of times without the master
// ever seeing a hang-up.
class PtyTransport : public Transport {
 public:
  // Throws std::runtime_error when no pty can be created or the link cannot be made.
  PtyTransport(Session& session, Log& log, std::string linkPath);
  ~PtyTransport() override;
  PtyTransport(const PtyTransport&) = delete;
  PtyTransport& operator=(const PtyTransport&) = delete;

  const std::string& SlavePath() const { return slavePath_; }

  void AddPollFds(std::vector<pollfd>& fds) override;
  void HandlePoll(const std::vector<pollfd>& fds) override;
  void Send(std::string_view bytes) override;
  void Drop() override;
  void PowerChanged(bool) override {}  // a pty has no modem lines

 private:
  void Create();
  void CloseAll();
  void Flush();

  Session& session_;
  Log& log_;
  std::string linkPath_;
  std::string slavePath_;
  int master_ = -1;
  int keeper_ = -1;
  std::string out_;  // bytes the pty could not take yet
};

}  // namespace modemsim

#pragma once

#include <poll.h>

#include <string_view>
#include <vector>

namespace modemsim {

// What the dialogue needs of the line to the program.
class Link {
 public:
  virtual ~Link() = default;
  // Queues bytes for the peer; bytes that do not fit now go out when the line can take them.
  virtual void Send(std::string_view bytes) = 0;
  // Breaks the line: closes the connection or the pty master.
  virtual void Drop() = 0;
  // The modem's power (DSR and CTS) changed.
  virtual void PowerChanged(bool powered) = 0;
};

// A transport adds its descriptors to the poll set and handles what poll reported.
class Transport : public Link {
 public:
  virtual void AddPollFds(std::vector<pollfd>& fds) = 0;
  virtual void HandlePoll(const std::vector<pollfd>& fds) = 0;
};

}  // namespace modemsim

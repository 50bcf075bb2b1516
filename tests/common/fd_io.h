#pragma once

// Whole writes and bounded reads on a file descriptor: a pty's end, a socket.

#include <chrono>
#include <functional>
#include <string>

namespace orvix::test {

// Writes all of data, waiting while the way is full; false on an error.
bool WriteAll(int fd, const std::string& data);

struct TFdRead {
  std::string data;
  int reads = 0;       // the reads that returned data
  bool ended = false;  // the other end closed, or the read failed
};
// Reads until done(data so far) holds, the other end is gone or the time is up.
TFdRead ReadFor(int fd, std::chrono::milliseconds timeout, const std::function<bool(const std::string&)>& done);

}  // namespace orvix::test

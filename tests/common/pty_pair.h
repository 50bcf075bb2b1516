#pragma once

// A pty pair, both ends raw and close-on-exec: the slave stands for the serial device, the master for the
// other side of the line.

#include <chrono>
#include <string>

class PtyPair {
 public:
  PtyPair();  // throws std::system_error if no pty can be had
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int Master() const { return master_; }  // -1 once closed
  int Slave() const { return slave_; }    // -1 once closed
  const std::string& SlaveName() const { return slaveName_; }

  // Closing the master is what the slave side sees as the device vanishing.
  void CloseMaster();
  void CloseSlave();

  // Writes all of data to the master end; false on an error.
  bool WriteMaster(const std::string& data);
  // Reads from the master end until `count` bytes arrived or `timeout` passed.
  std::string ReadMaster(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  int master_ = -1, slave_ = -1;
  std::string slaveName_;
};

#pragma once

// What the error boxes say under their text: why the operation failed, in
// terms a user can act on.

#include <sys/types.h>

#include <exception>
#include <string>
#include <vector>

// The cause under "COM Port is used by another application": the failure's
// message; for an error of the serial port also the device's path with the
// system's error text, and what to do about a refused, busy or missing device.
std::string PortFailureDetail(const std::exception_ptr& error, const std::string& deviceName,
                              const std::string& settingsFile);

// The cause under "Error on COM Port" for a command line that failed.
std::string CommandFailureDetail(const std::exception_ptr& error, const std::string& command, int timeOut);

// The account the program runs as, as far as opening a device goes.
struct TAccount {
  std::string User;
  std::vector<gid_t> SessionGroups;  // the groups this process has
  std::vector<gid_t> MemberGroups;   // the user's groups in the group database
  static TAccount Current();
};

// Why the account may not open the device at path: the group that owns the
// device, read from the device, and whether the user is in it. Empty when
// the device cannot be examined.
std::string PermissionAdvice(const std::string& path, const TAccount& account);

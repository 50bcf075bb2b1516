#include "app/failure_detail.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "app/comm_port.h"
#include "app/serial_devices.h"
#include "app/store_replies.h"
#include "serial/device_path.h"

namespace {

std::string SystemText(int code) { return std::error_code(code, std::generic_category()).message(); }

// The serial port's messages end in a blank.
std::string MessageOf(const std::exception& error) {
  std::string text = error.what();
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
  return text;
}

std::string GroupName(gid_t gid) {
  if (const group* g = ::getgrgid(gid)) return g->gr_name;
  return std::to_string(gid);
}

bool Has(const std::vector<gid_t>& groups, gid_t gid) {
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string DeviceList() {
  const std::vector<std::string> devices = ListSerialDevices();
  if (devices.empty()) return "No serial device was found.\n";
  std::string list = "Serial devices on this computer:\n";
  for (const auto& device : devices) list += device + "\n";
  return list;
}

std::string Seconds(int milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", milliseconds / 1000.0);
  return text;
}

// The serial port's messages name its own operations and records; the user
// is told what they mean.
struct TCommErrorWords {
  const char* Message;
  const char* Words;
};
const TCommErrorWords kCommErrorWords[] = {
    {"Error accessing specified device", "The serial device could not be opened."},
    {"Invalid device handle, access denied", "This is no serial device."},
    {"Error initializing Read/Write Buffers", "The serial device did not take the sizes of its buffers."},
    {"Error updating DataControlBlock",
     "The serial device did not take the line settings (speed, data bits, stop bits, parity, flow control)."},
    {"Error updating CommTimeouts", "The serial device did not take the time-outs for reading and writing."},
    {"EscapeCommFunction failure", "The serial device did not raise or lower its DTR or RTS line."},
    {"Port not open, unable to complete operation", "The serial port had been closed."},
    {"Device already assigned (open)", "A setting of the serial port cannot change while the port is open."},
};

std::string Headline(const ECommError& e) {
  for (const auto& w : kCommErrorWords)
    if (e.Message.compare(0, std::strlen(w.Message), w.Message) == 0) return w.Words;
  return MessageOf(e);
}

// Control bytes from a garbled line would garble the box too.
std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

// A long reply is cut: the detail is one box.
std::string Quoted(const std::string& reply) {
  constexpr std::size_t kShown = 60;
  return "\"" + Printable(reply.size() <= kShown ? reply : reply.substr(0, kShown) + "...") + "\"";
}

// The failures of the command channel and of the program's own code, in the
// user's words; `command` names the command line when there is one.
std::string FailureWords(const std::exception_ptr& error, const std::string& command) {
  const std::string during = command.empty() ? "" : " during " + command;
  try {
    std::rethrow_exception(error);
  } catch (const EResponseError&) {
    return "The modem answered ERROR" + (command.empty() ? "" : " to " + command) + ".";
  } catch (const EDeviceLost&) {
    return "The line to the modem was lost" + during + ".";
  } catch (const EModemOff&) {
    return "The modem's DSR line went off" + during + ": the modem was switched off or unplugged.";
  } catch (const EWaitAbandoned&) {
    return "The wait for the modem's answer" + (command.empty() ? "" : " to " + command) +
           " was given up as the program closed.";
  } catch (const EResponseTimeOut&) {
    return "No answer from the modem" + (command.empty() ? "" : " to " + command) + ".";
  } catch (const ECommPort&) {
    return (command.empty() ? "A command" : command) +
           " was not sent: another command to the modem was still waiting for its answer.";
  } catch (const EReplyError& e) {
    return "The modem's answer to " + e.Command + " could not be read: " + Quoted(e.Reply) + " (" +
           Printable(e.Message) + ").";
  } catch (const std::system_error& e) {
    return "The system refused what the serial port needs: " + e.code().message() + ".";
  } catch (const std::bad_alloc&) {
    return "Not enough memory.";
  } catch (const std::exception& e) {
    return MessageOf(e);
  } catch (...) {
    return "Unknown error";
  }
}

}  // namespace

TAccount TAccount::Current() {
  TAccount account;
  const passwd* pw = ::getpwuid(::geteuid());
  account.User = pw ? pw->pw_name : std::to_string(::geteuid());
  account.SessionGroups.push_back(::getegid());
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int n = ::getgroups(count, groups.data());
    if (n > 0) account.SessionGroups.insert(account.SessionGroups.end(), groups.begin(), groups.begin() + n);
  }
  if (pw) {
    int n = 0;
    ::getgrouplist(pw->pw_name, pw->pw_gid, nullptr, &n);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(n, 1)));
    if (::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n) >= 0) {
      groups.resize(static_cast<std::size_t>(n));
      account.MemberGroups = std::move(groups);
    }
  }
  return account;
}

std::string PermissionAdvice(const std::string& path, const TAccount& account) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  const std::string group = "group \"" + GroupName(st.st_gid) + "\"";
  const std::string user = "user \"" + account.User + "\"";
  if (st.st_gid == 0)
    return "The device belongs to " + group + ": only the administrator may use it, unless a udev rule gives it to "
           "a group of users.";
  if (Has(account.SessionGroups, st.st_gid)) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return "The device belongs to " + group + ", of which " + user + " is a member, but its permissions (" + mode +
           ") give the group no access.";
  }
  if (Has(account.MemberGroups, st.st_gid))
    return "The device belongs to " + group + ". The " + user +
           " is a member of it, but this session began before that: log out and in again.";
  return "The device belongs to " + group + ", and " + user + " is not a member of it. Add the user to it (sudo " +
         "adduser " + account.User + " " + GroupName(st.st_gid) + "), then log out and in again.";
}

std::string PortFailureDetail(const std::exception_ptr& error, const std::string& deviceName,
                              const std::string& settingsFile) {
  try {
    std::rethrow_exception(error);
  } catch (const ECommError& e) {
    const std::string path = SerialDevicePath(deviceName);
    if (e.ErrorCode <= 0) return Headline(e) + "\nDevice: " + path + ".";
    std::string detail = Headline(e) + "\n" + path + ": " + SystemText(e.ErrorCode) + ".";
    switch (e.ErrorCode) {
      case EACCES:
      case EPERM: {
        const std::string advice = PermissionAdvice(path, TAccount::Current());
        return advice.empty() ? detail : detail + "\n" + advice;
      }
      case EBUSY:
      case EAGAIN:
        return detail + "\nAnother program has the device open.";
      case ENOENT:
      case ENODEV:
      case ENXIO:
      case EIO:
        return detail + "\n" + DeviceList() + "The device is set by DeviceName in section [General] of " +
               settingsFile + ".";
      case EINVAL:
        return detail + "\nThey are set in section [General] of " + settingsFile + ".";
      default:
        return detail;
    }
  } catch (...) {
    return FailureWords(std::current_exception(), {});
  }
}

std::string CommandFailureDetail(const std::exception_ptr& error, const std::string& command, int timeOut) {
  try {
    std::rethrow_exception(error);
  } catch (const ECommError& e) {
    return Headline(e) + (e.ErrorCode > 0 ? " " + SystemText(e.ErrorCode) + "." : "");
  } catch (const EResponseTimeOut&) {
    return "No answer from the modem to " + command + " within " + Seconds(timeOut) + ".";
  } catch (...) {
    return FailureWords(std::current_exception(), command);
  }
}

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <cerrno>
#include <fstream>
#include <regex>
#include <string>
#include <system_error>
#include <vector>

#include "app/comm_port.h"
#include "app/failure_detail.h"
#include "app/store_replies.h"
#include "toolkit/core/convert_error.h"

namespace {

template <typename E> std::exception_ptr Raised(E error) { return std::make_exception_ptr(std::move(error)); }

// A device file owned by a group other than root's, so the name in the advice can only come from the file.
class DeviceGroup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("ttyUSB0").toStdString();
    std::ofstream(path_) << "";
    ASSERT_EQ(chmod(path_.c_str(), 0660), 0);
    if (geteuid() == 0) {
      setgrent();
      const group* g = getgrent();
      while (g && g->gr_gid == 0) g = getgrent();
      ASSERT_NE(g, nullptr) << "no group other than root";
      const gid_t gid = g->gr_gid;
      endgrent();
      ASSERT_EQ(chown(path_.c_str(), static_cast<uid_t>(-1), gid), 0);
    }
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    gid_ = st.st_gid;
    ASSERT_NE(gid_, 0u);
    const group* g = getgrgid(gid_);
    ASSERT_NE(g, nullptr);
    group_ = g->gr_name;
  }

  QTemporaryDir dir_;
  std::string path_;
  gid_t gid_ = 0;
  std::string group_;
};

TEST_F(DeviceGroup, PermissionAdviceNamesTheDevicesGroupAndWhatTheUserLacks) {
  const gid_t other = gid_ + 1000;
  EXPECT_EQ(PermissionAdvice(path_, {"ann", {other}, {other}}),
            "The device belongs to group \"" + group_ + "\", and user \"ann\" is not a member of it. Add the user "
            "to it (sudo adduser ann " + group_ + "), then log out and in again.");
  EXPECT_EQ(PermissionAdvice(path_, {"ann", {other}, {other, gid_}}),
            "The device belongs to group \"" + group_ + "\". The user \"ann\" is a member of it, but this session "
            "began before that: log out and in again.");
  EXPECT_EQ(PermissionAdvice(path_, {"ann", {other, gid_}, {gid_}}),
            "The device belongs to group \"" + group_ + "\", of which user \"ann\" is a member, but its "
            "permissions (0660) give the group no access.");
  EXPECT_EQ(PermissionAdvice("/", {"ann", {other}, {other}}),
            "The device belongs to group \"root\": only the administrator may use it, unless a udev rule gives it "
            "to a group of users.");
  EXPECT_EQ(PermissionAdvice(path_ + ".missing", {"ann", {}, {}}), "");
}

TEST_F(DeviceGroup, APortFailureSaysWhatTheSystemSaidAndWhatToDo) {
  const std::string ini = "/home/ann/OrvixManager.ini";
  const std::string refused =
      PortFailureDetail(Raised(ECommError("Error accessing specified device (Error: 13) ", EACCES)), path_, ini);
  EXPECT_EQ(refused, "The serial device could not be opened.\n" + path_ + ": Permission denied.\n" +
                         PermissionAdvice(path_, TAccount::Current()));
  EXPECT_NE(refused.find("\"" + group_ + "\""), std::string::npos) << refused;

  EXPECT_EQ(PortFailureDetail(Raised(ECommError("Error accessing specified device (Error: 16) ", EBUSY)), "com3", ini),
            "The serial device could not be opened.\n/dev/ttyS2: Device or resource busy.\n"
            "Another program has the device open.");
  EXPECT_EQ(PortFailureDetail(Raised(ECommError("Invalid device handle, access denied (Error: -1) ", -1)),
                              "/dev/null", ini),
            "This is no serial device.\nDevice: /dev/null.");
  EXPECT_EQ(PortFailureDetail(Raised(ECommError("Error updating DataControlBlock (Error: 22) ", EINVAL)), path_, ini),
            "The serial device did not take the line settings (speed, data bits, stop bits, parity, flow "
            "control).\n" + path_ + ": Invalid argument.\nThey are set in section [General] of " + ini + ".");
  const std::string missing =
      PortFailureDetail(Raised(ECommError("Error accessing specified device (Error: 2) ", ENOENT)), path_ + "9", ini);
  const std::string head = "The serial device could not be opened.\n" + path_ + "9: No such file or directory.\n";
  EXPECT_EQ(missing.rfind(head, 0), 0u) << missing;
  EXPECT_EQ(missing.substr(missing.rfind('\n') + 1),
            "The device is set by DeviceName in section [General] of " + ini + ".");

  EXPECT_EQ(PortFailureDetail(Raised(EReplyError(EConvertError("'x' is not a valid integer value"), "AT+MSR=002",
                                                 "002,002,x")),
                              path_, ini),
            "The modem's answer to AT+MSR=002 could not be read: \"002,002,x\" ('x' is not a valid integer value).");
  EXPECT_EQ(PortFailureDetail(Raised(42), path_, ini), "Unknown error");
}

// What the user sees under a box never names a class, function or field: every message port and channel raise.
TEST(FailureDetail, NoInternalNameReachesTheUser) {
  const std::vector<std::exception_ptr> failures = {
      Raised(ECommError("Error accessing specified device (Error: 5) ", EIO)),
      Raised(ECommError("Invalid device handle, access denied (Error: -1) ", -1)),
      Raised(ECommError("Error initializing Read/Write Buffers (Error: 22) ", EINVAL)),
      Raised(ECommError("Error updating DataControlBlock (Error: 22) ", EINVAL)),
      Raised(ECommError("Error updating CommTimeouts (Error: 22) ", EINVAL)),
      Raised(ECommError("EscapeCommFunction failure (Error: 5) ", EIO)),
      Raised(ECommError("Port not open, unable to complete operation (Error: -1) ", -1)),
      Raised(ECommError("Device already assigned (open) (Error: -1) ", -1)),
      Raised(EResponseError()), Raised(EResponseTimeOut()), Raised(EDeviceLost()), Raised(EModemOff()),
      Raised(EWaitAbandoned()), Raised(ECommPort("TCommPort: another command is still waiting")),
      Raised(std::system_error(EMFILE, std::generic_category(), "eventfd"))};
  const std::regex internal(R"(TCommPort|DataControlBlock|CommTimeouts|EscapeCommFunction|Read/Write Buffers|)"
                            R"(eventfd|\(Error: -?\d+\))");
  for (const auto& failure : failures) {
    for (const std::string& detail : {PortFailureDetail(failure, "/dev/ttyS0", "/home/ann/OrvixManager.ini"),
                                      CommandFailureDetail(failure, "AT+MSR=0", 1000)}) {
      SCOPED_TRACE(detail);
      EXPECT_FALSE(std::regex_search(detail, internal));
      EXPECT_FALSE(detail.empty());
    }
  }
  EXPECT_EQ(CommandFailureDetail(Raised(EModemOff()), "AT+MVP=2", -1),
            "The modem's DSR line went off during AT+MVP=2: the modem was switched off or unplugged.");
}

TEST(CommandFailureDetail, NamesTheCommandAndWhatCameBack) {
  const struct { std::exception_ptr failure; const char* command; int timeOut; std::string detail; } cases[] = {
      {Raised(EResponseError()), "AT+MVP=3", -1, "The modem answered ERROR to AT+MVP=3."},
      {Raised(EResponseTimeOut()), "AT+MSR=0", 1000, "No answer from the modem to AT+MSR=0 within 1 s."},
      {Raised(EResponseTimeOut()), "AT+MEM", 100000, "No answer from the modem to AT+MEM within 100 s."},
      {Raised(EResponseTimeOut()), "AT+MCW", 1500, "No answer from the modem to AT+MCW within 1.5 s."},
      {Raised(EDeviceLost()), "AT+MVP=0", -1, "The line to the modem was lost during AT+MVP=0."},
      {Raised(ECommPort("TCommPort: another command is still waiting")), "AT+MCS?", 1000,
       "AT+MCS? was not sent: another command to the modem was still waiting for its answer."}};
  for (const auto& c : cases) EXPECT_EQ(CommandFailureDetail(c.failure, c.command, c.timeOut), c.detail) << c.command;
}

}  // namespace

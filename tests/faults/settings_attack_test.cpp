// The settings file under attack: no regular file, not writable, a size limit, huge, dead writers' temporaries.

#include <sys/stat.h>
#include <sys/types.h>

#include <QTemporaryDir>

#include <filesystem>

#include "app/clock_reference.h"
#include "tests/common/files.h"
#include "tests/faults/bounded_child.h"
#include "toolkit/core/ini_profile.h"

namespace faults_test {
namespace {

namespace fs = std::filesystem;

const TDateTime kReference = EncodeDate(2024, 6, 30) + EncodeTime(23, 59, 0, 0);
const TDateTime kOldReference = EncodeDate(2020, 2, 29) + EncodeTime(7, 30, 0, 0);  // the one in kSettings

using orvix::test::ReadFile;

// Empty when writing the clock reference raises exactly "Unable to write to <file>".
std::string WriteRefused(const std::string& file) {
  try {
    WriteClockReference(kReference, file);
  } catch (const EIniFileException& e) {
    return e.Message == "Unable to write to " + file ? "" : "refused with \"" + e.Message + "\"";
  }
  return "written";
}

// What the program reads at start-up and writes for the clock: a path that
// reads as missing gives the defaults and is never written.
std::string ReadsAsMissingAndRefusesWrites(const std::string& path) {
  if (GetPrivateProfileString("General", "DeviceName", "com1", 1024, path) != "com1") return "no default";
  if (ReadProfileInteger("General", "BaudRate", 9600, path) != 9600) return "no default rate";
  try {
    ReadClockReference(path);
    return "a clock reference was read";
  } catch (const EConvertError&) {
  }
  return WriteRefused(path);
}

class SettingsAttack : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString();
    file_ = folder_ + "/OrvixManager.ini";
  }
  void Put(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
  struct stat Stat() const { struct stat st {}; EXPECT_EQ(stat(file_.c_str(), &st), 0); return st; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  QTemporaryDir dir_;
  std::string folder_, file_;
};

const char* const kSettings =
    "[General]\nDeviceName=rfc2217://127.0.0.1:1\n\n[ClockReset]\nDate=2020,2,29\nTime=7,30\n";

// A fifo (at once), devices (an endless one read without limit would fill the memory: it gets 512 MB),
// a folder and a file over the limit (sparse: it costs no disk) all read as missing, and stay as they were.
TEST_F(SettingsAttack, WhatIsNoSettingsFileReadsAsMissing) {
  auto readsAsMissing = [](const std::string& path, Clock::duration deadline = 3s, rlim_t memory = 0) {
    return RunsWell([&] { return ReadsAsMissingAndRefusesWrites(path); }, deadline, memory);
  };
  ASSERT_EQ(mkfifo(file_.c_str(), 0644), 0);
  EXPECT_TRUE(readsAsMissing(file_));
  EXPECT_TRUE(S_ISFIFO(Stat().st_mode));
  ASSERT_TRUE(fs::remove(file_));

  for (const char* device : {"/dev/zero", "/dev/null", "/dev/urandom"})
    EXPECT_TRUE(readsAsMissing(device, 3s, 512u << 20)) << device;

  ASSERT_TRUE(fs::create_directory(file_));
  EXPECT_TRUE(readsAsMissing(file_));
  EXPECT_TRUE(fs::is_directory(file_));
  ASSERT_TRUE(fs::remove(file_));

  Put("[General]\nDeviceName=rfc2217://127.0.0.1:7\n");
  ASSERT_EQ(truncate(file_.c_str(), MaxProfileFileSize + 1), 0);
  EXPECT_TRUE(readsAsMissing(file_, 10s));
  EXPECT_EQ(fs::file_size(file_), static_cast<std::uintmax_t>(MaxProfileFileSize + 1));
}

TEST_F(SettingsAttack, AReadOnlyFileIsNotReplaced) {
  Put(kSettings);
  ASSERT_EQ(chmod(file_.c_str(), 0444), 0);
  const struct stat before = Stat();
  // Readable as ever, but not written, not even by root.
  EXPECT_TRUE(RunsWell([&] { return ReadClockReference(file_) != kOldReference ? "read" : WriteRefused(file_); }));
  const struct stat after = Stat();
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0444u);
  EXPECT_EQ(ReadFile(file_), kSettings);
  EXPECT_EQ(Entries(), std::vector<std::string>{"OrvixManager.ini"});
}

TEST_F(SettingsAttack, AnotherUsersFileIsNotTakenOver) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  // A folder everyone may write to, holding root's file: the other user could rename a new file over it,
  // but may not write the file itself.
  Put(kSettings);
  ASSERT_EQ(chmod(folder_.c_str(), 0777), 0);
  ASSERT_EQ(chmod(file_.c_str(), 0644), 0);
  EXPECT_TRUE(RunsWell([&] { return setgid(4321) != 0 || setuid(4321) != 0 ? "setuid failed" : WriteRefused(file_); }));
  EXPECT_EQ(Stat().st_uid, 0u);
  EXPECT_EQ(ReadFile(file_), kSettings);
  EXPECT_EQ(Entries(), std::vector<std::string>{"OrvixManager.ini"});
}

TEST_F(SettingsAttack, AReplacedFileKeepsItsModeAndOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
  Put(kSettings);
  ASSERT_EQ(chown(file_.c_str(), 4321, 4322), 0);
  ASSERT_EQ(chmod(file_.c_str(), 0640), 0);
  WriteClockReference(kReference, file_);
  const struct stat after = Stat();
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, 4321u);
  EXPECT_EQ(after.st_gid, 4322u);
  EXPECT_EQ(ReadClockReference(file_), kReference);
}

TEST_F(SettingsAttack, AFileSizeLimitFailsTheWriteCleanly) {
  // The file grows past the limit with the new key: the write must fail with the usual message, not SIGXFSZ.
  const std::string old = std::string(kSettings) + "; " + std::string(3000, 'x') + "\n";
  Put(old);
  EXPECT_TRUE(RunsWell([&] {
    signal(SIGXFSZ, SIG_DFL);  // as a program starts
    const rlimit limit{2048, RLIM_INFINITY};
    return setrlimit(RLIMIT_FSIZE, &limit) != 0 ? "setrlimit failed" : WriteRefused(file_);
  }));
  EXPECT_EQ(ReadFile(file_), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"OrvixManager.ini"}) << "the failed write leaves no temporary";
}

// Ten megabytes of long comment lines, or just under the size limit of blank lines or comments: read and written,
// and reading and writing holds about one copy of it.
TEST_F(SettingsAttack, BigFilesOfBlankOrCommentLinesWorkAndCostAboutTheirSize) {
  const struct { std::string filler; std::size_t size; } cases[] = {
      {"; " + std::string(76, 'f') + "\n", 10'000'000}, {"\n", MaxProfileFileSize},
      {"; a comment line\n", MaxProfileFileSize}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filler.size());
    std::string big = "[General]\nDeviceName=rfc2217://127.0.0.1:7\n";
    const std::string tail = "[ClockReset]\nDate=2020,2,29\nTime=7,30\n";
    const std::size_t lines = (c.size - big.size() - tail.size()) / c.filler.size();
    big.reserve(c.size);
    for (std::size_t i = 0; i < lines; ++i) big.append(c.filler);
    const std::string head = big + "[ClockReset]\n";
    Put(big + tail);
    std::string().swap(big);
    EXPECT_TRUE(RunsWell([&] {
      if (GetPrivateProfileString("General", "DeviceName", "", 1024, file_) != "rfc2217://127.0.0.1:7" ||
          ReadProfileInteger("General", "BaudRate", 9600, file_) != 9600)
        return "settings not read";
      if (ReadClockReference(file_) != kOldReference) return "reference not read";
      WriteClockReference(kReference, file_);
      // Just under the limit the longer new reference takes the file over it: it would read as missing.
      return c.size < MaxProfileFileSize && ReadClockReference(file_) != kReference ? "reference not written" : "";
    }, 60s, 64u << 20));
    // Compared as a whole: a line diff of two big texts would not end.
    EXPECT_TRUE(ReadFile(file_) == head + "Date=2024,6,30\nTime=23,59\n") << "every other line kept";
  }
}

TEST_F(SettingsAttack, TemporariesOfDeadWritersAreRemovedBeforeTheNextWrite) {
  // A process id that no longer exists.
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  const std::string gone = ".OrvixManager.ini.tmp" + std::to_string(dead) + "-0";
  const std::vector<std::string> kept = {
      ".OrvixManager.ini.tmp1-0",                               // its writer still runs
      ".OrvixManager.ini.tmpx-0",                               // not one of ours
      ".Other.ini.tmp" + std::to_string(dead) + "-0",           // another file's
      "OrvixManager.ini.tmp" + std::to_string(dead) + "-0",     // no dot: not ours either
  };
  Put(kSettings);
  for (const auto& name : kept) std::ofstream(folder_ + "/" + name) << "x";
  std::ofstream(folder_ + "/" + gone) << "[General]\n";
  WriteClockReference(kReference, file_);
  std::vector<std::string> expected = kept;
  expected.push_back("OrvixManager.ini");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
  EXPECT_EQ(ReadClockReference(file_), kReference);
}

}  // namespace
}  // namespace faults_test

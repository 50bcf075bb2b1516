#include "app/settings_file.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "tests/common/files.h"
#include "tests/common/message_of.h"
#include "toolkit/core/ini_profile.h"

namespace fs = std::filesystem;

namespace {

// Sets or clears an environment variable for one test.
class EnvVar {
 public:
  EnvVar(const char* name, std::optional<std::string> value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    Set(name, value);
  }
  ~EnvVar() { Set(Name, Old); }

 private:
  static void Set(const char* name, const std::optional<std::string>& v) {
    v ? setenv(name, v->c_str(), 1) : unsetenv(name);
  }
  const char* Name;
  std::optional<std::string> Old;
};

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(Root);
    fs::create_directories(Root / "bin");
  }
  void TearDown() override { fs::remove_all(Root); }
  fs::path Root = fs::temp_directory_path() / ("settings-test-" + std::to_string(::getpid()));
  EnvVar NoOverride{"ORVIX_SETTINGS", std::nullopt};
};

}  // namespace

TEST_F(SettingsFile, BesideTheExecutableWhenThatFolderIsWritable) {
  EXPECT_EQ(SettingsFileNameFor((Root / "bin").string()), (Root / "bin/OrvixManager.ini").string());
}

TEST_F(SettingsFile, ConfigFolderWhenTheExecutableFolderIsNotUsable) {
  std::ofstream(Root / "afile") << "x";
  const std::string unusable = (Root / "afile/bin").string();  // parent is a file
  {
    EnvVar xdg("XDG_CONFIG_HOME", (Root / "xdg").string());
    EXPECT_EQ(SettingsFileNameFor(unusable), (Root / "xdg/OrvixManager/OrvixManager.ini").string());
  }
  {
    EnvVar xdg("XDG_CONFIG_HOME", std::nullopt);
    EnvVar home("HOME", (Root / "home").string());
    EXPECT_EQ(SettingsFileNameFor(unusable), (Root / "home/.config/OrvixManager/OrvixManager.ini").string());
    EnvVar relative("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(SettingsFileNameFor(unusable), (Root / "home/.config/OrvixManager/OrvixManager.ini").string());
  }
}

TEST_F(SettingsFile, OverrideWins) {
  EnvVar over("ORVIX_SETTINGS", (Root / "deep/er/custom.ini").string());
  EXPECT_EQ(SettingsFileNameFor((Root / "bin").string()), (Root / "deep/er/custom.ini").string());
  EXPECT_EQ(SettingsFileName(), (Root / "deep/er/custom.ini").string());
  // Writing creates the folders first.
  const std::string file = SettingsFileForWrite();
  EXPECT_TRUE(fs::is_directory(Root / "deep/er"));
  WritePrivateProfileString("ClockReset", "Date", "2026,12,7", file);
  EXPECT_EQ(GetPrivateProfileString("ClockReset", "Date", "", 1024, SettingsFileName()), "2026,12,7");
}

TEST_F(SettingsFile, FolderThatCannotBeMadeRaises) {
  std::ofstream(Root / "afile") << "x";
  const std::string file = (Root / "afile/sub/OrvixManager.ini").string();
  EnvVar over("ORVIX_SETTINGS", file);
  EXPECT_EQ(MessageOf<EIniFileException>([] { SettingsFileForWrite(); }), "Unable to write to " + file);
}

namespace {

// PREFIX/bin, the desktop entry in PREFIX/share/applications, as cmake --install and the package leave it.
class InstalledSettings : public SettingsFile {
 protected:
  void SetUp() override {
    SettingsFile::SetUp();
    fs::create_directories(Root / "prefix/bin");
    fs::create_directories(Root / "prefix/share/applications");
    std::ofstream(Root / "prefix/share/applications" / (ORVIX_APP_ID ".desktop")) << "[Desktop Entry]\n";
  }
  std::string Bin() const { return (Root / "prefix/bin").string(); }
  std::string Beside() const { return (Root / "prefix/bin/OrvixManager.ini").string(); }
  std::string User() const { return (Root / "xdg/OrvixManager/OrvixManager.ini").string(); }
  EnvVar Xdg{"XDG_CONFIG_HOME", (Root / "xdg").string()};
};

std::string Contents(const fs::path& p) { return orvix::test::ReadFile(p.string()); }

}  // namespace

TEST_F(InstalledSettings, WhatCountsAsInstalled) {
  EXPECT_TRUE(ProgramIsInstalled(Bin()));
  EXPECT_TRUE(ProgramIsInstalled("/usr/bin"));
  EXPECT_TRUE(ProgramIsInstalled("/usr/local/bin"));
  EXPECT_FALSE(ProgramIsInstalled((Root / "bin").string())) << "a bin folder without the desktop entry";
  EXPECT_FALSE(ProgramIsInstalled((Root / "prefix").string()));
  EXPECT_FALSE(ProgramIsInstalled((Root / "missing/bin").string()));
  // Reached through a link, as /bin is on a merged /usr.
  fs::create_directory_symlink(Root / "prefix", Root / "link");
  EXPECT_TRUE(ProgramIsInstalled((Root / "link/bin").string()));
}

TEST_F(InstalledSettings, NeverBesideTheExecutableAlsoWhereThatFolderIsWritable) {
  ASSERT_EQ(::access(Bin().c_str(), W_OK), 0);  // as for root in /usr/bin
  EXPECT_EQ(SettingsFileNameFor(Bin()), User());
  const std::string file = SettingsFileForWriteFor(Bin());
  EXPECT_EQ(file, User());
  WritePrivateProfileString("ClockReset", "Date", "2026,12,7", file);
  EXPECT_EQ(GetPrivateProfileString("ClockReset", "Date", "", 1024, SettingsFileNameFor(Bin())), "2026,12,7");
  EXPECT_TRUE(fs::is_empty(Root / "prefix/bin"));
}

TEST_F(InstalledSettings, AFileBesideTheExecutableIsTheDefaultCopiedOnFirstWrite) {
  const std::string shared = "[General]\nDeviceName=/dev/ttyUSB3\nBaudRate=19200\n";
  std::ofstream(Beside()) << shared;
  EXPECT_EQ(SettingsFileNameFor(Bin()), Beside());
  EXPECT_EQ(GetPrivateProfileString("General", "DeviceName", "", 1024, SettingsFileNameFor(Bin())), "/dev/ttyUSB3");

  const std::string file = SettingsFileForWriteFor(Bin());
  EXPECT_EQ(file, User());
  WritePrivateProfileString("ClockReset", "Time", "9,5", file);
  EXPECT_EQ(Contents(Beside()), shared) << "the shared file stays as it was";
  // From now on the user's own copy is read, settings and clock together.
  EXPECT_EQ(SettingsFileNameFor(Bin()), User());
  EXPECT_EQ(GetPrivateProfileString("General", "DeviceName", "", 1024, User()), "/dev/ttyUSB3");
  EXPECT_EQ(GetPrivateProfileString("ClockReset", "Time", "", 1024, User()), "9,5");

  // A later write leaves the user's file as it is and does not copy again.
  std::ofstream(Beside()) << "[General]\nDeviceName=/dev/ttyS9\n";
  EXPECT_EQ(SettingsFileForWriteFor(Bin()), User());
  EXPECT_EQ(GetPrivateProfileString("General", "DeviceName", "", 1024, User()), "/dev/ttyUSB3");
}

TEST_F(InstalledSettings, AUserFolderThatCannotBeMadeRaises) {
  std::ofstream(Beside()) << "[General]\n";
  std::ofstream(Root / "xdg") << "a file where the folder should be";
  EXPECT_EQ(MessageOf<EIniFileException>([&] { SettingsFileForWriteFor(Bin()); }), "Unable to write to " + User());
  EXPECT_EQ(Contents(Beside()), "[General]\n");
}

TEST_F(InstalledSettings, TheOverrideStillWins) {
  EnvVar over("ORVIX_SETTINGS", (Root / "custom.ini").string());
  EXPECT_EQ(SettingsFileNameFor(Bin()), (Root / "custom.ini").string());
  EXPECT_EQ(SettingsFileForWriteFor(Bin()), (Root / "custom.ini").string());
}

// The user's file a link into a folder of dotfiles, not made yet: the default is copied to where it points.
TEST_F(InstalledSettings, TheDefaultIsCopiedThroughALinkToAFileNotYetMade) {
  std::ofstream(Beside()) << "[General]\nDeviceName=/dev/ttyUSB3\n";
  fs::create_directories(Root / "dotfiles");
  fs::create_directories(Root / "xdg/OrvixManager");
  fs::create_symlink(Root / "dotfiles/OrvixManager.ini", User());
  const std::string file = SettingsFileForWriteFor(Bin());
  WritePrivateProfileString("ClockReset", "Time", "9,5", file);
  EXPECT_TRUE(fs::is_symlink(User()));
  EXPECT_EQ(Contents(Root / "dotfiles/OrvixManager.ini"), "[General]\nDeviceName=/dev/ttyUSB3\n\n[ClockReset]\nTime=9,5\n");
}

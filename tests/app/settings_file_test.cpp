#include "app/settings_file.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

#include "toolkit/core/ini_profile.h"

namespace fs = std::filesystem;

namespace {

// Sets or clears an environment variable for one test.
class EnvVar {
 public:
  EnvVar(const char* name, std::optional<std::string> value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~EnvVar() {
    if (Old)
      ::setenv(Name, Old->c_str(), 1);
    else
      ::unsetenv(Name);
  }

 private:
  const char* Name;
  std::optional<std::string> Old;
};

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("settings-test-" + std::to_string(::getpid()));
    fs::remove_all(Root);
    fs::create_directories(Root / "bin");
  }
  void TearDown() override { fs::remove_all(Root); }
  fs::path Root;
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
    EXPECT_EQ(SettingsFileNameFor(unusable),
              (Root / "home/.config/OrvixManager/OrvixManager.ini").string());
    EnvVar relative("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(SettingsFileNameFor(unusable),
              (Root / "home/.config/OrvixManager/OrvixManager.ini").string());
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
  try {
    SettingsFileForWrite();
    ADD_FAILURE() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message, "Unable to write to " + file);
  }
}

#include "app/settings_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "toolkit/core/ini_profile.h"

namespace {

const char* const FileName = "OrvixManager.ini";

std::string ExecutableDir() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : exe.substr(0, slash));
}

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;  // relative values are to be ignored
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
  }
  return std::string(home) + "/.config";
}

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const std::size_t slash = dir.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) return false;
  return ::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

std::string SettingsFileNameFor(const std::string& exeDir) {
  const char* overridden = std::getenv("ORVIX_SETTINGS");
  if (overridden && overridden[0]) return overridden;
  const std::string beside = exeDir + "/" + FileName;
  if (::access(beside.c_str(), F_OK) == 0 || ::access(exeDir.c_str(), W_OK) == 0) return beside;
  return ConfigHome() + "/OrvixManager/" + FileName;
}

std::string SettingsFileName() { return SettingsFileNameFor(ExecutableDir()); }

std::string SettingsFileForWrite() {
  const std::string file = SettingsFileName();
  const std::size_t slash = file.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(file.substr(0, slash)))
    throw EIniFileException("Unable to write to " + file);
  return file;
}

#include "app/settings_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

std::string UserFile() { return ConfigHome() + "/OrvixManager/" + FileName; }

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const std::size_t slash = dir.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) return false;
  return ::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string() : file.substr(0, slash);
}

}  // namespace

bool ProgramIsInstalled(const std::string& exeDir) {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::weakly_canonical(exeDir, ec);
  if (ec) return false;
  if (dir == "/usr/bin" || dir == "/usr/local/bin") return true;
  return dir.filename() == "bin" &&
         Exists((dir.parent_path() / "share/applications" / (ORVIX_APP_ID ".desktop")).string());
}

std::string SettingsFileNameFor(const std::string& exeDir) {
  const char* overridden = std::getenv("ORVIX_SETTINGS");
  if (overridden && overridden[0]) return overridden;
  const std::string beside = exeDir + "/" + FileName;
  if (ProgramIsInstalled(exeDir)) {
    const std::string user = UserFile();
    return Exists(user) || !Exists(beside) ? user : beside;
  }
  if (Exists(beside) || ::access(exeDir.c_str(), W_OK) == 0) return beside;
  return UserFile();
}

std::string SettingsFileName() { return SettingsFileNameFor(ExecutableDir()); }

std::string SettingsFileForWriteFor(const std::string& exeDir) {
  std::string file = SettingsFileNameFor(exeDir);
  std::string seed;
  if (ProgramIsInstalled(exeDir) && file == exeDir + "/" + FileName) {
    seed = file;
    file = UserFile();
  }
  if (!MakeFolders(FolderOf(file))) throw EIniFileException("Unable to write to " + file);
  if (!seed.empty() && !Exists(file)) {
    // Through the same replacement as every write: a link to a file not made
    // yet is followed, and a copy cut short is never left behind.
    std::ifstream in(seed, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (!in) throw EIniFileException("Unable to write to " + file);
    WriteProfileFile(file, content.str());
  }
  return file;
}

std::string SettingsFileForWrite() { return SettingsFileForWriteFor(ExecutableDir()); }

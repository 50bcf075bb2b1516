#include "app/serial_devices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Names of the form <prefix><number> in dir, by number.
std::vector<std::pair<long, std::string>> Numbered(const fs::path& dir, const std::string& prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 || name.size() > prefix.size() + 6)
      continue;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) continue;
    found.emplace_back(std::stol(digits), name);
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Every ttyS node exists whether or not a UART answers at its address; the
// kernel says which ones it found.
bool UartPresent(const fs::path& sysRoot, const std::string& name) {
  const fs::path tty = sysRoot / "class" / "tty" / name;
  std::error_code error;
  if (!fs::exists(tty / "device", error)) return false;
  std::ifstream typeFile(tty / "type");
  int type = 0;
  return static_cast<bool>(typeFile >> type) && type != 0;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& devRoot, const std::string& sysRoot) {
  std::vector<std::string> devices;
  const fs::path dev(devRoot);

  std::vector<std::string> byId;
  std::error_code error;
  for (fs::directory_iterator it(dev / "serial" / "by-id", error), end; !error && it != end; it.increment(error)) {
    std::error_code target;
    if (fs::exists(it->path(), target)) byId.push_back(it->path().string());  // not a dangling link
  }
  std::sort(byId.begin(), byId.end());
  devices.insert(devices.end(), byId.begin(), byId.end());

  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    for (const auto& [number, name] : Numbered(dev, prefix)) {
      if (std::string(prefix) == "ttyS" && !UartPresent(sysRoot, name)) continue;
      devices.push_back((dev / name).string());
    }
  }
  return devices;
}

#include "serial/rfc2217/rfc2217_url.h"

#include <strings.h>

#include <cctype>

#include "serial/rfc2217/rfc2217_device.h"

namespace {
constexpr char kScheme[] = "rfc2217://";
constexpr size_t kSchemeLength = sizeof kScheme - 1;
}  // namespace

bool IsRfc2217Name(const std::string& name) {
  return name.size() >= kSchemeLength && strncasecmp(name.c_str(), kScheme, kSchemeLength) == 0;
}

bool ParseRfc2217Url(const std::string& url, TRfc2217Address& out) {
  if (!IsRfc2217Name(url)) return false;
  std::string rest = url.substr(kSchemeLength);
  if (!rest.empty() && rest.back() == '/') rest.pop_back();

  std::string host;
  std::string port;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') return false;
    host = rest.substr(1, close - 1);
    port = rest.substr(close + 2);
  } else {
    const size_t colon = rest.find(':');
    if (colon == std::string::npos) return false;
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (host.find_first_of("/?#@[]") != std::string::npos) return false;
  }
  if (host.empty() || port.empty() || port.size() > 5) return false;
  if (host.find_first_of(" \t") != std::string::npos) return false;
  unsigned value = 0;
  for (char c : port) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  out.host = host;
  out.port = static_cast<uint16_t>(value);
  return true;
}

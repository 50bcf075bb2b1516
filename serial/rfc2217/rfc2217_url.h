#pragma once

#include <cstdint>
#include <string>

// rfc2217://HOST:PORT, HOST a name, an IPv4 address or a bracketed IPv6
// address, PORT 1-65535; a trailing "/" is allowed. The scheme is matched
// without regard to case. Options after the port are refused rather than
// silently ignored.
struct TRfc2217Address {
  std::string host;
  uint16_t port = 0;
};

bool ParseRfc2217Url(const std::string& url, TRfc2217Address& out);

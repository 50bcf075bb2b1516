#include "serial/rfc2217/connect_ahead.h"

#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "serial/rfc2217/rfc2217_device.h"
#include "serial/rfc2217/rfc2217_url.h"
#include "serial/rfc2217/tcp_connect.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TMadeAhead {
  unsigned Generation = 0;  // of the latest attempt; an older one's result is dropped
  int Fd = -1;
  Clock::time_point Made;
};

struct TRegistry {
  std::mutex Lock;
  std::map<std::string, TMadeAhead> Entries;
};

// Never destroyed: a connecting thread may still finish while the process
// ends, after static objects are gone.
TRegistry& Registry() {
  static TRegistry* const registry = new TRegistry;
  return *registry;
}

std::string Key(const std::string& host, uint16_t port) { return host + ":" + std::to_string(port); }

void CloseHeld(TMadeAhead& entry) {
  if (entry.Fd >= 0) ::close(entry.Fd);
  entry.Fd = -1;
}

}  // namespace

void ConnectAhead(const std::string& url, std::function<void(int osError)> done) {
  TRfc2217Address address;
  if (!ParseRfc2217Url(url, address)) {
    done(EINVAL);
    return;
  }
  const std::string key = Key(address.host, address.port);
  unsigned generation = 0;
  {
    std::lock_guard lock(Registry().Lock);
    TMadeAhead& entry = Registry().Entries[key];
    CloseHeld(entry);
    generation = ++entry.Generation;
  }
  auto connect = [address, key, generation, done = std::move(done)] {
    int osError = 0;
    const int fd = ConnectTcp(address.host, address.port,
                              Clock::now() + std::chrono::milliseconds(kRfc2217ConnectTimeoutMs), osError);
    {
      std::lock_guard lock(Registry().Lock);
      TMadeAhead& entry = Registry().Entries[key];
      if (fd >= 0 && entry.Generation == generation) {
        entry.Fd = fd;
        entry.Made = Clock::now();
      } else if (fd >= 0) {
        ::close(fd);  // replaced or dropped meanwhile
      }
    }
    done(fd >= 0 ? 0 : osError);
  };
  try {
    std::thread(std::move(connect)).detach();
  } catch (const std::system_error& e) {
    done(e.code().value() ? e.code().value() : EAGAIN);
  }
}

void DropConnectionMadeAhead(const std::string& url) {
  TRfc2217Address address;
  if (!ParseRfc2217Url(url, address)) return;
  std::lock_guard lock(Registry().Lock);
  auto found = Registry().Entries.find(Key(address.host, address.port));
  if (found == Registry().Entries.end()) return;
  CloseHeld(found->second);
  ++found->second.Generation;
}

int TakeConnectionMadeAhead(const std::string& host, uint16_t port) {
  std::lock_guard lock(Registry().Lock);
  auto found = Registry().Entries.find(Key(host, port));
  if (found == Registry().Entries.end() || found->second.Fd < 0) return -1;
  TMadeAhead& entry = found->second;
  if (Clock::now() - entry.Made > std::chrono::milliseconds(kConnectionMadeAheadLifeMs)) {
    CloseHeld(entry);
    return -1;
  }
  const int fd = entry.Fd;
  entry.Fd = -1;
  return fd;
}

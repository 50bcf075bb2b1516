#include "serial/rfc2217/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {
std::atomic<TNameLookup> nameLookup{&getaddrinfo};
}  // namespace

TNameLookup SetNameLookup(TNameLookup lookup) { return nameLookup.exchange(lookup ? lookup : &getaddrinfo); }

int AddrInfoErrorToErrno(int eaiCode, int savedErrno) {
  switch (eaiCode) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_AGAIN:
    case EAI_FAIL:
      return kNameLookupFailed;
    case EAI_MEMORY: return ENOMEM;
    case EAI_SERVICE: return EINVAL;
    case EAI_FAMILY:
    case EAI_ADDRFAMILY: return EAFNOSUPPORT;
    case EAI_SYSTEM: return savedErrno ? savedErrno : EIO;
    default: return EINVAL;
  }
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  using namespace std::chrono;
  const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
  if (left <= 0) return 0;
  return left > 60000 ? 60000 : static_cast<int>(left);
}

namespace {

using TAddressList = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// getaddrinfo() result: 0 and the list, or an errno value.
struct TLookupResult {
  int error = 0;
  TAddressList list{nullptr, &freeaddrinfo};
};

TLookupResult LookUp(const std::string& host, const std::string& service, int extraFlags) {
  const TNameLookup lookup = extraFlags & AI_NUMERICHOST ? &getaddrinfo : nameLookup.load();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG | extraFlags;
  addrinfo* list = nullptr;
  errno = 0;
  int rc = lookup(host.c_str(), service.c_str(), &hints, &list);
  if (rc == EAI_NONAME || rc == EAI_ADDRFAMILY) {
    // AI_ADDRCONFIG hides loopback-only families on a host without a network.
    hints.ai_flags &= ~AI_ADDRCONFIG;
    errno = 0;
    rc = lookup(host.c_str(), service.c_str(), &hints, &list);
  }
  TLookupResult r;
  if (rc != 0)
    r.error = AddrInfoErrorToErrno(rc, errno);
  else
    r.list.reset(list);
  return r;
}

// The system resolver cannot be interrupted, so a name is looked up on a
// thread of its own; when the deadline comes first, that thread is left to
// finish alone and drops its result.
TLookupResult LookUpBefore(const std::string& host, const std::string& service,
                           std::chrono::steady_clock::time_point deadline) {
  // An address needs no resolver.
  TLookupResult numeric = LookUp(host, service, AI_NUMERICHOST);
  if (numeric.error == 0) return numeric;

  struct TShared {
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
    TLookupResult result;
  };
  auto shared = std::make_shared<TShared>();
  try {
    std::thread([shared, host, service] {
      TLookupResult r = LookUp(host, service, 0);
      std::lock_guard lock(shared->mu);
      shared->result = std::move(r);
      shared->done = true;
      shared->cv.notify_all();
    }).detach();
  } catch (const std::system_error& e) {
    TLookupResult r;
    r.error = e.code().value() ? e.code().value() : EAGAIN;
    return r;
  }
  std::unique_lock lock(shared->mu);
  if (!shared->cv.wait_until(lock, deadline, [&] { return shared->done; })) {
    TLookupResult r;
    r.error = kNameLookupFailed;
    return r;
  }
  return std::move(shared->result);
}

// A peer that stops answering (link down, host gone) without closing would
// otherwise go unnoticed for hours, with its modem lines still reading on.
// Keep-alive probes cover an idle line, the user time-out a line with data
// in flight; either ends the connection with an error within
// kSilentPeerLimitMs of the last answer, which the port reports as gone.
// The user time-out also ends a connection whose peer takes no data at all
// (a shut window) for that long; command lines never come near filling it.
void DetectSilentPeer(int fd) {
  const int one = 1, idleS = 3, intervalS = 1, probes = 5;
  const unsigned limitMs = kSilentPeerLimitMs;
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleS, sizeof idleS);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalS, sizeof intervalS);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
  setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &limitMs, sizeof limitMs);
}

// One address: 0 and the connected socket in fd, or an errno value.
int TryConnect(const addrinfo& ai, std::chrono::steady_clock::time_point deadline, int& fd) {
  fd = socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
  if (fd < 0) return errno;
  int rc;
  do rc = connect(fd, ai.ai_addr, ai.ai_addrlen);
  while (rc < 0 && errno == EINTR);
  int error = rc == 0 ? 0 : errno;
  if (error == EINPROGRESS) {
    error = ETIMEDOUT;
    for (;;) {
      pollfd p{fd, POLLOUT, 0};
      const int n = poll(&p, 1, MillisecondsLeft(deadline));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = errno;
        break;
      }
      if (n == 0) break;  // still not answered: ETIMEDOUT
      socklen_t len = sizeof error;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) < 0) error = errno;
      break;
    }
  }
  if (error != 0) {
    close(fd);
    fd = -1;
    return error;
  }
  // Command lines are short; do not let Nagle hold them back.
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  DetectSilentPeer(fd);
  return 0;
}

}  // namespace

int ConnectTcp(const std::string& host, uint16_t port, std::chrono::steady_clock::time_point deadline,
               int& osError) {
  TLookupResult found = LookUpBefore(host, std::to_string(port), deadline);
  if (found.error != 0) {
    osError = found.error;
    return -1;
  }

  osError = ETIMEDOUT;
  for (const addrinfo* ai = found.list.get(); ai; ai = ai->ai_next) {
    int fd = -1;
    const int error = TryConnect(*ai, deadline, fd);
    if (error == 0) {
      osError = 0;
      return fd;
    }
    osError = error;
    if (MillisecondsLeft(deadline) == 0) break;
  }
  return -1;
}

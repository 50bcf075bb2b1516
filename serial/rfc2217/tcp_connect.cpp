#include "serial/rfc2217/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

int AddrInfoErrorToErrno(int eaiCode, int savedErrno) {
  switch (eaiCode) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
      return ENOENT;  // like a device name that does not exist
    case EAI_AGAIN: return EAGAIN;
    case EAI_FAIL: return EHOSTUNREACH;
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
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
  return 0;
}

}  // namespace

int ConnectTcp(const std::string& host, uint16_t port, std::chrono::steady_clock::time_point deadline,
               int& osError) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  errno = 0;
  int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (rc == EAI_NONAME || rc == EAI_ADDRFAMILY) {
    // AI_ADDRCONFIG hides loopback-only families on a host without a network.
    hints.ai_flags = AI_NUMERICSERV;
    errno = 0;
    rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  }
  if (rc != 0) {
    osError = AddrInfoErrorToErrno(rc, errno);
    return -1;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(list, &freeaddrinfo);

  osError = ETIMEDOUT;
  for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
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

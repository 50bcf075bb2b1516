#include "pty_transport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace modemsim {

namespace {

std::runtime_error SysError(const std::string& what) { return std::runtime_error(what + ": " + strerror(errno)); }

// Points `link` at `target`, replacing an older symlink but never a real file.
void MakeLink(const std::string& link, const std::string& target) {
  struct stat st {};
  if (lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) throw std::runtime_error(link + " exists and is not a symbolic link");
    unlink(link.c_str());
  }
  if (symlink(target.c_str(), link.c_str()) != 0) throw SysError("cannot create link " + link);
}

}  // namespace

PtyTransport::PtyTransport(Session& session, Log& log, std::string linkPath)
    : session_(session), log_(log), linkPath_(std::move(linkPath)) {
  Create();
}

PtyTransport::~PtyTransport() {
  CloseAll();
  if (!linkPath_.empty()) {
    // Remove the link only if it is still ours.
    char buf[4096];
    ssize_t n = readlink(linkPath_.c_str(), buf, sizeof buf - 1);
    if (n >= 0 && std::string(buf, static_cast<size_t>(n)) == slavePath_) unlink(linkPath_.c_str());
  }
}

void PtyTransport::Create() {
  int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m < 0) throw SysError("posix_openpt");
  if (grantpt(m) != 0 || unlockpt(m) != 0) {
    int e = errno;
    close(m);
    errno = e;
    throw SysError("grantpt/unlockpt");
  }
  char name[128];
  if (ptsname_r(m, name, sizeof name) != 0) {
    close(m);
    throw SysError("ptsname");
  }
  int s = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (s < 0) {
    int e = errno;
    close(m);
    errno = e;
    throw SysError(std::string("open ") + name);
  }
  termios tio{};
  if (tcgetattr(s, &tio) == 0) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    tcsetattr(s, TCSANOW, &tio);
  }
  master_ = m;
  keeper_ = s;
  slavePath_ = name;
  out_.clear();
  if (!linkPath_.empty()) MakeLink(linkPath_, slavePath_);
  log_.Event("PTY", slavePath_);
}

void PtyTransport::CloseAll() {
  if (keeper_ >= 0) close(keeper_);
  if (master_ >= 0) close(master_);
  keeper_ = master_ = -1;
}

void PtyTransport::AddPollFds(std::vector<pollfd>& fds) {
  if (master_ < 0) return;
  short events = POLLIN;
  if (!out_.empty()) events |= POLLOUT;
  fds.push_back({master_, events, 0});
}

void PtyTransport::HandlePoll(const std::vector<pollfd>& fds) {
  for (auto& p : fds) {
    if (p.fd != master_ || master_ < 0 || p.revents == 0) continue;
    if (p.revents & POLLOUT) Flush();
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[512];
      ssize_t n = read(master_, buf, sizeof buf);
      if (n > 0) {
        session_.Received(std::string_view(buf, static_cast<size_t>(n)));
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        // Cannot happen while our own slave descriptor is open; if it does,
        // start over on a fresh pty rather than poll a dead one in a loop.
        log_.Event("PTY-HANGUP", n == 0 ? "eof" : strerror(errno));
        session_.Reset();
        CloseAll();
        Create();
      }
    }
  }
}

void PtyTransport::Send(std::string_view bytes) {
  out_.append(bytes);
  Flush();
}

void PtyTransport::Flush() {
  while (!out_.empty() && master_ >= 0) {
    ssize_t n = write(master_, out_.data(), out_.size());
    if (n > 0) {
      out_.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      log_.Event("PTY-ERROR", std::string("write: ") + strerror(errno));
      out_.clear();
    }
    return;  // full: POLLOUT tells when it drains
  }
}

void PtyTransport::Drop() {
  // Like a device unplugged: the program's descriptor sees a hang-up. A new
  // pty stands in for the replugged device (the --link follows it).
  session_.Reset();
  CloseAll();
  log_.Event("CLOSE", slavePath_);
  Create();
}

}  // namespace modemsim

#include "serial/posix/saved_terminals.h"

#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace {

// Read by signal handlers: a slot's settings are written before its
// descriptor is published, and the descriptor is withdrawn before the slot
// is reused. More ports than this are never open at once.
struct TSlot {
  std::atomic<int> Fd{-1};
  termios Settings{};
};
constexpr int kSlots = 16;
TSlot slots[kSlots];
std::mutex slotsLock;

// Async-signal-safe: tcsetattr and atomics only.
void GiveBackAll() {
  for (TSlot& slot : slots) {
    const int fd = slot.Fd.load(std::memory_order_acquire);
    if (fd >= 0) tcsetattr(fd, TCSANOW, &slot.Settings);
  }
}

void OnFatalSignal(int signal) {
  GiveBackAll();
  // Then the signal's own default: the process ends as it would have.
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Signals whose default action ends the process.
constexpr int kFatalSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE,
                                 SIGSEGV, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,   SIGXCPU, SIGXFSZ,
                                 SIGVTALRM, SIGPROF, SIGSYS, SIGSTKFLT, SIGPWR};

void InstallOnce() {
  std::atexit(GiveBackAll);
  for (const int signal : kFatalSignals) {
    struct sigaction current {};
    // A handler or an ignore set by someone else is theirs to keep.
    if (sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
        current.sa_handler != SIG_DFL)
      continue;
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace

bool KeepTerminalSettings(int fd, const termios& settings) {
  static std::once_flag installed;
  std::call_once(installed, InstallOnce);
  std::lock_guard lock(slotsLock);
  for (TSlot& slot : slots) {
    if (slot.Fd.load(std::memory_order_relaxed) >= 0) continue;
    slot.Settings = settings;
    slot.Settings.c_cflag &= ~HUPCL;
    slot.Fd.store(fd, std::memory_order_release);
    return true;
  }
  return false;
}

void GiveBackTerminal(int fd) {
  std::lock_guard lock(slotsLock);
  for (TSlot& slot : slots) {
    if (slot.Fd.load(std::memory_order_relaxed) != fd) continue;
    tcsetattr(fd, TCSANOW, &slot.Settings);
    slot.Fd.store(-1, std::memory_order_release);
  }
}

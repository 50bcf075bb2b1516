#include "session.h"

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

namespace modemsim {

namespace {

constexpr size_t kMaxLine = 256;
constexpr size_t kMaxPendingLines = 64;  // a peer that never waits must not grow memory without limit

bool Has(const std::vector<FaultRule>& faults, FaultKind kind) {
  return std::any_of(faults.begin(), faults.end(), [&](const FaultRule& f) { return f.kind == kind; });
}

const FaultRule* Find(const std::vector<FaultRule>& faults, FaultKind kind) {
  for (auto& f : faults)
    if (f.kind == kind) return &f;
  return nullptr;
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

Session::Session(Modem& modem, FaultSet& faults, Log& log, SessionOptions options)
    : modem_(modem), faults_(faults), log_(log), options_(options) {}

void Session::Received(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\n') continue;  // CR ends a command; the LF of CR LF is ignored
    if (c != '\r') {
      if (partial_.size() < kMaxLine) partial_ += c;
      else partialTooLong_ = true;
      continue;
    }
    if (partial_.empty() && !partialTooLong_) continue;
    const auto now = Clock::now();
    log_.Event(now, "RX", Escape(partial_));
    // A command line must not start before the previous result code is complete
    // plus the guard time.
    const bool busy = !actions_.empty() || !lines_.empty();
    if (busy) {
      log_.Event(now, "GUARD-VIOLATION", "-1 " + Escape(partial_));
    } else if (lastResultEnd_) {
      long gap = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - *lastResultEnd_).count());
      if (gap < options_.guardMs) log_.Event(now, "GUARD-VIOLATION", std::to_string(gap) + " " + Escape(partial_));
    }
    if (lines_.size() < kMaxPendingLines) lines_.push_back({std::move(partial_), partialTooLong_});
    else log_.Event(now, "OVERFLOW", "line dropped: " + Escape(partial_));
    partial_.clear();
    partialTooLong_ = false;
  }
}

std::optional<Clock::time_point> Session::NextDue() const {
  if (!actions_.empty()) return actions_.front().due;
  if (!lines_.empty()) return Clock::now();
  return std::nullopt;
}

void Session::Run() {
  for (;;) {
    if (!actions_.empty()) {
      if (actions_.front().due > Clock::now()) return;
      Action a = std::move(actions_.front());
      actions_.pop_front();
      Execute(a);  // may reset the session (drop)
      continue;
    }
    if (lines_.empty()) return;
    Line line = std::move(lines_.front());
    lines_.pop_front();
    Process(line);
  }
}

void Session::Reset() {
  partial_.clear();
  partialTooLong_ = false;
  lines_.clear();
  actions_.clear();
  replySoFar_.clear();
}

void Session::Execute(Action& a) {
  switch (a.kind) {
    case ActionKind::Write:
      replySoFar_ += a.bytes;
      if (a.endsReply) {
        // Logged before the write, so whoever has read the reply finds it in the log.
        lastResultEnd_ = Clock::now();
        log_.Event(*lastResultEnd_, "TX", Escape(replySoFar_));
        replySoFar_.clear();
      }
      if (link_) link_->Send(a.bytes);
      break;
    case ActionKind::Drop:
      log_.Event("DROP", "sent=" + Escape(replySoFar_));
      replySoFar_.clear();
      if (link_) link_->Drop();
      break;
    case ActionKind::PowerOff:
      modem_.SetPowered(false);
      log_.Event("DSR", "off");
      if (link_) link_->PowerChanged(false);
      break;
  }
}

Clock::time_point Session::Schedule(const std::string& bytes, Clock::time_point start, long baud, size_t chunk,
                                    long gapMs) {
  // A byte on the line is 10 bits: start, 8 data, stop.
  const auto perByte = baud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / baud) : std::chrono::nanoseconds(0);
  if (chunk == 0) chunk = baud > 0 ? 1 : std::max<size_t>(bytes.size(), 1);
  const bool split = chunk < bytes.size() && gapMs > 0;
  auto t = start;
  auto last = start;
  for (size_t pos = 0; pos < bytes.size(); pos += chunk) {
    if (pos > 0 && split) t += std::chrono::milliseconds(gapMs);
    std::string piece = bytes.substr(pos, chunk);
    if (baud > 0) {
      for (char c : piece) {
        actions_.push_back({t, ActionKind::Write, std::string(1, c)});
        last = t;
        t += perByte;
      }
    } else {
      actions_.push_back({t, ActionKind::Write, piece});
      last = t;
    }
  }
  return std::max(last, start);
}

void Session::Process(const Line& line) {
  const auto now = Clock::now();
  if (!modem_.Powered()) {
    log_.Event(now, "NOREPLY", "powered-off " + Escape(line.text));
    return;
  }
  const auto faults = faults_.Match(line.text);
  for (auto& f : faults) log_.Event(now, "FAULT", std::string(FaultName(f.kind)) + " " + Escape(line.text));
  // The process itself fails, with its connections as the kernel leaves them:
  // killed, they close; stopped, they stay up and nothing answers.
  if (Has(faults, FaultKind::Die)) ::raise(SIGKILL);
  if (auto* freeze = Find(faults, FaultKind::Freeze)) {
    if (freeze->value == 0) {
      ::raise(SIGSTOP);
    } else {
      // Hung for a while, as firmware caught in a loop: nothing is read or
      // answered meanwhile, and the line that hung it is lost. A test gets
      // the modem's silence at one command without a silent rest of the run.
      std::this_thread::sleep_for(std::chrono::milliseconds(freeze->value));
      log_.Event(Clock::now(), "NOREPLY", "fault " + Escape(line.text));
      return;
    }
  }

  if (Has(faults, FaultKind::DsrOff)) {
    actions_.push_back({now, ActionKind::PowerOff, {}});
    return;
  }
  if (Has(faults, FaultKind::NoAnswer)) {
    log_.Event(now, "NOREPLY", "fault " + Escape(line.text));
    return;
  }

  long baud = options_.baud;
  if (auto* pace = Find(faults, FaultKind::Pace)) baud = pace->value;

  auto t = now;
  if (options_.echo || Has(faults, FaultKind::Echo)) t = Schedule(line.text + "\r", t, baud, 0, 0);

  Reply reply;
  if (Has(faults, FaultKind::Error) || line.tooLong) reply.ok = false;
  else reply = modem_.Execute(line.text);

  long waitMs = reply.busyMs;
  for (auto& f : faults)
    if (f.kind == FaultKind::Delay) waitMs += f.value;
  t = std::max(t, now + std::chrono::milliseconds(waitMs));

  std::string result = reply.ok ? "OK" : "ERROR";
  if (Has(faults, FaultKind::Lowercase)) result = Lower(result);
  if (Has(faults, FaultKind::Ook)) result.insert(0, 1, result[0]);
  std::string bytes;
  for (auto& f : faults)
    if (f.kind == FaultKind::Garbage) bytes += f.bytes;
  if (Has(faults, FaultKind::NoLineBreaks)) bytes += reply.text + result;
  else {
    if (!reply.text.empty()) bytes += "\r\n" + reply.text + "\r\n";
    bytes += "\r\n" + result + "\r\n";
  }

  size_t chunk = 0;
  long gap = 0;
  if (auto* split = Find(faults, FaultKind::Split)) {
    chunk = static_cast<size_t>(split->value);
    gap = split->value2;
  }
  if (auto* drop = Find(faults, FaultKind::Drop)) {
    bytes.resize(std::min(bytes.size(), static_cast<size_t>(drop->value)));
    t = Schedule(bytes, t, baud, chunk, gap);
    actions_.push_back({t, ActionKind::Drop, {}});
    return;
  }
  Schedule(bytes, t, baud, chunk, gap);
  actions_.back().endsReply = true;  // a reply always holds its result code
}

}  // namespace modemsim

#include "app/comm_port.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTime>
#include <QTimer>

#include <algorithm>

#include "app/failure_detail.h"
#include "app/utils.h"
#include "toolkit/core/message_box.h"

namespace {

constexpr char CR = 13;
constexpr char LF = 10;
constexpr int ReadChunk = 512;
constexpr int WaitStep = 100;  // ms; the time-out is counted in whole steps

const char* const ReentryMessage = "TCommPort: another command is still waiting";

// The modem dialogue in the diagnostic trace: each command line sent, each
// piece of reply received, each result recognised, with the time of day.
Q_LOGGING_CATEGORY(lcModem, "orvix.modem", QtWarningMsg)

QByteArray TimeOfDay() { return QTime::currentTime().toString("HH:mm:ss.zzz").toLatin1(); }

// Bytes as a C string literal would show them, so that CR, LF and stray
// control bytes can be told apart.
QByteArray Quoted(const char* data, std::size_t size) {
  QByteArray out = "\"";
  for (std::size_t i = 0; i < size; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c == CR)
      out += "\\r";
    else if (c == LF)
      out += "\\n";
    else if (c == '"' || c == '\\')
      out += QByteArray("\\") + static_cast<char>(c);
    else if (c < 0x20 || c >= 0x7F)
      out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
    else
      out += static_cast<char>(c);
  }
  return out + '"';
}

}  // namespace

TCommPort::TCommPort() {
  SetReadBufSize(512);
  SetFlowControl(TFlowControl::fcSoftware);
  SetMonitorEvents({TCommEventState::evError, TCommEventState::evRxChar});
  SetOptions({});
  OnRxChar = [this](TCustomComm* sender, int count) { HandleRxChar(sender, count); };
}

TCommPort::~TCommPort() {
  // Deliveries served while the event thread stops must not reach a half-destroyed channel.
  OnRxChar = nullptr;
  OnLineLost = nullptr;
  Close();
}

void TCommPort::OpenPort() {
  if (waitLoop_) {
    // A reopened device loses the reply of the running wait.
    portReset_ = true;
    WakeWait();
  }
  lineLostReported_ = false;
  Open();
  portOpen_ = true;
}

void TCommPort::ClosePort() {
  if (ModemSignal(2)) Close();
  portOpen_ = false;
  WakeWait();
}

void TCommPort::ReleasePort() {
  Close();
  portOpen_ = false;
  WakeWait();
}

void TCommPort::SendCommand(const std::string& command) {
  if (busy_) throw ECommPort(ReentryMessage);
  busy_ = true;
  struct Release {
    bool& busy;
    ~Release() { busy = false; }
  } release{busy_};

  // The modem ignores a command line that begins too soon after the previous
  // result code, so wait out the rest of the guard, handling events meanwhile.
  if (lastResultCode_) {
    using namespace std::chrono;
    for (;;) {
      const auto left = CommandGuard - (steady_clock::now() - *lastResultCode_);
      if (left <= steady_clock::duration::zero()) break;
      Delay(static_cast<int>(ceil<milliseconds>(left).count()));
    }
  }

  if (WaitsAbandoned()) throw EWaitAbandoned();

  // Stale input goes before the line is written: a fast modem may have
  // answered already by the time the wait begins.
  PurgeIn();
  const std::string line = command + CR + LF;
  const int written = Write(line.data(), static_cast<int>(line.size()));
  writeFailed_ = written != static_cast<int>(line.size());
  qCDebug(lcModem, "%s > %s%s", TimeOfDay().constData(), command.c_str(), writeFailed_ ? " (not written)" : "");
  commandSent_ = true;
  commandLine_ = command;
}

void TCommPort::WaitResponse(int timeOut) {
  if (busy_) throw ECommPort(ReentryMessage);
  busy_ = true;
  const char* outcome = "no answer";
  QElapsedTimer clock;
  clock.start();
  struct EndOfWait {
    TCommPort& port;
    const char*& outcome;
    const QElapsedTimer& clock;
    ~EndOfWait() {
      if (port.commandSent_) port.DropEcho();
      qCDebug(lcModem, "%s = %s %s in %lld ms", TimeOfDay().constData(), outcome,
              Quoted(port.response_.data(), port.response_.size()).constData(), clock.elapsed());
      port.respState_ = TRespState::rsIdle;
      port.waitLoop_ = nullptr;
      port.busy_ = false;
      port.writeFailed_ = false;
      port.commandSent_ = false;
    }
  } endOfWait{*this, outcome, clock};

  if (!commandSent_) PurgeIn();
  response_.clear();
  responseLength_ = 0;
  respState_ = TRespState::rsScan;
  portReset_ = false;

  const bool limited = timeOut >= 0;
  outcome = "no answer (time-out)";
  if (limited && timeOut < WaitStep) throw EResponseTimeOut();
  const qint64 budget = static_cast<qint64>(timeOut / WaitStep) * WaitStep;

  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  // DSR and an abandon request raise no event of their own, so every step
  // looks at them.
  QTimer step;
  QObject::connect(&step, &QTimer::timeout, &loop, &QEventLoop::quit);
  step.start(WaitStep);
  waitLoop_ = &loop;

  // Every end condition quits the loop; anything else that quits it only
  // leads to a fresh check.
  for (;;) {
    if (respState_ == TRespState::rsOK) {
      outcome = "OK";
      return;
    }
    if (respState_ == TRespState::rsError) {
      outcome = "ERROR";
      throw EResponseError();
    }
    if (LineLost()) {
      outcome = "no answer (line lost)";
      throw EDeviceLost();
    }
    if (DsrOff()) {
      outcome = "no answer (DSR off)";
      throw EModemOff();
    }
    if (WaitsAbandoned()) {
      outcome = "no answer (given up)";
      // A reply that comes late must not be taken for the next command's.
      PurgeIn();
      throw EWaitAbandoned();
    }
    if (limited) {
      const qint64 left = budget - clock.elapsed();
      outcome = "no answer (time-out)";
      if (left <= 0) throw EResponseTimeOut();
      deadline.start(static_cast<int>(left));
    }
    loop.exec();
  }
}

TCommandOutcome TCommPort::Command(const std::string& command, int timeOut) {
  if (busy_) throw ECommPort(ReentryMessage);
  TCommandOutcome outcome = TCommandOutcome::coOK;
  try {
    SendCommand(command);
    WaitResponse(timeOut);
  } catch (const EWaitAbandoned&) {
    throw;  // not the modem's failure: whoever gave up on it knows
  } catch (const Exception& e) {
    outcome = dynamic_cast<const EResponseError*>(&e) ? TCommandOutcome::coError : TCommandOutcome::coNoAnswer;
    ShowErrorBox("Error on COM Port", CommandFailureDetail(std::current_exception(), command, timeOut));
  }
  return outcome;
}

void TCommPort::HandleRxChar(TCustomComm*, int count) {
  char buffer[ReadChunk];
  bool chunkDone = false;
  while (count > 0) {
    const int n = Read(buffer, std::min(count, ReadChunk));
    if (n <= 0) return;
    count -= n;
    qCDebug(lcModem, "%s < %s%s", TimeOfDay().constData(), Quoted(buffer, static_cast<std::size_t>(n)).constData(),
            respState_ == TRespState::rsIdle ? " (no command waiting: dropped)" : "");
    if (respState_ == TRespState::rsIdle || chunkDone) continue;

    for (int i = 0; i < n && !chunkDone; ++i) {
      const char c = buffer[i];
      // CR and LF are never kept and never break a partial match.
      if (c == CR || c == LF) continue;
      AppendChar(c);
      switch (c) {
        case 'E':
          respState_ = respState_ == TRespState::rsScan ? TRespState::rsGotE : TRespState::rsScan;
          break;
        case 'O':
          if (respState_ == TRespState::rsScan)
            respState_ = TRespState::rsGotO;
          else if (respState_ == TRespState::rsGotERR)
            respState_ = TRespState::rsGotERRO;
          else
            respState_ = TRespState::rsScan;
          break;
        case 'K':
          if (respState_ == TRespState::rsGotO) {
            DropLast(2);
            respState_ = TRespState::rsOK;
            chunkDone = true;
          } else {
            respState_ = TRespState::rsScan;
          }
          break;
        case 'R':
          if (respState_ == TRespState::rsGotE) {
            respState_ = TRespState::rsGotER;
          } else if (respState_ == TRespState::rsGotER) {
            respState_ = TRespState::rsGotERR;
          } else if (respState_ == TRespState::rsGotERRO) {
            DropLast(5);
            respState_ = TRespState::rsError;
            chunkDone = true;
          } else {
            respState_ = TRespState::rsScan;
          }
          break;
        default:
          respState_ = TRespState::rsScan;
          break;
      }
    }
    if (chunkDone) {
      lastResultCode_ = std::chrono::steady_clock::now();
      WakeWait();
    }
  }
}

void TCommPort::DispatchEvent(uint32_t eventBit) {
  TComm::DispatchEvent(eventBit);
  // The vanished device is reported once, with nobody listening on OnError:
  // the wait has to notice it here or it would never end.
  if (!DeviceGone()) return;
  WakeWait();
  if (lineLostReported_) return;
  lineLostReported_ = true;
  if (OnLineLost) OnLineLost(this);
}

void TCommPort::AppendChar(char c) {
  ++responseLength_;
  if (response_.size() < MaxResponseLength) response_ += c;
}

// Modems echo command lines unless told not to, and the program never tells
// them: the echo comes first and, without its CR and LF, would be glued to
// the reply's first field.
void TCommPort::DropEcho() {
  if (!commandLine_.empty() && response_.compare(0, commandLine_.size(), commandLine_) == 0)
    response_.erase(0, commandLine_.size());
}

// The bounded text stays the prefix of the reply it would hold unbounded.
void TCommPort::DropLast(std::size_t count) {
  responseLength_ -= std::min(count, responseLength_);
  if (response_.size() > responseLength_) response_.resize(responseLength_);
}

void TCommPort::AbandonWaitsAfter(std::chrono::milliseconds grace) {
  if (!abandonAt_) abandonAt_ = std::chrono::steady_clock::now() + grace;
}

void TCommPort::ResumeWaits() { abandonAt_.reset(); }

bool TCommPort::WaitsAbandoned() const { return abandonAt_ && std::chrono::steady_clock::now() >= *abandonAt_; }

// Only a status that could be read counts: a line without modem lines (a pty)
// fails the query and must not read as a modem that went off.
bool TCommPort::DsrOff() const {
  uint32_t status = 0;
  return Enabled() && Handle()->GetCommModemStatus(status) && (status & MS_DSR_ON) == 0;
}

bool TCommPort::LineLost() const { return DeviceGone() || !Enabled() || writeFailed_ || portReset_; }

void TCommPort::WakeWait() {
  if (waitLoop_) waitLoop_->quit();
}

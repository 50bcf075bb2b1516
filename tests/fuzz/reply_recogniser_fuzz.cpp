// The command channel's reply recogniser fed a modem's bytes in any receive events: how the line cuts a
// reply must never change how the wait ends or what it leaves in Response.

#include <QCoreApplication>
#include <QTimer>

#include <cstring>
#include <memory>

#include "app/comm_port.h"
#include "tests/fuzz/fuzz_input.h"

using fuzz::Check;

namespace {

// A line whose received bytes are whatever the harness puts there.
struct TFeedDevice : TSerialDevice {
  std::string Input;

  int GetFileType() override { return FILE_TYPE_CHAR; }
  bool GetCommState(TDCB&) override { return true; }
  bool SetCommState(const TDCB&) override { return true; }
  bool SetupComm(int, int) override { return true; }
  bool SetCommTimeouts(const TCommTimeouts&) override { return true; }
  int Read(void* buffer, int count) override {
    const int n = std::min(count, static_cast<int>(Input.size()));
    std::memcpy(buffer, Input.data(), static_cast<size_t>(n));
    Input.erase(0, static_cast<size_t>(n));
    return n;
  }
  int Write(const void*, int count) override { return count; }
  bool PurgeComm(uint32_t flags) override { if (flags & PURGE_RXCLEAR) Input.clear(); return true; }
  bool GetCommModemStatus(uint32_t& status) override { status = MS_DSR_ON | MS_CTS_ON; return true; }
  bool EscapeCommFunction(uint32_t) override { return true; }
  bool SetCommMask(uint32_t) override { return true; }
  TWaitResult WaitCommEvent(uint32_t&, const TStopSignal&) override { return TWaitResult::Failed; }
  bool ClearCommError(uint32_t& errors, TComStat& stat) override { errors = 0; stat = {}; return true; }
};

// The channel on that line without an event thread: the harness hands it the receive events itself.
struct TFeedPort : TCommPort {
  void Attach(std::unique_ptr<TSerialDevice> device) { SetHandle(std::move(device)); }
};

enum class TEnding { Ok, Error, NoResultCode };

struct TOutcome {
  TEnding Ending;
  std::string Response;
  bool operator==(const TOutcome&) const = default;
};

// One command whose reply arrives as these receive events, one per turn of the wait's event loop; then the
// port is closed as the window closes it, which ends a wait that found no result code.
TOutcome Exchange(const std::vector<std::string>& events) {
  TFeedPort port;
  auto device = std::make_unique<TFeedDevice>();
  TFeedDevice& line = *device;
  port.Attach(std::move(device));
  port.SendCommand("AT+MSR=0");

  std::size_t next = 0;
  QTimer feeder;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    if (next == events.size()) {
      feeder.stop();
      port.ClosePort();
      return;
    }
    line.Input += events[next];
    port.HandleRxChar(&port, static_cast<int>(events[next].size()));
    ++next;
  });
  feeder.start(0);

  TOutcome outcome{TEnding::Ok, {}};
  try {
    port.WaitResponse(-1);
  } catch (const EResponseError&) {
    outcome.Ending = TEnding::Error;
  } catch (const ECommPort&) {
    outcome.Ending = TEnding::NoResultCode;
  }
  Check(port.RespState() == TRespState::rsIdle, "recogniser not idle after the wait");
  outcome.Response = port.Response();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TChunkedInput in = fuzz::SplitInput(data, size);
  if (in.Stream.empty()) return 0;

  const TOutcome chunked = Exchange(in.Chunks);
  Check(Exchange({in.Stream}) == chunked, "outcome depends on how the reply is cut");
  Check(Exchange(in.Bytes) == chunked, "outcome differs byte by byte");

  // Response is the reply's own text: no line breaks, bounded, taken in order from what arrived, the result
  // code after it.
  const std::string& r = chunked.Response;
  Check(r.size() <= TCommPort::MaxResponseLength, "Response over its bound");
  Check(r.find_first_of("\r\n") == std::string::npos, "line break kept in Response");
  std::string text;
  for (char c : in.Stream) if (c != '\r' && c != '\n') text += c;
  const bool full = r.size() < TCommPort::MaxResponseLength;
  const std::string code = chunked.Ending == TEnding::Ok ? "OK" : chunked.Ending == TEnding::Error ? "ERROR" : "";
  Check(text.find(full ? r + code : r) != std::string::npos, "Response or its result code not from the reply");
  return 0;
}

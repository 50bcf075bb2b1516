// Command channel benchmark: N commands against the modem emulator, each
// compared with the least time the exchange can take on the line (command and
// reply at the baud rate, the emulator's own latency, the 100 ms guard), and
// the CPU the process burns while a command waits for its reply.
//
//   channel_bench [-n N] [--baud B] [--command TEXT] [--play SECONDS] [--transport pty|rfc2217]...
//
// Every transport runs the same loop against a fresh emulator; the results are
// printed side by side.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/comm_port.h"
#include "tests/common/cpu_sampler.h"
#include "tests/common/modem_sim.h"

namespace {

using orvix::test::LogTime;
using orvix::test::ModemSim;
using orvix::test::ProcessCpuSeconds;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double Mean(const std::vector<double>& v) {
  return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

struct Options {
  int count = 50;
  long baud = 9600;
  std::string command = "AT+MSR=0";
  int playSeconds = 3;
  std::vector<std::string> transports;
};

struct Result {
  std::string transport;
  int failures = 0;
  double perCommandMedian = 0, perCommandMean = 0;
  double commandTime = 0;      // the command line at the baud rate
  double replyTime = 0;        // the reply at the baud rate
  double emulatorLatency = 0;  // from the emulator's log, line time taken out
  double floor = 0;        // command, reply, latency, guard
  double floorPty = 0;     // the same without the command line: a pty does not pace it
  double cpuPerCommandSecond = 0;  // CPU ms per second of the command loop
  double waitSeconds = 0;          // length of the long wait
  double cpuPerWaitSecond = 0;     // CPU ms per second of the long wait
};

// Bytes of a reply: CR LF text CR LF (when there is text), then CR LF OK CR LF.
std::size_t ReplyBytes(const std::string& text) { return (text.empty() ? 0 : text.size() + 4) + 6; }

Result Run(const std::string& transport, const Options& opt) {
  std::vector<std::string> args;
  if (transport == "rfc2217") args = {"--listen", "127.0.0.1:0"};
  if (opt.baud > 0) args.insert(args.end(), {"--baud", std::to_string(opt.baud)});
  const std::string scenario = "memory 42\nclock running 1 2 3\nwelcome " + std::to_string(opt.playSeconds) +
                               "\nmessage voice 12 0 9 12\nmessage fax 2 0 14 3\n";
  ModemSim sim(args, scenario);

  TCommPort port;
  port.SetDeviceName(sim.Device());
  port.OpenPort();

  Result r;
  r.transport = transport;
  // One exchange first, so the loop starts with the guard of a previous reply
  // as every later command does.
  port.Command(opt.command, 1000);
  const std::string reply = port.Response();

  std::vector<double> times;
  const double cpu0 = ProcessCpuSeconds();
  const auto loop0 = Clock::now();
  for (int i = 0; i < opt.count; ++i) {
    const auto t0 = Clock::now();
    try {
      port.SendCommand(opt.command);
      port.WaitResponse(1000);
    } catch (const ECommPort&) {
      ++r.failures;
    }
    times.push_back(Ms(Clock::now() - t0));
  }
  const double loopSeconds = Ms(Clock::now() - loop0) / 1000;
  r.cpuPerCommandSecond = (ProcessCpuSeconds() - cpu0) * 1000 / loopSeconds;
  r.perCommandMedian = Median(times);
  r.perCommandMean = Mean(times);

  // A byte on the line is 10 bits: start, 8 data, stop.
  auto lineMs = [&](std::size_t bytes) {
    return opt.baud > 0 ? static_cast<double>(bytes) * 10 * 1000 / static_cast<double>(opt.baud) : 0.0;
  };
  r.commandTime = lineMs(opt.command.size() + 2);
  r.replyTime = lineMs(ReplyBytes(reply));

  // The emulator's latency: from the command line's arrival to the end of its
  // result code, less the time the reply spends on the line.
  const auto rx = sim.LogEvents("RX");
  const auto tx = sim.LogEvents("TX");
  std::vector<double> latency;
  for (std::size_t i = 1; i < rx.size() && i < tx.size(); ++i)
    latency.push_back(std::max(0.0, static_cast<double>(LogTime(tx[i]) - LogTime(rx[i])) - r.replyTime));
  r.emulatorLatency = Median(latency);
  const double guard = static_cast<double>(TCommPort::CommandGuard.count());
  r.floorPty = r.replyTime + r.emulatorLatency + guard;
  r.floor = r.commandTime + r.floorPty;

  // A long wait: the welcome message plays for a few seconds before OK.
  const double cpu1 = ProcessCpuSeconds();
  const auto wait0 = Clock::now();
  try {
    port.SendCommand("AT+MVP=0");
    port.WaitResponse(-1);
  } catch (const ECommPort&) {
    ++r.failures;
  }
  r.waitSeconds = Ms(Clock::now() - wait0) / 1000;
  r.cpuPerWaitSecond = (ProcessCpuSeconds() - cpu1) * 1000 / r.waitSeconds;
  return r;
}

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: channel_bench [-n N] [--baud B] [--command TEXT] [--play SECONDS] "
               "[--transport pty|rfc2217]...\n");
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) Usage();
    const std::string v = argv[++i];
    if (a == "-n") o.count = std::max(1, std::atoi(v.c_str()));
    else if (a == "--baud") o.baud = std::max(0L, std::atol(v.c_str()));
    else if (a == "--command") o.command = v;
    else if (a == "--play") o.playSeconds = std::max(1, std::atoi(v.c_str()));
    else if (a == "--transport" && (v == "pty" || v == "rfc2217")) o.transports.push_back(v);
    else Usage();
  }
  if (o.transports.empty()) o.transports = {"pty"};
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const Options opt = Parse(argc, argv);

  std::vector<Result> results;
  for (const auto& t : opt.transports) {
    try {
      results.push_back(Run(t, opt));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "channel_bench: %s: %s\n", t.c_str(), e.what());
      return 1;
    }
  }

  std::printf("%d x \"%s\", replies paced at %ld baud, %d s play for the long wait\n\n", opt.count,
              opt.command.c_str(), opt.baud, opt.playSeconds);
  std::printf("%-22s", "");
  for (const auto& r : results) std::printf("%14s", r.transport.c_str());
  std::printf("\n");
  auto row = [&](const char* name, auto value, const char* format) {
    std::printf("%-22s", name);
    for (const auto& r : results) std::printf(format, value(r));
    std::printf("\n");
  };
  row("per command, median", [](const Result& r) { return r.perCommandMedian; }, "%11.1f ms");
  row("per command, mean", [](const Result& r) { return r.perCommandMean; }, "%11.1f ms");
  row("  command line time", [](const Result& r) { return r.commandTime; }, "%11.1f ms");
  row("  reply line time", [](const Result& r) { return r.replyTime; }, "%11.1f ms");
  row("  emulator latency", [](const Result& r) { return r.emulatorLatency; }, "%11.1f ms");
  row("  guard", [](const Result&) { return static_cast<double>(TCommPort::CommandGuard.count()); },
      "%11.1f ms");
  row("floor", [](const Result& r) { return r.floor; }, "%11.1f ms");
  row("ratio (median/floor)", [](const Result& r) { return r.floor > 0 ? r.perCommandMedian / r.floor : 0; },
      "%14.3f");
  row("floor without command", [](const Result& r) { return r.floorPty; }, "%11.1f ms");
  row("ratio to that", [](const Result& r) { return r.floorPty > 0 ? r.perCommandMedian / r.floorPty : 0; },
      "%14.3f");
  row("CPU per s, commands", [](const Result& r) { return r.cpuPerCommandSecond; }, "%11.1f ms");
  row("CPU per s, long wait", [](const Result& r) { return r.cpuPerWaitSecond; }, "%11.1f ms");
  row("long wait", [](const Result& r) { return r.waitSeconds; }, "%12.2f s");
  row("failed commands", [](const Result& r) { return r.failures; }, "%14d");
  return 0;
}

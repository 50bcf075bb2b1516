// The component's properties, open/close, and the line settings it leaves on a real pseudo-terminal.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "serial/comm_event_thread.h"
#include "serial/posix/termios2_rate.h"
#include "tests/serial/serial_test_support.h"

namespace {

termios LineOf(const PtyPair& pty) {
  termios t{};
  EXPECT_EQ(tcgetattr(pty.Master(), &t), 0);
  return t;
}

uint32_t RateOf(const PtyPair& pty) {
  uint32_t rate = 0;
  EXPECT_TRUE(GetLineRate(pty.Master(), rate));
  return rate;
}

using OpenComm = PtyComm;

}  // namespace

// A new component: its defaults, and a closed port refuses the lines and transfers.
TEST(CommDefaults, NewComponentIsClosed) {
  TComm c;
  EXPECT_EQ(c.DeviceName(), "Com2");
  EXPECT_EQ(c.BaudRate(), TBaudRate::cbr9600);
  EXPECT_EQ(c.Parity(), TParity::paNone);
  EXPECT_EQ(c.Stopbits(), TStopbits::sb10);
  EXPECT_EQ(c.Databits(), TDatabits::da8);
  EXPECT_EQ(c.ReadBufSize(), 4096);
  EXPECT_EQ(c.WriteBufSize(), 2048);
  EXPECT_EQ(c.CharsTimeOut(), 250);
  EXPECT_EQ(c.FlowControl(), TFlowControl::fcDefault);
  EXPECT_TRUE(c.Options().Empty());
  EXPECT_EQ(c.MonitorEvents().Bits(), 0x01FF);
  EXPECT_EQ(c.EventChars().XonChar(), 17);
  EXPECT_EQ(c.EventChars().XoffChar(), 19);
  EXPECT_EQ(c.EventChars().Comm(), &c);
  EXPECT_FALSE(c.Enabled());
  EXPECT_EQ(c.EventThread(), nullptr);
  EXPECT_FALSE(c.OnRxChar || c.OnError || c.OnBreak || c.OnTxEmpty);

  EXPECT_FALSE(c.ModemSignal(2));
  ECommError e = CatchCommError([&] { c.SetDTR(true); });
  EXPECT_EQ(e.Message, "Port not open, unable to complete operation (Error: -1) ");
  EXPECT_EQ(e.ErrorCode, -1);
  EXPECT_EQ(CatchCommError([&] { c.SetRTS(false); }).ErrorCode, -1);
  char buf[4];
  EXPECT_EQ(c.Read(buf, 4), -1);
  EXPECT_EQ(c.Write("x", 1), -1);
  c.PurgeIn();  // nothing, no exception
}

TEST(CommTables, DeviceControlBlockValues) {
  EXPECT_EQ(BaudRateValue(TBaudRate::cbr110), 110u);
  EXPECT_EQ(BaudRateValue(TBaudRate::cbr14400), 14400u);
  EXPECT_EQ(BaudRateValue(TBaudRate::cbr56000), 56000u);
  EXPECT_EQ(BaudRateValue(TBaudRate::cbr256000), 256000u);
  EXPECT_EQ(ParityValue(TParity::paSpace), SPACEPARITY);
  EXPECT_EQ(StopbitsValue(TStopbits::sb15), ONE5STOPBITS);
  EXPECT_EQ(DatabitsValue(TDatabits::da4), 4);
  EXPECT_EQ(DatabitsValue(TDatabits::da8), 8);
  EXPECT_EQ(CommOptionBit(TCommOption::coIgnoreXOff), 0x0080u);
  EXPECT_EQ(CommOptionBit(TCommOption::coNullStrip), 0x0800u);
  EXPECT_EQ(CommEventMask({TCommEventState::evError, TCommEventState::evRxChar}), 0x0081u);
  EXPECT_EQ(CommEventMask(AllCommEvents), 0x01FFu);
  EXPECT_EQ(CommEventMask({TCommEventState::evBreak, TCommEventState::evTxEmpty}), EV_BREAK | EV_TXEMPTY);
}

TEST(CommErrors, MessageCarriesTheCode) {
  ECommError e = CatchCommError([] { RaiseCommError("Something failed", 5); });
  EXPECT_EQ(e.Message, "Something failed (Error: 5) ");
  EXPECT_EQ(e.ErrorCode, 5);
  e = CatchCommError([] { RaiseCommError("Negative", -1); });
  EXPECT_EQ(std::string(e.what()), "Negative (Error: -1) ");
}

// A device that is not there, a file that is no device, and character devices that open fine but are no
// terminal: no line to set (and /dev/zero would flood the window thread with received bytes).
TEST(CommOpen, WhatIsNoSerialDeviceIsRefusedAndClosed) {
  char path[] = "/tmp/orvix-not-a-tty-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string invalid = "Invalid device handle, access denied (Error: ";
  const struct { const char* name; std::string message; int code; } cases[] = {
      {"/dev/no-such-serial-device", "Error accessing specified device (Error: 2) ", 2},
      {"com999", "Error accessing specified device (Error: 2) ", 2},
      {path, invalid + "-1) ", -1}, {"/dev/null", invalid + "25) ", ENOTTY},
      {"/dev/zero", invalid + "25) ", ENOTTY}, {"/dev/urandom", invalid + "25) ", ENOTTY},
  };
  TComm comms[std::size(cases)];
  int deliveries = 0;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const int before = OpenDescriptorCount();
    TComm& c = comms[i];
    c.SetDeviceName(cases[i].name);
    c.OnRxChar = [&](TCustomComm*, int) { ++deliveries; };
    ECommError e = CatchCommError([&] { c.Open(); });
    EXPECT_EQ(e.Message, cases[i].message);
    EXPECT_EQ(e.ErrorCode, cases[i].code);
    EXPECT_FALSE(c.Enabled());
    EXPECT_EQ(c.EventThread(), nullptr);
    EXPECT_EQ(OpenDescriptorCount(), before);
  }
  HandleEventsFor(100ms);  // bytes read would be delivered meanwhile
  EXPECT_EQ(deliveries, 0);
  unlink(path);
}

TEST_F(OpenComm, OpenStartsTheThreadReopensAndCloseEndsIt) {
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  ASSERT_NE(comm.EventThread(), nullptr);
  EXPECT_EQ(comm.EventThread()->OsMask(), 0x0081u);
  EXPECT_TRUE(static_cast<bool>(comm.EventThread()->OnSignal));
  EXPECT_EQ(comm.EventThread()->Priority(), TThreadPriority::tpHighest);
  // Open on an open port: the old handle must be closed first, or its lock refuses the new open.
  const int fds = OpenDescriptorCount();
  comm.Open();
  EXPECT_TRUE(comm.Enabled());
  EXPECT_NE(comm.EventThread(), nullptr);
  EXPECT_EQ(OpenDescriptorCount(), fds);
  comm.Close();
  EXPECT_FALSE(comm.Enabled());
  EXPECT_EQ(comm.EventThread(), nullptr);
  comm.Close();  // closed: nothing
  EXPECT_FALSE(comm.Enabled());
  comm.SetMonitorEvents(AllCommEvents);
  comm.Open();
  EXPECT_EQ(comm.EventThread()->OsMask(), 0x01FFu);  // all nine events
}

// The lock is released by Close and by destroying an open component.
TEST_F(OpenComm, ADeviceHeldByAnotherIsRefusedUntilClosedOrDestroyed) {
  const int fds = OpenDescriptorCount();
  {
    TComm other;
    other.SetDeviceName(pty.SlaveName());
    other.Open();
    EXPECT_GT(OpenDescriptorCount(), fds);
    ECommError e = CatchCommError([&] { comm.Open(); });
    // flock gives EWOULDBLOCK (also for root); TIOCEXCL gives EBUSY to others.
    EXPECT_TRUE(e.ErrorCode == EWOULDBLOCK || e.ErrorCode == EBUSY) << e.ErrorCode;
    EXPECT_EQ(e.Message, "Error accessing specified device (Error: " + std::to_string(e.ErrorCode) + ") ");
    EXPECT_FALSE(comm.Enabled());
    EXPECT_TRUE(other.Enabled());
    other.Close();
    comm.Open();
    EXPECT_TRUE(comm.Enabled());
    comm.Close();
    other.Open();
  }
  EXPECT_EQ(OpenDescriptorCount(), fds);
  comm.Open();
  EXPECT_TRUE(comm.Enabled());
}

TEST_F(OpenComm, SettersRefusedWhileOpen) {
  comm.SetReadBufSize(1000);
  EXPECT_EQ(comm.ReadBufSize(), 1000);  // closed: stored
  comm.Open();
  const std::string refused = "Device already assigned (open) (Error: -1) ";
  ECommError e = CatchCommError([&] { comm.SetReadBufSize(512); });
  EXPECT_EQ(e.Message, refused);
  EXPECT_EQ(e.ErrorCode, -1);
  EXPECT_EQ(comm.ReadBufSize(), 1000);
  EXPECT_EQ(CatchCommError([&] { comm.SetWriteBufSize(10); }).Message, refused);
  EXPECT_EQ(comm.WriteBufSize(), 2048);
  EXPECT_EQ(CatchCommError([&] { comm.SetDeviceName("/dev/null"); }).Message, refused);
  EXPECT_EQ(comm.DeviceName(), pty.SlaveName());
  // Even the value it already has.
  EXPECT_EQ(CatchCommError([&] { comm.SetMonitorEvents(comm.MonitorEvents()); }).Message, refused);
  EXPECT_EQ(CatchCommError([&] { comm.SetMonitorEvents(AllCommEvents); }).Message, refused);
  EXPECT_EQ(comm.MonitorEvents(), (TCommEventType{TCommEventState::evError, TCommEventState::evRxChar}));
  comm.Close();
  comm.SetReadBufSize(512);
  comm.SetMonitorEvents(AllCommEvents);
  EXPECT_EQ(comm.ReadBufSize(), 512);
  EXPECT_EQ(comm.MonitorEvents(), AllCommEvents);
}

TEST_F(OpenComm, ReadBufSizeGivesTheXonXoffLimitsAndCharsTimeOutTheTimeouts) {
  comm.Open();
  EXPECT_EQ(comm.Record.Dcb.XonLim, 1024);
  EXPECT_EQ(comm.Record.Dcb.XoffLim, 1024);
  // Every other field stays 0.
  EXPECT_EQ(comm.Record.Timeouts, (TCommTimeouts{.ReadIntervalTimeout = 250, .WriteTotalTimeoutConstant = 1500}));
  comm.SetCharsTimeOut(0);  // applied at once while open
  EXPECT_EQ(comm.Record.Timeouts, (TCommTimeouts{.ReadIntervalTimeout = ~0u, .WriteTotalTimeoutConstant = 1500}));
  comm.Close();
  comm.SetCharsTimeOut(250);
  EXPECT_EQ(comm.Record.Timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);  // closed: only stored
  comm.SetReadBufSize(512);
  comm.Open();
  EXPECT_EQ(comm.Record.Timeouts.ReadIntervalTimeout, 250u);
  EXPECT_EQ(comm.Record.Dcb.XonLim, 128);
  EXPECT_EQ(comm.Record.Dcb.XoffLim, 128);
}

TEST_F(OpenComm, OpenLeavesARawLineAndEveryRateAndStopBitsReachIt) {
  comm.Open();
  termios t = LineOf(pty);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(RateOf(pty), 9600u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  const TDCB& d = comm.Record.Dcb;
  EXPECT_EQ(std::tuple(d.BaudRate, d.ByteSize, d.Parity, d.StopBits, d.XonChar, d.XoffChar),
            std::tuple(9600u, 8, NOPARITY, ONESTOPBIT, 17, 19));

  for (int i = 0; i <= static_cast<int>(TBaudRate::cbr256000); ++i) {
    auto rate = static_cast<TBaudRate>(i);
    comm.SetBaudRate(rate);
    EXPECT_EQ(comm.Record.Dcb.BaudRate, BaudRateValue(rate));
    EXPECT_EQ(RateOf(pty), BaudRateValue(rate)) << BaudRateValue(rate);
  }
  comm.SetBaudRate(TBaudRate::cbr19200);
  t = LineOf(pty);
  EXPECT_EQ(cfgetospeed(&t), B19200);

  comm.SetStopbits(TStopbits::sb20);
  EXPECT_NE(LineOf(pty).c_cflag & CSTOPB, 0u);
  EXPECT_EQ(comm.Record.Dcb.StopBits, TWOSTOPBITS);
  // 1.5 stop bits exist only with 5 data bits, as on Win32.
  EXPECT_EQ(CatchCommError([&] { comm.SetStopbits(TStopbits::sb15); }).ErrorCode, EINVAL);
  EXPECT_NE(LineOf(pty).c_cflag & CSTOPB, 0u);
  comm.SetStopbits(TStopbits::sb10);
  EXPECT_EQ(LineOf(pty).c_cflag & CSTOPB, 0u);
}

TEST_F(OpenComm, BaudRateSetterWritesOnlyChanges) {
  comm.SetBaudRate(TBaudRate::cbr57600);  // closed: stored only
  comm.Open();
  EXPECT_EQ(RateOf(pty), 57600u);
  // Changed behind the component's back: the same value must not touch it.
  termios t = LineOf(pty);
  cfsetspeed(&t, B1200);
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &t), 0);
  comm.SetBaudRate(TBaudRate::cbr57600);
  EXPECT_EQ(RateOf(pty), 1200u);
  comm.SetBaudRate(TBaudRate::cbr2400);
  EXPECT_EQ(RateOf(pty), 2400u);
  comm.Close();
  const uint32_t closed = RateOf(pty);  // the terminal's own, given back at close
  comm.SetBaudRate(TBaudRate::cbr4800);
  EXPECT_EQ(RateOf(pty), closed);
}

// A pty forces 8 data bits and no parity: a setting it drops must fail, not pass unnoticed. The property
// keeps its new value; the port stays open with its line as it was.
TEST_F(OpenComm, SettingsTheDeviceCannotTakeAreRefused) {
  comm.Open();
  const termios before = LineOf(pty);
  struct TRefused { std::string what; std::function<void(TComm&)> set; std::function<bool(const TComm&)> kept; };
  // The setter to a value, and whether the property holds it.
  auto refused = [](std::string what, auto set, auto get, auto value) {
    return TRefused{std::move(what), [=](TComm& c) { (c.*set)(value); },
                    [=](const TComm& c) { return (c.*get)() == value; }};
  };
  const TRefused cases[] = {
      refused("odd parity", &TComm::SetParity, &TComm::Parity, TParity::paOdd),
      refused("even parity", &TComm::SetParity, &TComm::Parity, TParity::paEven),
      refused("mark parity", &TComm::SetParity, &TComm::Parity, TParity::paMark),
      refused("space parity", &TComm::SetParity, &TComm::Parity, TParity::paSpace),
      refused("7 data bits", &TComm::SetDatabits, &TComm::Databits, TDatabits::da7),
      refused("4 data bits", &TComm::SetDatabits, &TComm::Databits, TDatabits::da4),
      refused("DTR flow", &TComm::SetFlowControl, &TComm::FlowControl, TFlowControl::fcDTR),
      refused("null strip", &TComm::SetOptions, &TComm::Options, TCommOptions{TCommOption::coNullStrip}),
      refused("DSR sensitivity", &TComm::SetOptions, &TComm::Options, TCommOptions{TCommOption::coDsrSensitivity}),
  };
  for (const auto& k : cases) {
    ECommError e = CatchCommError([&] { k.set(comm); });
    EXPECT_EQ(e.Message, "Error updating DataControlBlock (Error: 22) ") << k.what;
    EXPECT_EQ(e.ErrorCode, EINVAL) << k.what;
    EXPECT_TRUE(k.kept(comm)) << k.what;
    EXPECT_TRUE(comm.Enabled()) << k.what;
    EXPECT_EQ(LineOf(pty).c_cflag, before.c_cflag) << k.what;
    EXPECT_EQ(LineOf(pty).c_iflag, before.c_iflag) << k.what;
    comm.SetParity(TParity::paNone);
    comm.SetDatabits(TDatabits::da8);
    comm.SetFlowControl(TFlowControl::fcDefault);
    comm.SetOptions({});
  }
}

// A setting refused at open leaves the port open. Queue sizes are set after the block, before the time-outs.
TEST_F(OpenComm, OpenWithARefusedSettingStaysOpen) {
  comm.SetDatabits(TDatabits::da4);
  EXPECT_EQ(CatchCommError([&] { comm.Open(); }).Message, "Error updating DataControlBlock (Error: 22) ");
  EXPECT_TRUE(comm.Enabled());
  EXPECT_NE(comm.EventThread(), nullptr);
  comm.Close();
  EXPECT_FALSE(comm.Enabled());

  comm.SetDatabits(TDatabits::da8);
  comm.SetWriteBufSize(0);
  comm.Record.Timeouts = {};
  ECommError e = CatchCommError([&] { comm.Open(); });
  EXPECT_EQ(e.Message, "Error initializing Read/Write Buffers (Error: 22) ");
  EXPECT_EQ(e.ErrorCode, EINVAL);
  EXPECT_TRUE(comm.Enabled());
  EXPECT_NE(comm.EventThread(), nullptr);
  EXPECT_EQ(comm.Record.Dcb.XonLim, 1024);
  EXPECT_EQ(comm.Record.Dcb.ByteSize, 8);
  EXPECT_EQ(comm.Record.Timeouts, TCommTimeouts{});  // never reached
  comm.Close();
  EXPECT_FALSE(comm.Enabled());
}

// Each flow control in turn on an open port, as a user's settings change it; fcDefault keeps the device's.
TEST_F(OpenComm, FlowControlAndOptionsReachTheBlockAndTheLine) {
  comm.Open();
  using enum TFlowControl;
  const struct { TFlowControl flow; bool software, cts; } steps[] = {
      {fcSoftware, true, false}, {fcDefault, true, false}, {fcNone, false, false},
      {fcCTS, false, true},      {fcNone, false, false}};
  for (const auto& k : steps) {
    comm.SetFlowControl(k.flow);
    const uint32_t f = comm.Record.Dcb.Flags;
    const termios t = LineOf(pty);
    const std::string step = "flow " + std::to_string(static_cast<int>(k.flow));
    EXPECT_EQ((f & dcb::fOutX) != 0, k.software) << step;
    EXPECT_EQ((f & dcb::fInX) != 0, k.software) << step;
    EXPECT_EQ((f & dcb::fOutxCtsFlow) != 0, k.cts) << step;
    EXPECT_FALSE(f & dcb::fOutxDsrFlow) << step;
    EXPECT_EQ(dcb::DtrControl(f), 1u) << step;
    EXPECT_EQ(dcb::RtsControl(f), 3u) << step;
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), k.software ? static_cast<tcflag_t>(IXON | IXOFF) : 0u) << step;
    EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, k.cts) << step;
  }

  comm.SetFlowControl(fcSoftware);
  EXPECT_EQ(LineOf(pty).c_cc[VSTART], 17);
  EXPECT_EQ(LineOf(pty).c_cc[VSTOP], 19);
  comm.EventChars().SetXonChar(0x05);
  comm.EventChars().SetXoffChar(0x06);
  EXPECT_EQ(LineOf(pty).c_cc[VSTART], 0x05);
  EXPECT_EQ(LineOf(pty).c_cc[VSTOP], 0x06);
  EXPECT_EQ(comm.Record.Dcb.XonChar, 0x05);

  comm.SetOptions({TCommOption::coParityCheck, TCommOption::coIgnoreXOff, TCommOption::coErrorChar});
  uint32_t f = comm.Record.Dcb.Flags;
  const uint32_t asked = dcb::fParity | dcb::fTXContinueOnXoff | dcb::fErrorChar;
  EXPECT_EQ(f & asked, asked);
  EXPECT_NE(LineOf(pty).c_iflag & INPCK, 0u);
  comm.SetOptions({});
  f = comm.Record.Dcb.Flags;
  EXPECT_EQ(f & (dcb::fParity | dcb::fDsrSensitivity | dcb::fTXContinueOnXoff | dcb::fErrorChar | dcb::fNull), 0u);
  EXPECT_TRUE(f & dcb::fBinary);
  EXPECT_EQ(LineOf(pty).c_iflag & INPCK, 0u);
}

// fcDefault keeps the device's own flow control (software and hardware), as stty left it, from the first open
// on; and its DTR and RTS fields.
TEST_F(OpenComm, DefaultFlowControlKeepsTheDevicesFlow) {
  termios t = LineOf(pty);
  t.c_iflag |= IXON | IXOFF;
  t.c_cflag |= CRTSCTS;
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &t), 0);
  comm.Open();
  t = LineOf(pty);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  const uint32_t flow = dcb::fOutX | dcb::fInX | dcb::fOutxCtsFlow;
  EXPECT_EQ(comm.Record.Dcb.Flags & flow, flow);
  comm.Close();

  // Without flow control on the device, none is added.
  t.c_iflag &= ~(IXON | IXOFF);
  t.c_cflag &= ~CRTSCTS;
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &t), 0);
  comm.Open();
  t = LineOf(pty);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  uint32_t flags = comm.Record.Dcb.Flags;
  EXPECT_FALSE(flags & (dcb::fOutX | dcb::fInX | dcb::fOutxCtsFlow | dcb::fOutxDsrFlow));
  EXPECT_EQ(dcb::DtrControl(flags), dcb::DTR_CONTROL_ENABLE);
  EXPECT_EQ(dcb::RtsControl(flags), dcb::RTS_CONTROL_ENABLE);

  // Turned on behind the component's back while open: fcDefault leaves it so.
  t.c_iflag |= IXON;
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &t), 0);
  comm.SetStopbits(TStopbits::sb20);
  EXPECT_TRUE(comm.Record.Dcb.Flags & dcb::fOutX);
  EXPECT_NE(LineOf(pty).c_iflag & IXON, 0u);
}

TEST_F(OpenComm, NoModemLinesOnAPseudoTerminalTransfersAndPurge) {
  comm.Open();
  for (int line = 0; line <= 5; ++line) EXPECT_FALSE(comm.ModemSignal(line)) << line;
  // Raising the lines is a no-op there, so the modem simply reads as off.
  EXPECT_NO_THROW(comm.SetRTS(true));
  EXPECT_NO_THROW(comm.SetDTR(true));
  EXPECT_FALSE(comm.ModemSignal(2));
  EXPECT_TRUE(comm.Enabled());

  EXPECT_EQ(comm.Write("AT+MCS?\r\n", 9), 9);
  EXPECT_EQ(pty.ReadMaster(9), "AT+MCS?\r\n");
  Arrive("OK\r\n");
  char buf[16] = {};
  EXPECT_EQ(comm.Read(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "OK\r\n");
  EXPECT_EQ(comm.Read(buf, sizeof buf), 0);  // nothing queued: at once, no error

  const std::string big(20000, 'x');
  std::string got;
  std::thread reader([&] { got = pty.ReadMaster(big.size()); });
  EXPECT_EQ(comm.Write(big.data(), static_cast<int>(big.size())), static_cast<int>(big.size()));
  reader.join();
  EXPECT_EQ(got.size(), big.size());

  Arrive("stale reply");
  comm.PurgeIn();
  EXPECT_EQ(QueuedOn(pty.Slave()), 0);
  EXPECT_EQ(comm.Read(buf, sizeof buf), 0);
}

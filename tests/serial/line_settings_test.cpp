// The control block <-> termios translation without a device (a pty keeps neither parity nor short words).

#include <termios.h>

#include <gtest/gtest.h>

#include "serial/posix/line_settings.h"

namespace {
TDCB Block(uint8_t size, uint8_t parity, uint8_t stop) {
  TDCB d;
  d.ByteSize = size, d.Parity = parity, d.StopBits = stop;
  return d;
}
constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
}  // namespace

TEST(LineSettings, ParityDataAndStopBits) {
  const struct { TDCB dcb; tcflag_t cflag; } cases[] = {
      {Block(8, NOPARITY, ONESTOPBIT), CS8}, {Block(7, ODDPARITY, ONESTOPBIT), CS7 | PARENB | PARODD},
      {Block(7, EVENPARITY, TWOSTOPBITS), CS7 | PARENB | CSTOPB},
      {Block(8, MARKPARITY, ONESTOPBIT), CS8 | PARENB | CMSPAR | PARODD},
      {Block(6, SPACEPARITY, ONESTOPBIT), CS6 | PARENB | CMSPAR}, {Block(5, NOPARITY, ONE5STOPBITS), CS5 | CSTOPB},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(LineSettingsValid(c.dcb));
    termios t{};
    t.c_cflag = PARENB | CS5 | CLOCAL | CREAD;  // stale bits must go, unrelated ones stay
    EncodeLineSettings(c.dcb, t);
    EXPECT_EQ(t.c_cflag & kFraming, c.cflag) << int(c.dcb.ByteSize) << int(c.dcb.Parity) << int(c.dcb.StopBits);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    TDCB back;
    DecodeLineSettings(t, 4800, back);
    EXPECT_EQ(std::tuple(back.ByteSize, back.Parity, back.StopBits, back.BaudRate),
              std::tuple(c.dcb.ByteSize, c.dcb.Parity, c.dcb.StopBits, 4800u));
  }
}

TEST(LineSettings, FlowControlAndCharacters) {
  TDCB d;
  d.Flags |= dcb::fOutX | dcb::fInX | dcb::fParity;
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  termios t{};
  EncodeLineSettings(d, t);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), static_cast<tcflag_t>(IXON | IXOFF | INPCK));
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);

  d.Flags = dcb::fBinary | dcb::fOutxCtsFlow;
  EncodeLineSettings(d, t);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), 0u);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  // RTS handshake is the input half of the same termios bit.
  d.Flags = dcb::fBinary | (dcb::RTS_CONTROL_HANDSHAKE << dcb::fRtsControlShift);
  EncodeLineSettings(d, t);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  d.Flags = dcb::fBinary | (dcb::RTS_CONTROL_TOGGLE << dcb::fRtsControlShift);
  EncodeLineSettings(d, t);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
}

TEST(LineSettings, DecodeKeepsWhatTermiosCannotHold) {
  TDCB d;
  d.Flags = dcb::fBinary | dcb::fTXContinueOnXoff | dcb::fErrorChar | (dcb::RTS_CONTROL_TOGGLE << dcb::fRtsControlShift) |
            (dcb::DTR_CONTROL_DISABLE << dcb::fDtrControlShift);
  d.XonLim = 128;
  d.XoffLim = 99;
  termios t{};
  EncodeLineSettings(d, t);
  TDCB back = d;
  DecodeLineSettings(t, 9600, back);
  TDCB expected = d;
  expected.BaudRate = 9600;
  EXPECT_EQ(back, expected);
  // A CRTSCTS set by someone else shows as CTS output flow.
  t.c_cflag |= CRTSCTS;
  DecodeLineSettings(t, 9600, back);
  EXPECT_TRUE(back.Flags & dcb::fOutxCtsFlow);
}

TEST(LineSettings, WhatTermiosCannotExpress) {
  auto refused = [](auto change) { TDCB d; change(d); return !LineSettingsValid(d); };
  EXPECT_FALSE(refused([](TDCB&) {}));
  EXPECT_TRUE(refused([](TDCB& d) { d.ByteSize = 4; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.ByteSize = 9; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Parity = 5; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.StopBits = ONE5STOPBITS; }));  // with 8 data bits
  EXPECT_TRUE(refused([](TDCB& d) { d.ByteSize = 5, d.StopBits = TWOSTOPBITS; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.BaudRate = 0; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::fOutxDsrFlow; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::fDsrSensitivity; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::fNull; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::DTR_CONTROL_HANDSHAKE << dcb::fDtrControlShift; }));
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::fErrorChar, d.ErrorChar = '?'; }));
  EXPECT_FALSE(refused([](TDCB& d) { d.Flags |= dcb::fErrorChar; }));  // NUL is what Linux gives
  EXPECT_TRUE(refused([](TDCB& d) { d.Flags |= dcb::fOutX, d.XoffChar = d.XonChar; }));
  EXPECT_FALSE(refused([](TDCB& d) { d.BaudRate = 256000; }));
}

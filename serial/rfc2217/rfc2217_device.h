#pragma once

#include "serial/os_serial.h"

// True for names of the form rfc2217://HOST:PORT (scheme in any case).
bool IsRfc2217Name(const std::string& name);

// Connects to a network serial port (telnet Com Port Control Option).
// nullptr on failure with the OS code in osError.
//
// Opening is bounded in time: the name lookup and the TCP connection get
// kRfc2217ConnectTimeoutMs together (ECONNREFUSED, ETIMEDOUT,
// kNameLookupFailed for a name not looked up in that time, ...), the telnet
// negotiation kRfc2217NegotiationTimeoutMs (ETIMEDOUT when the server does not
// answer, EPROTONOSUPPORT when it refuses the Com Port Control Option,
// ECONNRESET when it hangs up). Then the port waits up to
// kRfc2217ModemStateWaitMs for the server's first modem-state notification,
// so that the modem lines read right after opening are the server's and not
// a guess; a server that sends none leaves all lines off.
//
// Line settings are checked against the server's answers (it answers each
// with the value in force), waiting up to kRfc2217AnswerWaitMs: an answer
// that differs fails the setting with EINVAL and the previous settings are
// sent again. A server that does not answer in time is taken on trust.
std::unique_ptr<TSerialDevice> OpenRfc2217Device(const std::string& url, int& osError);

constexpr int kRfc2217ConnectTimeoutMs = 3000;
constexpr int kRfc2217NegotiationTimeoutMs = 3000;
constexpr int kRfc2217ModemStateWaitMs = 500;
constexpr int kRfc2217AnswerWaitMs = 1000;

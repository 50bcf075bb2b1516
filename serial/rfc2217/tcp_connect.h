#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Opens a TCP connection without ever blocking past the deadline: names are
// resolved, each address is tried in turn with a non-blocking connect.
// Returns a non-blocking, close-on-exec socket, or -1 with an errno value in
// osError (ECONNREFUSED, ETIMEDOUT, ENOENT for a name that does not exist, ...).
int ConnectTcp(const std::string& host, uint16_t port, std::chrono::steady_clock::time_point deadline,
               int& osError);

// errno value for a getaddrinfo() failure.
int AddrInfoErrorToErrno(int eaiCode, int savedErrno);

// Milliseconds left until the deadline, for poll(): never negative.
int MillisecondsLeft(std::chrono::steady_clock::time_point deadline);

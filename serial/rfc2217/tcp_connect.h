#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>

// A host name that cannot be looked up (unknown, or no answer in time) has
// a code of its own; "Machine is not on the network" reads right for it.
constexpr int kNameLookupFailed = ENONET;

// How long a connected peer may stay silent (no answer to keep-alive probes
// or to sent data) before the connection fails with an error.
constexpr int kSilentPeerLimitMs = 8000;

// Opens a TCP connection without ever blocking past the deadline, the name
// lookup included: each address is tried in turn with a non-blocking connect.
// Returns a non-blocking, close-on-exec socket, or -1 with an errno value in
// osError (ECONNREFUSED, ETIMEDOUT, kNameLookupFailed, ...).
int ConnectTcp(const std::string& host, uint16_t port, std::chrono::steady_clock::time_point deadline,
               int& osError);

// The name lookup ConnectTcp uses, getaddrinfo() by default. Replaceable so
// that a resolver which never answers can be tried; a replacement returns
// lists that freeaddrinfo() releases. Returns the previous one.
using TNameLookup = int (*)(const char* host, const char* service, const struct addrinfo* hints,
                            struct addrinfo** result);
TNameLookup SetNameLookup(TNameLookup lookup);

// errno value for a getaddrinfo() failure.
int AddrInfoErrorToErrno(int eaiCode, int savedErrno);

// Milliseconds left until the deadline, for poll(): never negative.
int MillisecondsLeft(std::chrono::steady_clock::time_point deadline);

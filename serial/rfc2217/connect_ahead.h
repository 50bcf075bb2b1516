#pragma once

// A network port's TCP connection made on a thread of its own. Opening a
// port blocks its caller until the connection is made or the connect
// deadline has passed; a window that keeps trying a port whose host is down
// would stand still that long at every try. Connected ahead, the caller
// opens only a port that answers: the next OpenRfc2217Device of the same
// address takes the connection instead of making one, so the server sees a
// single client.

#include <functional>
#include <string>

// Starts connecting to the port named by `url` (rfc2217://HOST:PORT) within
// the connect deadline, replacing a connection made ahead earlier for that
// address. `done` runs on the connecting thread with 0 once connected, or
// with an errno value (EINVAL for a name that is no network port's).
void ConnectAhead(const std::string& url, std::function<void(int osError)> done);

// Closes a connection made ahead for the port named by `url` and not taken.
void DropConnectionMadeAhead(const std::string& url);

// The connection made ahead for host:port, -1 if there is none. A connection
// is kept for kConnectionMadeAheadLifeMs; an older one is closed, since the
// server may have given up on a client that says nothing.
int TakeConnectionMadeAhead(const std::string& host, uint16_t port);

constexpr int kConnectionMadeAheadLifeMs = 5000;

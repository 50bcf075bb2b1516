#pragma once

// Waiting in tests: on a condition, with a deadline, as QTRY_VERIFY does.
// A test waits for what it expects to happen, never for a fixed time; the
// one exception is a check that nothing more happens (HandleEventsFor).

#include <chrono>
#include <functional>

namespace orvix::test {

using namespace std::chrono_literals;

// Whether the window thread handles its events while it waits. Left: to see
// a hand-over still pending, or work that must get on without the event loop.
enum class TEvents { Handled, Left };

// Waits until done() holds, checking it at least every few milliseconds;
// false when the timeout passes first.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
               TEvents events = TEvents::Handled);
inline bool WaitUntil(const std::function<bool()>& done, TEvents events) { return WaitUntil(done, 10s, events); }

// Handles events for a span of time: only to show that nothing more happens.
void HandleEventsFor(std::chrono::milliseconds span);

}  // namespace orvix::test

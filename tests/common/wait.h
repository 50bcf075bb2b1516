#pragma once

// Waiting on a condition with a deadline; for a fixed time only to show that nothing more happens.

#include <chrono>
#include <functional>

namespace orvix::test {

using namespace std::chrono_literals;

// Left: to see a hand-over still pending, or work that must get on without the window thread's event loop.
enum class TEvents { Handled, Left };

// Waits until done() holds, checking it at least every few milliseconds; false when the timeout passes first.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
               TEvents events = TEvents::Handled);
inline bool WaitUntil(const std::function<bool()>& done, TEvents events) { return WaitUntil(done, 10s, events); }

// Handles events for a span of time: only to show that nothing more happens.
void HandleEventsFor(std::chrono::milliseconds span);

}  // namespace orvix::test

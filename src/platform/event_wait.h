#pragma once
// The one way the program waits for the network: it sleeps in the event loop
// (user input, timers and socket notifications keep being handled) until
// Done() holds. It never spins: between events the thread is idle. The
// caller makes sure something will wake it, normally the one-second tick of
// a time-out counter.

#include <functional>

namespace tw {

void waitUntil(const std::function<bool()> &done);

// Handles whatever events are pending without sleeping.
void processPendingEvents();

} // namespace tw

#pragma once
// Work that would hold the interface thread too long (decoding a large
// message) runs on a thread of its own while the interface thread waits in
// the event loop: windows repaint and a Cancel button can still be pressed.
// The work itself must not touch widgets; to be cancelled it polls a flag
// that the Cancel command sets.

#include <functional>

namespace tw {

// Runs Work on a new thread and returns when it has finished, handling
// events meanwhile (the thread sleeps between them). An exception that
// leaves Work is raised again here.
void runInBackground(const std::function<void()> &work);

} // namespace tw

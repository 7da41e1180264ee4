#pragma once

namespace tw {

// Registers the pictures, sounds and shipped data files compiled into the
// program (a static library does not register them by itself). Safe to call
// more than once.
void loadResources();

} // namespace tw

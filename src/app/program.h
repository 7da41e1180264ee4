#pragma once

namespace tw {

// Starts Tidewell and runs its event loop; returns the exit status.
int runProgram(int argc, char **argv);

} // namespace tw

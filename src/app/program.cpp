#include "app/program.h"

#include <cstdio>

namespace tw {

int runProgram(int, char **)
{
    // The main window is not part of the program yet; the libraries beneath it
    // (classification, settings, statistics, internet clients) are.
    std::fprintf(stderr, "Tidewell: the program window is not available in this build yet.\n");
    return 1;
}

} // namespace tw

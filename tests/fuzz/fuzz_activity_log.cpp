// A file as the activity log, read as the statistics window reads it.
#include "fuzz_support.h"
#include "stats/log_reader.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string error;
    readInLogFile(fuzz::inputAsFile(data, size, "logfile.txt"), error, [](long long, long long) {});
    return 0;
}

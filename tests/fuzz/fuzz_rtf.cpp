// The release notes' reader: any document gives text, never more of it
// than a few bytes for each byte read.
#include "fuzz_support.h"
#include "platform/rtf_text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text = tw::rtfToText(tw::fuzz::inputAsText(data, size));
    if (text.size() > 3 * size)
        std::abort();
    return 0;
}

#include "classify/spam_test_settings.h"

#include "platform/bytes.h"

namespace tw {

void bumpCounter(std::string &counter)
{
    long long value = 0;
    if (!parseInt(trimmed(counter), value))
        value = 0;
    counter = std::to_string(value + 1);
}

} // namespace tw

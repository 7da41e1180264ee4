#include "classify/spam_test_settings.h"

#include "platform/bytes.h"

#include <algorithm>
#include <charconv>

namespace tw {

void bumpCounter(std::string &counter)
{
    long long value = 0;
    if (!parseInt(trimmed(counter), value))
        value = 0;
    counter = std::to_string(value + 1);
}

double learnedCutoff(const SpamTestSettings &settings)
{
    const std::string text = trimmed(settings.edLearnedCutoff);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value == value))
        return kLearnedCutoffDefault;
    return std::clamp(value, kLearnedCutoffMin, 1.0);
}

std::string scoreText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    return std::string(buffer, result.ptr);
}

} // namespace tw

#include "classify/non_english.h"

#include <algorithm>

namespace tw {

bool isNonEnglishByte(unsigned char byte) { return byte < 32 || byte >= 128; }

int countNonEnglish(std::string_view text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(),
                                          [](char c) { return isNonEnglishByte(static_cast<unsigned char>(c)); }));
}

static int thresholdFor(int range)
{
    switch (range) {
    case 1:
        return 33;
    case 2:
        return 50;
    default:
        return 66;
    }
}

bool isNonEnglishText(std::string_view text, int range)
{
    const long long count = countNonEnglish(text);
    if (count == 0)
        return false;
    if (range == 0)
        return true;
    return count * 100 / static_cast<long long>(text.size()) >= thresholdFor(range);
}

std::string sensitivityText(int range)
{
    switch (range) {
    case 0:
        return "contains one or more";
    case 1:
        return "contains at least one third (%33)";
    case 2:
        return "contains at least one half (%50)";
    default:
        return "contains at least two thirds (%66)";
    }
}

} // namespace tw

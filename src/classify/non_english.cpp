#include "classify/non_english.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

// The characters of Text: header text is UTF-8 once read, where one
// character may take several bytes, and the shares below are of characters.
// Text that is no UTF-8 counts one character per byte.
struct Characters {
    long long total = 0;
    long long nonEnglish = 0;
};

Characters countCharacters(std::string_view text)
{
    const bool utf8 = isValidUtf8(text);
    Characters counted;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (utf8 && (byte & 0xC0) == 0x80)
            continue; // the rest of a character already counted
        ++counted.total;
        if (isNonEnglishByte(byte))
            ++counted.nonEnglish;
    }
    return counted;
}

} // namespace

bool isNonEnglishByte(unsigned char byte) { return byte < 32 || byte >= 128; }

int countNonEnglish(std::string_view text) { return static_cast<int>(countCharacters(text).nonEnglish); }

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
    const Characters counted = countCharacters(text);
    if (counted.nonEnglish == 0)
        return false;
    if (range == 0)
        return true;
    return counted.nonEnglish * 100 / counted.total >= thresholdFor(range);
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

#pragma once
// The non-English character test: the share of characters outside
// printable ASCII (below 32, or 128 and above) in a subject or sender name.
// Text that is valid UTF-8 (as header values are once read) counts each
// character once however many bytes it takes; other text counts bytes.

#include <string>
#include <string_view>

namespace tw {

bool isNonEnglishByte(unsigned char byte);
// How many such characters Text holds.
int countNonEnglish(std::string_view text);

// Whether Text is flagged at sensitivity Range: 0 flags one such character;
// 1, 2 and 3 need count*100 div characters to reach 33, 50 and 66 (any
// other value behaves as 3). An empty text is never flagged.
bool isNonEnglishText(std::string_view text, int range);

// The wording of the sensitivity in the explanation ("contains one or more", ...).
std::string sensitivityText(int range);

// The items of the sensitivity choice, in order of Range.
inline constexpr const char *kSensitivityItems[4] = {
    "Only one character is Non-English (most restrictive)",
    "One third (33%) or more of the characters are Non-English",
    "One half (50%) or more of the characters are Non-English",
    "Two thirds (67%) or more of the characters are Non-English",
};

} // namespace tw

#pragma once
// Small pieces for building UTF-8 text out of character numbers, shared by
// the readers that turn documents into text (RTF, HTML).

#include <string>

namespace tw {

// Appends character Code to Out as UTF-8; a value that is no character (a
// surrogate, or beyond U+10FFFF) becomes U+FFFD.
void appendUtf8(std::string &out, char32_t code);

// The character a Windows-1252 byte stands for: Latin-1, except that 0x80 to
// 0x9F hold the euro sign, typographic quotes, dashes and a few letters.
char32_t windows1252Char(unsigned char byte);

} // namespace tw

#pragma once
// Byte-string rules shared by every layer. The system's texts are single-byte
// strings; case folding, blank tests and trimming follow plain ASCII rules so
// that results never depend on the user's locale (the one exception, the
// blacklist's comparison, lives with the blacklist).

#include <QString>
#include <string>
#include <string_view>

namespace tw {

// 'a'..'z' <-> 'A'..'Z' only; every other byte is left alone.
char asciiLower(char c);
char asciiUpper(char c);
std::string lowerCase(std::string_view text);
std::string upperCase(std::string_view text);

// Equality that ignores the case of 'a'..'z' only.
bool sameText(std::string_view a, std::string_view b);
// Three-way comparison with the same folding (<0, 0, >0).
int compareText(std::string_view a, std::string_view b);

// Blank: empty, or only the bytes 32, 13, 10 and 8 (a tab is not blank).
bool isBlank(std::string_view text);

// Removes leading and trailing bytes <= ' ' (control characters and space).
std::string trimmed(std::string_view text);
std::string trimmedLeft(std::string_view text);
std::string trimmedRight(std::string_view text);
// The same trimming as a view into Text, for large texts that must not be copied.
std::string_view trimmedView(std::string_view text);

// Position of Needle in Text ignoring the case of 'a'..'z', or npos.
size_t findText(std::string_view text, std::string_view needle, size_t from = 0);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Decimal conversions that never throw: parseInt gives false for anything that
// is not an optionally signed decimal number fitting in 64 bits.
bool parseInt(std::string_view text, long long &value);
// The value of Text as a 32-bit decimal number, or Fallback when it is none.
int toIntDef(std::string_view text, int fallback);

// Two upper-case hexadecimal digits for the low byte of Value.
void appendHexByte(std::string &out, unsigned value);
// The value of one hexadecimal digit (either case), or -1.
int hexDigitValue(char c);

// The edge between byte strings and the widgets: bytes that are valid UTF-8
// show as UTF-8, anything else as Latin-1. Typed text goes back as UTF-8.
QString toDisplay(std::string_view bytes);
std::string fromDisplay(const QString &text);
bool isValidUtf8(std::string_view bytes);
// The length of Bytes without a UTF-8 character cut short at their end (text
// cut to its first bytes), when all before that character is valid UTF-8;
// otherwise the whole length.
size_t lengthBeforeCutUtf8Character(std::string_view bytes);

} // namespace tw

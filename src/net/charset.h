#pragma once
// Conversion of text from the character set a message declares to UTF-8,
// through Qt's converters (which know GB2312, GBK, Big5, ISO-2022-JP,
// KOI8-R, Shift_JIS, EUC-KR, the ISO-8859 and windows-125x families and
// more wherever Qt is built with ICU).

#include <string>
#include <string_view>

namespace tw {

// Whether Charset (a MIME name such as "iso-8859-1"; an RFC 2231 language
// suffix "*en" is ignored) names a character set that can be converted.
bool isKnownCharset(std::string_view charset);

// Bytes converted from Charset to UTF-8; unchanged when Charset is empty
// or unknown.
std::string charsetToUtf8(std::string_view bytes, std::string_view charset);

// Text to be shown to the user: converted from Charset when it is known,
// otherwise taken as UTF-8 when valid and as Latin-1 when not.
std::string displayTextAsUtf8(std::string_view bytes, std::string_view charset);

// Whether header text holds raw 8-bit bytes (any byte of 128 or more).
bool needsHeaderConversion(std::string_view bytes);

// Bytes read as windows-1252 (Latin-1 with printable characters in
// 0x80..0x9F), as UTF-8.
std::string windows1252ToUtf8(std::string_view bytes);

// Header text that travelled as raw bytes (no encoded word), as UTF-8: kept
// when it is valid UTF-8, else converted from DeclaredCharset (the charset
// that the message's Content-Type names) when that is known and holds every
// byte, else read as windows-1252.
std::string rawHeaderTextToUtf8(std::string_view bytes, std::string_view declaredCharset);

} // namespace tw

#include "platform/bytes.h"

#include <charconv>
#include <climits>

namespace tw {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = asciiLower(c);
    return out;
}

std::string upperCase(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = asciiUpper(c);
    return out;
}

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    return true;
}

int compareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(asciiUpper(a[i]));
        const auto cb = static_cast<unsigned char>(asciiUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool isBlank(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '\r' && c != '\n' && c != '\b')
            return false;
    return true;
}

static bool isTrimByte(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string trimmedLeft(std::string_view text)
{
    size_t b = 0;
    while (b < text.size() && isTrimByte(text[b]))
        ++b;
    return std::string(text.substr(b));
}

std::string trimmedRight(std::string_view text)
{
    size_t e = text.size();
    while (e > 0 && isTrimByte(text[e - 1]))
        --e;
    return std::string(text.substr(0, e));
}

std::string trimmed(std::string_view text) { return std::string(trimmedView(text)); }

std::string_view trimmedView(std::string_view text)
{
    while (!text.empty() && isTrimByte(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimByte(text.back()))
        text.remove_suffix(1);
    return text;
}

size_t findText(std::string_view text, std::string_view needle, size_t from)
{
    if (needle.empty())
        return from <= text.size() ? from : std::string_view::npos;
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < needle.size() && asciiUpper(text[i + j]) == asciiUpper(needle[j]))
            ++j;
        if (j == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool parseInt(std::string_view text, long long &value)
{
    if (text.empty())
        return false;
    std::string_view digits = text;
    if (digits.front() == '+')
        digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '+')
        return false;
    const char *end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    return ec == std::errc() && ptr == end;
}

int toIntDef(std::string_view text, int fallback)
{
    long long v = 0;
    if (!parseInt(trimmed(text), v) || v < INT_MIN || v > INT_MAX)
        return fallback;
    return static_cast<int>(v);
}

void appendHexByte(std::string &out, unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[(value >> 4) & 15];
    out += digits[value & 15];
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        unsigned code = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

size_t lengthBeforeCutUtf8Character(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return bytes.size();
    for (size_t k = 1; k <= 3 && k <= bytes.size(); ++k) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - k]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: the lead byte is further back
        const size_t promised = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (promised > k && isValidUtf8(bytes.substr(0, bytes.size() - k)))
            return bytes.size() - k;
        break;
    }
    return bytes.size();
}

QString toDisplay(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string fromDisplay(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

} // namespace tw

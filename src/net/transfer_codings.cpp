#include "net/transfer_codings.h"

#include "net/errors.h"
#include "platform/bytes.h"

namespace tw {

namespace {

[[noreturn]] void invalidCharacter() { throw EMessageParserError("Invalid Character"); }

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    invalidCharacter();
}

// The value of a uuencoded character: its code minus 32, six bits of it, so
// that both the space and the grave accent stand for 0.
unsigned uuValue(char c)
{
    const auto code = static_cast<unsigned char>(c);
    if (code < ' ' || code > '`')
        invalidCharacter();
    return (code - ' ') & 0x3F;
}

} // namespace

void Base64Decoder::add(std::string_view encoded, std::string &out)
{
    for (char c : encoded) {
        if (c == '=') {
            // Padding: the bits left over belong to no byte.
            m_bits = 0;
            m_bitCount = 0;
            continue;
        }
        m_bits = ((m_bits << 6) | static_cast<unsigned>(base64Value(c))) & 0xFFFFFF;
        m_bitCount += 6;
        if (m_bitCount >= 8) {
            m_bitCount -= 8;
            out += static_cast<char>((m_bits >> m_bitCount) & 0xFF);
        }
    }
}

std::string decodeBase64(std::string_view encoded)
{
    std::string out;
    Base64Decoder().add(encoded, out);
    return out;
}

bool isBase64Text(std::string_view text)
{
    for (char c : text)
        if (c != '=' && !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                          c == '/'))
            return false;
    return true;
}

void Base64TextDecoder::addLine(std::string_view line, std::string &out)
{
    if (!m_asText) {
        const std::string_view text = trimmedView(line);
        if (text.empty() || text == ".")
            return;
        if (isBase64Text(text)) {
            m_base64.add(text, out);
            return;
        }
        m_asText = true;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += "\r\n";
    }
    out.append(line);
    out += "\r\n";
}

std::string decodeQuotedWord(std::string_view encoded, bool underscoreIsSpace)
{
    std::string out;
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '=' && i + 2 < encoded.size()) {
            const int hi = hexDigitValue(encoded[i + 1]);
            const int lo = hexDigitValue(encoded[i + 2]);
            if (hi >= 0 && lo >= 0) {
                c = static_cast<char>(hi * 16 + lo);
                i += 2;
            }
        } else if (c == '_' && underscoreIsSpace) {
            c = ' ';
        }
        if (c == '\r' || c == '\n')
            break;
        out += c;
    }
    return out;
}

void QuotedPrintableDecoder::addLine(std::string_view line, std::string &out)
{
    // Trailing blanks were added in transport; they carry nothing.
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    const size_t start = out.size();
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '=' && i + 1 < line.size()) {
            const int hi = hexDigitValue(line[i + 1]);
            const int lo = i + 2 < line.size() ? hexDigitValue(line[i + 2]) : -1;
            // Only "=" and two hexadecimal digits is an escape; anything else
            // stays as written ("...?codcategoria=8" at the end of a line is
            // a web address, not the byte 8).
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += c;
    }
    if (out.size() > start && out.back() == '=' && line.back() == '=') {
        out.pop_back(); // a soft break: the paragraph goes on
        return;
    }
    if (out.size() > start && out.back() == '\x1A')
        return;
    out += "\r\n";
}

std::string decodeUuLine(std::string_view line)
{
    if (line.empty())
        return std::string();
    const size_t length = uuValue(line[0]);
    std::string out;
    for (size_t i = 1; i < line.size(); i += 4) {
        unsigned group = 0;
        for (size_t k = 0; k < 4; ++k)
            group = (group << 6) | (i + k < line.size() ? uuValue(line[i + k]) : 0u);
        out += static_cast<char>((group >> 16) & 0xFF);
        out += static_cast<char>((group >> 8) & 0xFF);
        out += static_cast<char>(group & 0xFF);
    }
    if (out.size() > length)
        out.resize(length);
    return out;
}

bool isUuBeginLine(std::string_view line)
{
    if (line.size() <= 8 || upperCase(line.substr(0, 5)) != "BEGIN")
        return false;
    const std::string mode = trimmed(line.substr(5));
    if (mode.size() < 3)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (mode[i] < '0' || mode[i] > '9')
            return false;
    return true;
}

std::string uuFileName(std::string_view beginLine)
{
    if (beginLine.size() <= 10)
        return std::string();
    const std::string_view rest = beginLine.substr(10);
    if (rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        return close == std::string_view::npos ? std::string() : std::string(rest.substr(1, close - 1));
    }
    return std::string(rest.substr(0, rest.find(' ')));
}

} // namespace tw

#include "net/imap_response.h"

#include "net/imap_limits.h"
#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What ends an atom: a blank, a parenthesis, a quote, a control character.
bool endsAtom(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return c == ' ' || c == '(' || c == ')' || c == '"' || u < 0x20 || u == 0x7F;
}

bool isStatusWord(std::string_view word)
{
    return word == "OK" || word == "NO" || word == "BAD" || word == "PREAUTH" || word == "BYE";
}

// Walks the lines and literals of one response as one stream of values.
class Parser {
public:
    explicit Parser(const TImapRawResponse &raw) : m_raw(raw)
    {
        if (m_raw.lines.empty() || m_raw.literals.size() + 1 != m_raw.lines.size())
            throw EImapReplyError("The server's reply could not be read: its literals do not match its lines.");
        for (size_t i = 0; i + 1 < m_raw.lines.size(); ++i)
            if (!literalMarker(m_raw.lines[i]))
                throw EImapReplyError("The server's reply could not be read: a line announces no literal.");
    }

    TImapResponse parse()
    {
        TImapResponse response;
        const std::string &first = m_raw.lines.front();
        if (first.empty())
            fail("it is an empty line");
        if (first[0] == '+') {
            response.kind = TImapResponse::Kind::Continuation;
            response.text = first.substr(first.size() > 1 && first[1] == ' ' ? 2 : 1);
            response.line = first;
            return response;
        }
        const size_t space = first.find(' ');
        if (first[0] == '*') {
            if (space != 1)
                fail("\"*\" is not followed by a blank");
            response.kind = TImapResponse::Kind::Untagged;
        } else {
            if (space == std::string::npos || space == 0)
                fail("it has no tag");
            response.kind = TImapResponse::Kind::Tagged;
            response.tag = first.substr(0, space);
        }
        m_pos = space + 1;
        skipBlanks();
        response.line = first.substr(m_pos);
        const std::string word = upperCase(atom());
        if (isStatusWord(word)) {
            response.status = word;
            statusRest(response);
            return response;
        }
        if (response.kind == TImapResponse::Kind::Tagged)
            fail("a tagged reply is not OK, NO or BAD");
        if (!word.empty() && std::all_of(word.begin(), word.end(), isDigit)) {
            response.number = imapNumber(word);
            if (!response.number)
                fail("its number is out of range");
            skipBlanks();
            response.name = upperCase(atom());
        } else {
            response.name = word;
        }
        if (response.name.empty())
            fail("it names no reply");
        for (skipBlanks(); !atEnd(); skipBlanks())
            response.data.push_back(value(0));
        return response;
    }

private:
    [[noreturn]] static void fail(const std::string &why)
    {
        throw EImapReplyError("The server's reply could not be read: " + why + ".");
    }

    const std::string &line() const { return m_raw.lines[m_line]; }
    bool lastLine() const { return m_line + 1 == m_raw.lines.size(); }
    // Where the current line's own text ends: at its literal marker, if any.
    size_t lineEnd() const { return lastLine() ? line().size() : literalMarker(line())->start; }
    bool atLiteral() const { return !lastLine() && m_pos >= lineEnd(); }
    bool atEnd() const { return lastLine() && m_pos >= line().size(); }

    void skipBlanks()
    {
        while (m_pos < lineEnd() && line()[m_pos] == ' ')
            ++m_pos;
    }

    // An atom; brackets inside it ("BODY[HEADER.FIELDS (FROM)]", "[Gmail]/Spam")
    // hold blanks and parentheses.
    std::string atom()
    {
        const size_t start = m_pos;
        int brackets = 0;
        const size_t end = lineEnd();
        while (m_pos < end) {
            const char c = line()[m_pos];
            if (c == '[')
                ++brackets;
            else if (c == ']' && brackets > 0)
                --brackets;
            else if (brackets == 0 && endsAtom(c))
                break;
            else if (brackets > 0 && static_cast<unsigned char>(c) < 0x20)
                break;
            ++m_pos;
        }
        return line().substr(start, m_pos - start);
    }

    // The rest of a status response: an optional [code arguments], then text.
    void statusRest(TImapResponse &response)
    {
        skipBlanks();
        const size_t end = lineEnd();
        if (m_pos < end && line()[m_pos] == '[') {
            const size_t close = line().find(']', m_pos);
            const size_t codeEnd = close == std::string::npos || close > end ? end : close;
            const std::string inside = line().substr(m_pos + 1, codeEnd - m_pos - 1);
            const size_t blank = inside.find(' ');
            response.code = upperCase(inside.substr(0, blank));
            if (blank != std::string::npos)
                response.codeArguments = inside.substr(blank + 1);
            m_pos = codeEnd < end ? codeEnd + 1 : end;
            skipBlanks();
        }
        response.text = line().substr(m_pos, end - m_pos);
    }

    TImapValue value(int depth)
    {
        if (++m_items > imap::kMaxItemsPerReply)
            fail("it holds more values than Tidewell reads");
        TImapValue result;
        if (atLiteral()) {
            const TImapRawResponse::Literal &literal = m_raw.literals[m_line];
            result.kind = TImapValue::Kind::String;
            result.text = literal.bytes;
            result.droppedBytes = literal.droppedBytes;
            ++m_line;
            m_pos = 0;
            return result;
        }
        if (atEnd())
            fail("a value is missing");
        const char c = line()[m_pos];
        if (c == '(') {
            if (depth >= imap::kMaxNesting)
                fail("its lists are nested too deeply");
            ++m_pos;
            result.kind = TImapValue::Kind::List;
            for (;;) {
                skipBlanks();
                if (atEnd())
                    fail("a list does not end");
                if (!atLiteral() && line()[m_pos] == ')') {
                    ++m_pos;
                    return result;
                }
                result.items.push_back(value(depth + 1));
            }
        }
        if (c == '"') {
            result.kind = TImapValue::Kind::String;
            result.text = quotedString();
            return result;
        }
        result.text = atom();
        if (result.text.empty())
            fail("it holds an unexpected character");
        result.kind = result.isAtom("NIL") ? TImapValue::Kind::Nil : TImapValue::Kind::Atom;
        return result;
    }

    std::string quotedString()
    {
        std::string text;
        const size_t end = lineEnd();
        for (++m_pos; m_pos < end; ++m_pos) {
            char c = line()[m_pos];
            if (c == '"') {
                ++m_pos;
                return text;
            }
            if (c == '\\' && m_pos + 1 < end)
                c = line()[++m_pos];
            text += c;
        }
        fail("a quoted string does not end");
    }

    const TImapRawResponse &m_raw;
    size_t m_line = 0;
    size_t m_pos = 0;
    int m_items = 0;
};

} // namespace

bool TImapValue::isAtom(std::string_view name) const { return kind != Kind::String && kind != Kind::List && sameText(text, name); }

std::optional<uint32_t> TImapValue::number() const
{
    return kind == Kind::Atom ? imapNumber(text) : std::nullopt;
}

std::optional<uint32_t> imapNumber(std::string_view text)
{
    if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text)
        value = value * 10 + uint64_t(c - '0');
    if (value > UINT32_MAX)
        return std::nullopt;
    return uint32_t(value);
}

std::string TImapResponse::safeText(std::string text)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    if (text.size() > MaxQuoted) {
        text.resize(lengthBeforeCutUtf8Character(std::string_view(text).substr(0, MaxQuoted)));
        text += "...";
    }
    return text;
}

std::optional<TImapLiteralMarker> literalMarker(std::string_view line)
{
    if (line.empty() || line.back() != '}')
        return std::nullopt;
    size_t digitsEnd = line.size() - 1;
    if (digitsEnd > 0 && line[digitsEnd - 1] == '+')
        --digitsEnd;
    size_t open = digitsEnd;
    while (open > 0 && isDigit(line[open - 1]))
        --open;
    if (open == digitsEnd || open == 0 || line[open - 1] != '{')
        return std::nullopt;
    TImapLiteralMarker marker;
    marker.start = open - 1;
    if (marker.start > 0 && line[marker.start - 1] == '~')
        --marker.start;
    for (size_t i = open; i < digitsEnd; ++i) {
        const uint64_t digit = uint64_t(line[i] - '0');
        if (marker.size > (UINT64_MAX - digit) / 10) {
            marker.size = UINT64_MAX;
            break;
        }
        marker.size = marker.size * 10 + digit;
    }
    return marker;
}

TImapResponse parseImapResponse(const TImapRawResponse &Raw) { return Parser(Raw).parse(); }

std::string imapQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace tw

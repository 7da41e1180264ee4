#include "classify/header_tokens.h"

#include "net/errors.h"
#include "platform/bytes.h"

#include <algorithm>
#include <array>

// Scoring runs once per listed message, so the tokens are built in one
// reused buffer and header values are looked at in place wherever they are
// not folded: no allocation per token.

namespace tw {

namespace {

// Words longer than this are reduced to their shape.
constexpr size_t kMaxWord = 40;
// Of a header without a reading of its own, only the first words count.
constexpr int kMaxGenericWords = 12;
// Of a long recipient list, only the first addresses count.
constexpr int kMaxRecipients = 8;

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isLetter(unsigned char c) { return unsigned((c | 0x20) - 'a') < 26; }
bool isUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
char lower(unsigned char c) { return isUpper(c) ? char(c | 0x20) : char(c); }
bool isBlankByte(unsigned char c) { return c <= ' '; }

// A byte that belongs to a word of free text: letters, digits, 8-bit bytes
// (the decoded text is UTF-8) and the few marks that are part of words.
bool isWordByte(unsigned char c)
{
    return isLetter(c) || isDigit(c) || c >= 0x80 || c == '$' || c == '\'' || c == '-' || c == '%';
}

// A byte of a host name, an address or a machine-made word.
constexpr std::array<bool, 256> kNameBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
    for (unsigned char c : std::string_view(".-_@$%+/=!#&~"))
        table[c] = true;
    return table;
}();
bool isNameByte(unsigned char c) { return kNameBytes[c]; }
// A byte of a dotted IPv4 address; of a word of a Received header.
bool isAddressByte(unsigned char c) { return isDigit(c) || c == '.'; }
bool isReceivedWordByte(unsigned char c) { return isLetter(c) || c == '-'; }

// The next run of bytes at or after At (which moves past it) that begins
// with a byte StartsRun accepts and goes on while InRun accepts them; empty
// when the text holds no more.
template <class StartsRun, class InRun>
std::string_view nextRun(std::string_view text, size_t &at, StartsRun startsRun, InRun inRun)
{
    while (at < text.size() && !startsRun(text[at]))
        ++at;
    const size_t start = at;
    while (at < text.size() && inRun(text[at]))
        ++at;
    return text.substr(start, at - start);
}
template <class InRun> std::string_view nextRun(std::string_view text, size_t &at, InRun inRun)
{
    return nextRun(text, at, inRun, inRun);
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlankByte(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankByte(text.back()))
        text.remove_suffix(1);
    return text;
}

bool startsWithLower(std::string_view text, std::string_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i)
        if (lower(text[i]) != lowerPrefix[i])
            return false;
    return true;
}

bool containsLower(std::string_view text, std::string_view lowerNeedle)
{
    for (size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i)
        if (startsWithLower(text.substr(i), lowerNeedle))
            return true;
    return false;
}

std::string_view afterLast(std::string_view text, char c)
{
    const size_t at = text.rfind(c);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

// Appends Word as a token holds it: lower case; or, when it mostly
// identifies one message, its shape: letters as "a", digit runs as "#",
// other bytes kept, repeats of a class collapsed ("g72LqWv13294" gives
// "a#a#"). A word identifies when it is longer than a word can be, or has a
// run of letters and digits (between dots, dashes and the like) holding five
// digits, or three digits among letters ("z064000057"); names such as
// "iso-8859-1" or "windows-1252" do not.
void appendWord(std::string &out, std::string_view word)
{
    const size_t start = out.size();
    bool identifying = word.size() > kMaxWord;
    if (!identifying) {
        out.resize(start + word.size());
        char *to = out.data() + start;
        int digits = 0, letters = 0;
        for (unsigned char c : word) {
            if (isDigit(c)) {
                ++digits;
            } else if (isLetter(c)) {
                ++letters;
            } else {
                identifying = identifying || digits >= 5 || (digits >= 3 && letters >= 1);
                digits = letters = 0;
            }
            *to++ = c <= ' ' || c == 127 ? '_' : lower(c);
        }
        identifying = identifying || digits >= 5 || (digits >= 3 && letters >= 1);
        if (!identifying)
            return;
        out.resize(start);
    }
    char last = 0;
    for (unsigned char c : word) {
        const char cls = isDigit(c) ? '#' : isLetter(c) ? 'a' : c >= 0x80 ? 'u' : c <= ' ' || c == 127 ? '_' : char(c);
        if (cls != last || (cls != '#' && cls != 'a' && cls != 'u'))
            out += cls;
        last = cls;
        if (out.size() - start >= kMaxWord)
            break;
    }
}

// The part of a host name that an owner registers: the last two labels, or
// three when the last two look like a country's second level ("co.uk").
std::string_view baseDomain(std::string_view host)
{
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    const size_t last = host.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return host;
    const size_t second = host.rfind('.', last - 1);
    if (second == std::string_view::npos)
        return host;
    const bool countrySecondLevel = host.size() - last - 1 == 2 && last - second - 1 <= 3;
    if (!countrySecondLevel)
        return host.substr(second + 1);
    const size_t third = second == 0 ? std::string_view::npos : host.rfind('.', second - 1);
    return third == std::string_view::npos ? host : host.substr(third + 1);
}

// An IPv4 address written as four decimal numbers of at most 255.
bool parseIp(std::string_view text, std::array<int, 4> &ip)
{
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return false;
            ++at;
        }
        int value = 0, digits = 0;
        while (at < text.size() && isDigit(text[at]) && digits < 4) {
            value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        ip[size_t(part)] = value;
    }
    return at == text.size();
}

// Loopback, private, link-local and unspecified addresses: hops inside the
// receiving network, which say nothing about where a message came from.
bool isInternal(const std::array<int, 4> &ip)
{
    return ip[0] == 10 || ip[0] == 127 || ip[0] == 0 || (ip[0] == 172 && ip[1] >= 16 && ip[1] <= 31) ||
           (ip[0] == 192 && ip[1] == 168) || (ip[0] == 169 && ip[1] == 254);
}

// A time stamp (Delivery-Date, X-OriginalArrivalTime) tells nothing that
// stays true of the next message.
bool isTimeStamp(std::string_view lowerName)
{
    return endsWith(lowerName, "date") || lowerName.find("time") != std::string_view::npos;
}

// One header: its name as written, in lower case, and its value with
// folded lines joined (pointing into the header line itself when it is not
// folded, else into the tokenizer's buffer).
struct Field {
    std::string_view name;
    std::string_view lower; // into the tokenizer's buffer
    std::string_view value;
};

class Tokenizer {
public:
    explicit Tokenizer(const TokenSink &sink) : m_sink(sink) { m_token.reserve(128); }

    void run(const TmsHeaders &headers);

private:
    // Prefix ":" Word (normalized), handed to the sink.
    void put(std::string_view prefix, std::string_view word)
    {
        m_token.assign(prefix);
        m_token += ':';
        appendWord(m_token, word);
        m_sink(m_token);
    }
    // Prefix ":" Text exactly as given (it holds no blank).
    void putAsIs(std::string_view prefix, std::string_view text)
    {
        m_token.assign(prefix);
        m_token += ':';
        m_token += text;
        m_sink(m_token);
    }

    std::vector<Field> fieldsOf(const TmsHeaders &headers, int &malformed);
    void freeText(std::string_view prefix, std::string_view text);
    void machineWords(std::string_view prefix, std::string_view text, int maxWords);
    void subject(const TmsHeaders &headers, const Field &field);
    // Returns the address's domain (lower case not guaranteed).
    std::string address(std::string_view prefix, std::string_view value, bool withName);
    void recipients(std::string_view prefix, std::string_view value);
    void received(std::string_view value);
    void messageId(std::string_view value);
    void date(std::string_view value);
    void contentType(std::string_view value);
    void mailer(std::string_view value);
    void host(std::string_view prefix, std::string_view name);

    // Prefix followed by Suffix, in a buffer of its own (valid until the next call).
    std::string_view joined(std::string_view prefix, std::string_view suffix)
    {
        m_prefix.assign(prefix);
        m_prefix += suffix;
        return m_prefix;
    }

    const TokenSink &m_sink;
    std::string m_token;
    std::string m_prefix;     // for joined()
    std::string m_basePrefix; // for host()
    std::string m_lower;      // a Received value in lower case
    std::string m_folded;     // the joined values of folded headers and the names in lower case
    bool m_externalIpFound = false;
    int m_receivedCount = 0;
};

// The header lines grouped into fields. A line that is neither a header nor
// a continuation (an mbox "From " line, a stray word) counts as malformed.
std::vector<Field> Tokenizer::fieldsOf(const TmsHeaders &headers, int &malformed)
{
    // Room for every folded value at once, so that views into it stay valid.
    size_t bytes = 0;
    for (const std::string_view line : headers.Lines())
        bytes += 2 * line.size() + 1;
    m_folded.clear();
    m_folded.reserve(bytes);

    std::vector<Field> fields;
    fields.reserve(size_t(headers.Count()));
    const TmsHeaders::LineRange lines = headers.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t'))
            continue; // a continuation of a header already read, or of a malformed line
        const size_t colon = line.find(':');
        std::string_view name = colon == std::string::npos ? std::string_view() : line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.remove_suffix(1);
        const bool valid = !name.empty() && std::none_of(name.begin(), name.end(), [](unsigned char c) {
            return c <= ' ' || c >= 127;
        });
        if (!valid) {
            ++malformed;
            continue;
        }
        Field field;
        field.name = name;
        const size_t lowerAt = m_folded.size();
        for (char c : name)
            m_folded += lower(c);
        field.lower = std::string_view(m_folded).substr(lowerAt);
        field.value = trim(line.substr(colon + 1));
        if (i + 1 < lines.size() && !lines[i + 1].empty() && (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t')) {
            const size_t start = m_folded.size();
            m_folded += field.value;
            for (size_t k = i + 1; k < lines.size() && !lines[k].empty() && (lines[k][0] == ' ' || lines[k][0] == '\t');
                 ++k) {
                const std::string_view more = trim(lines[k]);
                if (more.empty())
                    continue;
                if (m_folded.size() > start)
                    m_folded += ' ';
                m_folded += more;
            }
            field.value = std::string_view(m_folded).substr(start);
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

// Words of text written by people: subjects and display names.
void Tokenizer::freeText(std::string_view prefix, std::string_view text)
{
    size_t at = 0;
    while (at < text.size()) {
        std::string_view word = nextRun(text, at, isWordByte);
        while (!word.empty() && (word.front() == '\'' || word.front() == '-'))
            word.remove_prefix(1);
        while (!word.empty() && (word.back() == '\'' || word.back() == '-'))
            word.remove_suffix(1);
        if (word.size() >= 2 || (word.size() == 1 && (isDigit(word[0]) || word[0] == '$')))
            put(prefix, word);
    }
}

// Words of machine-written values: host names, ids, versions.
void Tokenizer::machineWords(std::string_view prefix, std::string_view text, int maxWords)
{
    size_t at = 0;
    int count = 0;
    while (at < text.size() && count < maxWords) {
        std::string_view word = nextRun(text, at, isNameByte);
        while (!word.empty() && (word.back() == '.' || word.back() == '-'))
            word.remove_suffix(1);
        if (!word.empty()) {
            put(prefix, word);
            ++count;
        }
    }
}

// A host name and the part of it its owner registered.
void Tokenizer::host(std::string_view prefix, std::string_view name)
{
    std::array<int, 4> ip{};
    if (parseIp(name, ip)) {
        putAsIs(prefix, "ip");
        return;
    }
    put(prefix, name);
    const std::string_view base = baseDomain(name);
    if (base.size() != name.size()) {
        m_basePrefix.assign(prefix);
        m_basePrefix += "-base";
        put(m_basePrefix, base);
    }
}

void Tokenizer::subject(const TmsHeaders &headers, const Field &field)
{
    std::string text;
    try {
        text = headers.GetFieldBody("Subject");
    } catch (const ETidewellError &) {
        text = std::string(field.value);
    }
    if (text.empty()) {
        putAsIs("subject", "(empty)");
        return;
    }
    // The character set of an encoded subject says much about where it was written.
    const size_t encoded = field.value.find("=?");
    if (encoded != std::string_view::npos) {
        const size_t mark = field.value.find('?', encoded + 2);
        if (mark != std::string_view::npos)
            put("subject-charset", field.value.substr(encoded + 2, mark - encoded - 2));
    }
    freeText("subject", text);

    int letters = 0, upper = 0, bangs = 0, eightBit = 0, widestGap = 0, gap = 0;
    for (unsigned char c : text) {
        letters += isLetter(c);
        upper += isUpper(c);
        bangs += c == '!';
        eightBit += c >= 0x80;
        gap = c == ' ' ? gap + 1 : 0;
        widestGap = std::max(widestGap, gap);
    }
    if (letters >= 6 && upper * 10 >= letters * 8)
        putAsIs("subject-shape", "upper");
    if (bangs > 0)
        putAsIs("subject-shape", bangs > 1 ? "!!" : "!");
    if (eightBit > 0)
        putAsIs("subject-shape", "8bit");
    if (widestGap >= 4)
        putAsIs("subject-shape", "gap");
    if (text.front() == '[')
        putAsIs("subject-shape", "tag");
    for (std::string_view reply : {"re:", "fw:", "fwd:"})
        if (startsWithLower(text, reply))
            putAsIs("subject-shape", reply);
    static constexpr std::array<size_t, 5> kLengths{10, 20, 40, 60, 100};
    const size_t bucket = size_t(std::find_if(kLengths.begin(), kLengths.end(),
                                              [&](size_t limit) { return text.size() <= limit; }) -
                                 kLengths.begin());
    putAsIs("subject-length", std::string_view("012345").substr(bucket, 1));
    // Random numbers or letters appended to defeat exact filters.
    const std::string_view last = afterLast(trim(text), ' ');
    if (last.size() >= 4 && widestGap >= 2 &&
        std::all_of(last.begin(), last.end(), [](unsigned char c) { return isDigit(c) || isLetter(c) || c == '-'; }))
        putAsIs("subject-shape", "tail-id");
}

// An address header: the address, its user name, its domain and the
// domain's registered part and, where the header has one worth reading,
// the display name's words.
std::string Tokenizer::address(std::string_view prefix, std::string_view value, bool withName)
{
    std::string decoded;
    if (value.find("=?") != std::string_view::npos) {
        try {
            decoded = DecodeHeaderValue(value);
            value = decoded;
        } catch (const ETidewellError &) {
        }
    }
    const SplitAddressResult parts = SplitAddress(value);
    const std::string_view addr = trim(parts.address);
    const size_t at = addr.rfind('@');
    std::string domain;
    if (addr.empty()) {
        putAsIs(prefix, "(none)");
    } else if (at == std::string_view::npos) {
        putAsIs(prefix, "(no-at)");
    } else {
        put(joined(prefix, "-addr"), addr);
        put(joined(prefix, "-user"), addr.substr(0, at));
        domain = std::string(addr.substr(at + 1));
        host(joined(prefix, "-domain"), domain);
    }
    if (withName) {
        if (parts.name.empty())
            putAsIs(joined(prefix, "-name"), "(none)");
        else
            freeText(joined(prefix, "-name"), parts.name);
        if (!decoded.empty())
            putAsIs(joined(prefix, "-name"), "(encoded)");
    }
    return domain;
}

void Tokenizer::recipients(std::string_view prefix, std::string_view value)
{
    if (containsLower(value, "undisclosed"))
        putAsIs(prefix, "(undisclosed)");
    int count = 0;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] == '"')
            quoted = !quoted;
        if (i < value.size() && (value[i] != ',' || quoted))
            continue;
        const std::string_view piece = trim(value.substr(start, i - start));
        start = i + 1;
        if (piece.empty())
            continue;
        if (++count <= kMaxRecipients)
            address(prefix, piece, false);
    }
    static constexpr std::array<int, 5> kCounts{0, 1, 2, 5, 12};
    static constexpr std::array<std::string_view, 6> kCountNames{"0", "1", "2", "5", "12", "many"};
    const auto bucket = std::find_if(kCounts.begin(), kCounts.end(), [&](int limit) { return count <= limit; });
    putAsIs(joined(prefix, "-count"), kCountNames[size_t(bucket - kCounts.begin())]);
}

// A Received header: the names the sending host gave and was found under,
// the receiving host, the protocol, the words in between, and the first
// address outside the receiving network (the one that handed the message in).
void Tokenizer::received(std::string_view value)
{
    ++m_receivedCount;
    const size_t semicolon = value.rfind(';');
    const std::string_view hops = semicolon == std::string_view::npos ? value : value.substr(0, semicolon);
    m_lower.resize(hops.size());
    std::transform(hops.begin(), hops.end(), m_lower.begin(), [](char c) { return lower(c); });
    const std::string_view text = m_lower;

    auto wordAfter = [&](std::string_view keyword) -> std::string_view {
        for (size_t at = 0; (at = text.find(keyword, at)) != std::string_view::npos; at += keyword.size()) {
            if (at == 0 || text[at - 1] == ' ' || text[at - 1] == ')') {
                size_t begin = at + keyword.size();
                while (begin < text.size() && text[begin] == ' ')
                    ++begin;
                size_t end = begin;
                while (end < text.size() && isNameByte(text[end]))
                    ++end;
                return text.substr(begin, end - begin);
            }
        }
        return {};
    };
    const std::string_view from = wordAfter("from ");
    if (!from.empty())
        host("rcvd-from", from);
    const std::string_view by = wordAfter("by ");
    if (!by.empty())
        host("rcvd-by", by);
    const std::string_view with = wordAfter("with ");
    if (!with.empty())
        put("rcvd-with", with);

    // Addresses in the "from" part, before "by".
    const size_t byAt = text.find(" by ");
    const std::string_view fromPart = text.substr(0, byAt);
    size_t at = 0;
    while (at < fromPart.size()) {
        const std::string_view number = nextRun(fromPart, at, isDigit, isAddressByte);
        const size_t start = at - number.size();
        std::array<int, 4> ip{};
        const bool standsAlone = start == 0 || !isNameByte(fromPart[start - 1]) || fromPart[start - 1] == '@';
        if (!standsAlone || !parseIp(number, ip) || isInternal(ip))
            continue;
        const std::string a = std::to_string(ip[0]), b = std::to_string(ip[1]), c = std::to_string(ip[2]);
        if (!m_externalIpFound) {
            m_externalIpFound = true;
            putAsIs("xip", a + "." + b + "." + c + "." + std::to_string(ip[3]));
            putAsIs("xip24", a + "." + b + "." + c);
            putAsIs("xip16", a + "." + b);
        } else {
            putAsIs("rcvd-ip24", a + "." + b + "." + c);
        }
    }
    // The remaining words: software names, "may be forged", "unverified".
    size_t pos = 0;
    while (pos < text.size()) {
        const std::string_view word = nextRun(text, pos, isLetter, isReceivedWordByte);
        const size_t begin = pos - word.size();
        const bool partOfName =
            (begin > 0 && isNameByte(text[begin - 1])) || (pos < text.size() && isNameByte(text[pos]));
        const bool readAbove = word == from || word == by || word == with;
        const bool keyword = word == "from" || word == "with" || word == "for";
        if (!partOfName && !readAbove && !keyword && word.size() >= 3)
            put("rcvd", word);
    }
}

void Tokenizer::messageId(std::string_view value)
{
    const size_t open = value.find('<');
    const size_t close = value.rfind('>');
    const bool bracketed = open != std::string_view::npos && close != std::string_view::npos && close > open;
    if (!bracketed)
        putAsIs("mid", "(no-brackets)");
    const std::string_view id = bracketed ? value.substr(open + 1, close - open - 1) : value;
    const size_t at = id.rfind('@');
    if (at == std::string_view::npos) {
        putAsIs("mid", "(no-at)");
        return;
    }
    host("mid-domain", id.substr(at + 1));
    // The shape of the local part tells the mail programs apart.
    std::string shape;
    char last = 0;
    for (unsigned char c : id.substr(0, at)) {
        const char cls = isDigit(c) ? '#' : isUpper(c) ? 'A' : isLetter(c) ? 'a' : c <= ' ' || c >= 127 ? '_' : char(c);
        if (cls != last)
            shape += cls;
        last = cls;
        if (shape.size() >= 16)
            break;
    }
    putAsIs("mid-shape", shape);
}

void Tokenizer::date(std::string_view value)
{
    const ParsedDate parsed = ParseDate(value);
    if (parsed.value == 0) {
        putAsIs("date", "(unreadable)");
        return;
    }
    put("date-zone", parsed.rest.empty() ? std::string_view("(none)") : std::string_view(parsed.rest));
    if (!value.empty() && isDigit(value.front()))
        putAsIs("date", "(no-weekday)");
    const size_t colon = value.find(':');
    if (colon != std::string_view::npos && value.find(':', colon + 1) == std::string_view::npos)
        putAsIs("date", "(no-seconds)");
}

void Tokenizer::contentType(std::string_view value)
{
    put("content-type", GetMainValue(value));
    const std::string charset = GetParameter("charset", value);
    if (!charset.empty())
        put("charset", charset);
    const std::string boundary = GetParameter("boundary", value);
    // The boundary's fixed beginning names the program that made it.
    if (!boundary.empty())
        put("boundary", std::string_view(boundary).substr(0, 16));
}

void Tokenizer::mailer(std::string_view value)
{
    // The program's name with its version numbers reduced to "#".
    m_token.assign("mailer:");
    bool inNumber = false;
    for (unsigned char c : value.substr(0, kMaxWord)) {
        if (isDigit(c)) {
            if (!inNumber)
                m_token += '#';
            inNumber = true;
            continue;
        }
        inNumber = false;
        m_token += c <= ' ' || c == 127 ? '_' : lower(c);
    }
    m_sink(m_token);
    machineWords("mailer-word", value, kMaxGenericWords);
}

void Tokenizer::run(const TmsHeaders &headers)
{
    int malformed = 0;
    const std::vector<Field> fields = fieldsOf(headers, malformed);
    if (malformed > 0)
        putAsIs("header", "(malformed)");
    bool seenSubject = false, seenDate = false, seenMessageId = false, seenTo = false;
    std::string fromDomain, replyDomain;
    for (const Field &field : fields) {
        // The name as written: mail programs differ in their capitals.
        putAsIs("header", field.name);
        const std::string_view name = field.lower;
        const std::string_view value = field.value;
        if (name == "subject") {
            if (!seenSubject)
                subject(headers, field);
            seenSubject = true;
        } else if (name == "from") {
            fromDomain = lowerCase(address("from", value, true));
        } else if (name == "reply-to") {
            replyDomain = lowerCase(address("reply-to", value, false));
        } else if (name == "return-path" || name == "sender" || name == "errors-to") {
            address(name, value, false);
        } else if (name == "to" || name == "cc") {
            seenTo = seenTo || name == "to";
            recipients(name, value);
        } else if (name == "received") {
            received(value);
        } else if (name == "message-id") {
            seenMessageId = true;
            messageId(value);
        } else if (name == "date") {
            seenDate = true;
            date(value);
        } else if (name == "content-type") {
            contentType(value);
        } else if (name == "x-mailer" || name == "user-agent" || name == "x-newsreader" || name == "x-mimeole") {
            mailer(value);
        } else if (name == "delivered-to" || name == "x-original-to" || name == "envelope-to") {
            // The user's own address: the same on every message.
        } else if (!isTimeStamp(name)) {
            machineWords(name, value, kMaxGenericWords);
        }
    }
    if (!seenSubject)
        putAsIs("subject", "(missing)");
    if (!seenDate)
        putAsIs("date", "(missing)");
    if (!seenMessageId)
        putAsIs("mid", "(missing)");
    if (!seenTo)
        putAsIs("to", "(missing)");
    if (!replyDomain.empty())
        putAsIs("reply-to", replyDomain == fromDomain ? "(from-domain)" : "(other-domain)");
    putAsIs("received-count", std::string_view("0123456789").substr(size_t(std::min(m_receivedCount, 9)), 1));
    if (!m_externalIpFound)
        putAsIs("xip", "(none)");
}

} // namespace

void tokenizeHeaders(const TmsHeaders &headers, const TokenSink &sink)
{
    Tokenizer(sink).run(headers);
}

std::vector<std::string> headerTokens(const TmsHeaders &headers)
{
    std::vector<std::string> tokens;
    tokenizeHeaders(headers, [&](std::string_view token) { tokens.emplace_back(token); });
    std::sort(tokens.begin(), tokens.end());
    tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
    return tokens;
}

} // namespace tw

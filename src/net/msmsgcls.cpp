#include "net/msmsgcls.h"

#include "net/charset.h"
#include "net/errors.h"
#include "net/transfer_codings.h"
#include "platform/bytes.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <stdexcept>

namespace tw {

namespace {

constexpr size_t kMaxValue = 255;

std::string cut(std::string_view text, size_t length = kMaxValue)
{
    return std::string(text.substr(0, std::min(length, text.size())));
}

bool isContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

std::string withColon(std::string name)
{
    if (name.empty() || name.back() != ':')
        name += ':';
    return name;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Line begins with Name, ASCII letter case ignored.
bool beginsWithName(std::string_view line, std::string_view name)
{
    return line.size() >= name.size() && sameText(line.substr(0, name.size()), name);
}

// Cuts Text to the longest prefix of at most kMaxValue bytes; UTF-8 text
// is never cut inside a character.
std::string cutValue(std::string text)
{
    if (text.size() <= kMaxValue)
        return text;
    size_t length = kMaxValue;
    if (isValidUtf8(text))
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    text.resize(length);
    return text;
}

// One encoded word, "=?" charset "?" kind "?" text "?=", found in a header value.
struct EncodedWord {
    size_t begin = 0; // the "=?"
    size_t end = 0;   // just after the "?="
    std::string_view charset, kind, text;
};

// The encoded word that opens at Start. The closing "?=" is looked for only
// after the third "?", so encoded text that begins with "=" (as in
// "?Q?=C6=FB") is not taken for the end. False when the word never closes.
bool findEncodedWord(std::string_view s, size_t start, EncodedWord &word)
{
    const size_t charsetEnd = s.find('?', start + 2);
    if (charsetEnd == std::string_view::npos)
        return false;
    const size_t kindEnd = s.find('?', charsetEnd + 1);
    if (kindEnd == std::string_view::npos)
        return false;
    const size_t close = s.find("?=", kindEnd + 1);
    if (close == std::string_view::npos)
        return false;
    word.begin = start;
    word.end = close + 2;
    word.charset = s.substr(start + 2, charsetEnd - start - 2);
    word.kind = s.substr(charsetEnd + 1, kindEnd - charsetEnd - 1);
    word.text = s.substr(kindEnd + 1, close - kindEnd - 1);
    return true;
}

// The word's text decoded and converted from its character set to UTF-8.
std::string decodeWord(const EncodedWord &word)
{
    std::string bytes;
    if (sameText(word.kind, "B"))
        bytes = decodeBase64(word.text);
    else if (sameText(word.kind, "Q"))
        bytes = decodeQuotedWord(word.text, true);
    else
        return std::string(word.text); // an unknown kind keeps its text rather than losing it
    return charsetToUtf8(bytes, word.charset);
}

bool onlyWhiteSpace(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// A comma inside double quotes must not split an address list; it is
// swapped for a byte that never occurs in a header and swapped back later.
constexpr char kProtectedComma = '\x01';

void protectQuotedCommas(std::string &text)
{
    bool quoted = false;
    for (char &c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && quoted)
            c = kProtectedComma;
    }
}

void addAddressPieces(std::string value, std::vector<std::string> &list, std::string_view rawCharset)
{
    protectQuotedCommas(value);
    size_t begin = 0;
    while (true) {
        const size_t comma = value.find(',', begin);
        const std::string piece = trimmed(std::string_view(value).substr(
            begin, comma == std::string::npos ? std::string::npos : comma - begin));
        std::string item = trimmed(DecodeHeaderValue(piece, rawCharset));
        if (!item.empty()) // "a, b," or a line ending in a comma adds no empty address
            list.push_back(std::move(item));
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
}

// Reads "H:M[:S]" into a time of day; false when it is not one.
bool readTime(const std::string &text, TDateTime &time)
{
    int parts[3] = {0, 0, 0};
    int count = 0;
    size_t begin = 0;
    while (true) {
        if (count == 3)
            return false;
        const size_t colon = text.find(':', begin);
        const std::string part = text.substr(begin, colon == std::string::npos ? std::string::npos : colon - begin);
        long long value = 0;
        if (part.empty() || !parseInt(part, value) || value < 0 || value > 59)
            return false;
        parts[count++] = static_cast<int>(value);
        if (colon == std::string::npos)
            break;
        begin = colon + 1;
    }
    if (count < 2 || parts[0] > 23)
        return false;
    time = encodeTime(parts[0], parts[1], parts[2]);
    return true;
}

// Where, in an unquoted parameter value, a blank is followed by "token=":
// the start of a parameter that should have been separated by a ";". npos
// when there is none.
size_t startOfForgottenParameter(std::string_view value)
{
    for (size_t blank = value.find_first_of(" \t"); blank != std::string_view::npos;
         blank = value.find_first_of(" \t", blank + 1)) {
        size_t end = blank + 1;
        while (end < value.size() && (std::isalnum(static_cast<unsigned char>(value[end])) || value[end] == '-' ||
                                      value[end] == '_' || value[end] == '*'))
            ++end;
        if (end > blank + 1 && end < value.size() && value[end] == '=')
            return blank;
    }
    return std::string_view::npos;
}

std::string dropTrailingComma(std::string text)
{
    if (!text.empty() && text.back() == ',')
        text.pop_back();
    return text;
}

} // namespace

// ---- TmsHeaders ------------------------------------------------------------

namespace {

// Offsets into a block are kept in 32 bits; a block never comes near that
// (a listing keeps at most pop3::kMaxHeaderBlockBytes of one), but a block
// that did must fail loudly rather than wrap.
std::uint32_t blockOffset(size_t offset)
{
    if (offset > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("header block too large");
    return static_cast<std::uint32_t>(offset);
}

} // namespace

std::string_view TmsHeaders::Strings(int i) const
{
    if (i < 0 || i >= Count())
        throw std::out_of_range("TmsHeaders::Strings: line out of range");
    return line(static_cast<size_t>(i));
}

void TmsHeaders::Add(std::string_view text)
{
    const std::uint32_t end = blockOffset(m_text.size() + text.size());
    m_text.append(text);
    m_ends.push_back(end);
}

void TmsHeaders::Clear()
{
    m_text.clear();
    m_ends.clear();
}

void TmsHeaders::eraseLines(size_t first, size_t last)
{
    if (first >= last)
        return;
    const size_t begin = beginOf(first);
    const std::uint32_t removed = m_ends[last - 1] - static_cast<std::uint32_t>(begin);
    m_text.erase(begin, removed);
    m_ends.erase(m_ends.begin() + static_cast<long>(first), m_ends.begin() + static_cast<long>(last));
    for (size_t i = first; i < m_ends.size(); ++i)
        m_ends[i] -= removed;
}

void TmsHeaders::trimStorage()
{
    // A listing keeps the header blocks of up to 100,000 messages: spare
    // room left in either part would add up to tens of megabytes.
    m_text.shrink_to_fit();
    m_ends.shrink_to_fit();
}

void TmsHeaders::Delete(int i)
{
    if (i >= 0 && i < Count())
        eraseLines(static_cast<size_t>(i), static_cast<size_t>(i) + 1);
}

void TmsHeaders::SetText(std::string_view stream)
{
    // Counted first, so that both parts are allocated once at their final size.
    size_t lines = 0;
    size_t bytes = 0;
    for (size_t at = 0; at < stream.size(); ++at) {
        const char c = stream[at];
        if (c == '\r' || c == '\n') {
            ++lines;
            if (c == '\r' && at + 1 < stream.size() && stream[at + 1] == '\n')
                ++at;
        } else {
            ++bytes;
            if (at + 1 == stream.size())
                ++lines; // a last line without its line break
        }
    }
    Clear();
    m_text.reserve(bytes);
    m_ends.reserve(lines);
    size_t begin = 0;
    while (begin < stream.size()) {
        size_t end = begin;
        while (end < stream.size() && stream[end] != '\r' && stream[end] != '\n')
            ++end;
        Add(stream.substr(begin, end - begin));
        if (end < stream.size() && stream[end] == '\r' && end + 1 < stream.size() && stream[end + 1] == '\n')
            ++end;
        begin = end + 1;
    }
    trimStorage();
}

std::string TmsHeaders::Text() const
{
    std::string out;
    out.reserve(m_text.size() + 2 * m_ends.size());
    for (const std::string_view text : Lines())
        out.append(text).append("\r\n");
    return out;
}

std::string TmsHeaders::GetFieldBody(std::string name) const
{
    if (m_ends.empty())
        return std::string();
    name = withColon(std::move(name));
    const size_t count = m_ends.size();
    size_t i = 0;
    while (i < count && !beginsWithName(line(i), name))
        ++i;
    if (i == count)
        return std::string();
    const std::string_view first = line(i);
    std::string value = trimmed(first.substr(first.find(':') + 1));
    for (++i; i < count && isContinuation(line(i)); ++i)
        value += " " + trimmed(line(i));
    const std::string bare = upperCase(std::string_view(name).substr(0, name.size() - 1));
    if (bare == "CONTENT-TYPE" || bare == "X-UIDL")
        return value;
    return DecodeHeaderValue(value, needsHeaderConversion(value) ? DeclaredCharset() : std::string());
}

std::string TmsHeaders::DeclaredCharset() const { return GetParameter("charset", GetFieldBody("Content-Type")); }

void TmsHeaders::GetAddresses(std::string_view name, std::vector<std::string> &list) const
{
    list.clear();
    std::string rawCharset;
    bool charsetRead = false;
    // The block's charset, looked up only for text that needs it.
    const auto charsetFor = [&](std::string_view text) -> const std::string & {
        if (!charsetRead && needsHeaderConversion(text)) {
            rawCharset = DeclaredCharset();
            charsetRead = true;
        }
        return rawCharset;
    };
    const size_t count = m_ends.size();
    size_t i = 0;
    while (i < count) {
        if (!beginsWithName(line(i), name)) {
            ++i;
            continue;
        }
        const std::string_view first = line(i);
        const size_t colon = first.find(':');
        if (colon == std::string_view::npos)
            break;
        addAddressPieces(std::string(first.substr(colon + 1)), list, charsetFor(first));
        for (++i; i < count && line(i).find(':') == std::string_view::npos; ++i)
            addAddressPieces(std::string(line(i)), list, charsetFor(line(i)));
    }
    for (auto &item : list)
        std::replace(item.begin(), item.end(), kProtectedComma, ',');
}

void TmsHeaders::DeleteField(std::string name)
{
    name = withColon(std::move(name));
    const size_t count = m_ends.size();
    size_t i = 0;
    while (i < count && !beginsWithName(line(i), name))
        ++i;
    if (i == count)
        return;
    size_t end = i + 1;
    while (end < count && isContinuation(line(end)))
        ++end;
    eraseLines(i, end);
}

bool TmsHeaders::HasEmptyLine() const
{
    for (size_t i = 0; i < m_ends.size(); ++i)
        if (m_ends[i] == beginOf(i))
            return true;
    return false;
}

void TmsHeaders::CutAtBody()
{
    for (size_t i = 0; i < m_ends.size(); ++i)
        if (m_ends[i] == beginOf(i)) {
            m_text.resize(beginOf(i));
            m_ends.resize(i);
            trimStorage();
            return;
        }
}

// ---- TmsRemoteInfo ---------------------------------------------------------

TmsRemoteInfoItem &TmsRemoteInfo::Add()
{
    m_items.push_back(std::make_unique<TmsRemoteInfoItem>());
    return *m_items.back();
}

int TmsRemoteInfo::Find(int Size, const TmsHeaders &Headers) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->Size == Size && m_items[i]->Headers == Headers)
            return int(i);
    return -1;
}

// ---- Addresses -------------------------------------------------------------

void TmsMailAddress::SetName(std::string_view text) { Name = cut(text); }
void TmsMailAddress::SetAddress(std::string_view text) { Address = cut(text); }

std::string StripQuotes(std::string_view text)
{
    std::string s = trimmed(text);
    size_t b = 0;
    while (b < s.size() && s[b] == '"')
        ++b;
    size_t e = s.size();
    while (e > b && s[e - 1] == '"')
        --e;
    return s.substr(b, e - b);
}

void ParseAddress(std::string_view text, TmsMailAddress &address)
{
    const size_t lt = text.find('<');
    if (lt != std::string_view::npos) {
        const size_t gt = text.find('>');
        if (gt == std::string_view::npos || gt < lt) {
            address.SetAddress("");
            address.SetName(StripQuotes(text));
            return;
        }
        address.SetAddress(StripQuotes(text.substr(lt + 1, gt - lt - 1)));
        std::string rest(text.substr(0, lt));
        rest += text.substr(gt + 1);
        address.SetName(StripQuotes(rest));
        return;
    }
    const size_t paren = text.find('(');
    if (paren != std::string_view::npos) {
        address.SetAddress(StripQuotes(text.substr(0, paren)));
        std::string_view after = text.substr(paren + 1);
        if (!after.empty())
            after.remove_suffix(1);
        address.SetName(StripQuotes(after));
        return;
    }
    address.SetAddress(text);
    address.SetName("");
}

SplitAddressResult SplitAddress(std::string_view text)
{
    TmsMailAddress scratch;
    ParseAddress(text, scratch);
    return {scratch.Address, scratch.Name};
}

// ---- Header text -----------------------------------------------------------

std::string DecodeHeaderValue(std::string_view text, std::string_view rawCharset)
{
    // A value cut inside a UTF-8 character loses that character, so that
    // the rest still reads as UTF-8.
    std::string s = cut(text);
    if (text.size() > kMaxValue)
        s.resize(lengthBeforeCutUtf8Character(s));
    std::string out;
    size_t position = 0;
    bool afterWord = false;
    size_t start;
    const auto addPlain = [&](std::string_view plain) { out += rawHeaderTextToUtf8(plain, rawCharset); };
    while ((start = s.find("=?", position)) != std::string::npos) {
        EncodedWord word;
        if (!findEncodedWord(s, start, word)) {
            // An unterminated word is dropped together with the rest.
            addPlain(std::string_view(s).substr(position, start - position));
            return cutValue(std::move(out));
        }
        // Blanks between two encoded words separate nothing; blanks between
        // a word and plain text are kept.
        const std::string_view between = std::string_view(s).substr(position, start - position);
        if (!(afterWord && onlyWhiteSpace(between)))
            addPlain(between);
        out += decodeWord(word);
        position = word.end;
        afterWord = true;
    }
    addPlain(std::string_view(s).substr(position));
    return cutValue(std::move(out));
}

// ---- Dates -----------------------------------------------------------------

ParsedDate ParseDate(std::string_view text)
{
    static const char *const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::string s = upperCase(StripQuotes(text));
    if (s.empty())
        return {};

    size_t digit = std::find_if(s.begin(), s.end(), isDigit) - s.begin();
    if (digit + 1 >= s.size())
        return {};
    std::string rest = trimmed(std::string_view(s).substr(digit));
    size_t space = rest.find(' ');
    long long day = 0;
    if (space == std::string::npos || !parseInt(rest.substr(0, space), day))
        return {};
    rest = trimmed(std::string_view(rest).substr(space + 1));

    int month = 0;
    for (int m = 0; m < 12 && month == 0; ++m)
        if (rest.find(kMonths[m]) != std::string::npos)
            month = m + 1;
    if (month == 0)
        return {};

    digit = std::find_if(rest.begin(), rest.end(), isDigit) - rest.begin();
    if (digit + 1 >= rest.size())
        return {};
    rest = trimmed(std::string_view(rest).substr(digit));
    const size_t yearEnd = rest.find_first_of(" ,");
    long long year = 0;
    if (!parseInt(dropTrailingComma(trimmed(std::string_view(rest).substr(0, yearEnd))), year))
        return {};
    // Two-digit years are widened around 1950; a three-digit year is the
    // obsolete mail form of a year since 1900 ("04 Jun 0102" is 2002),
    // leading zeros or not.
    if (year >= 51 && year <= 99)
        year += 1900;
    else if (year >= 0 && year <= 50)
        year += 2000;
    else if (year >= 100 && year <= 999)
        year += 1900;
    rest = yearEnd == std::string::npos ? std::string() : trimmed(std::string_view(rest).substr(yearEnd + 1));

    if (day < 1 || day > 31 || year < 1 || year > 9999)
        return {};
    const TDateTime date = encodeDate(static_cast<int>(year), month, static_cast<int>(day));
    if (date == 0)
        return {};

    const size_t timeEnd = rest.find(' ');
    TDateTime time = 0;
    if (!readTime(dropTrailingComma(trimmed(std::string_view(rest).substr(0, timeEnd))), time))
        time = 0;
    ParsedDate result;
    result.value = date + time;
    result.rest = timeEnd == std::string::npos ? std::string() : trimmed(std::string_view(rest).substr(timeEnd + 1));
    return result;
}

// ---- Words and parameters --------------------------------------------------

std::string GetWord(std::string_view text, int skip, bool firstOnly)
{
    std::string s(text);
    for (int i = 0; i < skip; ++i) {
        const size_t space = s.find(' ');
        if (space == std::string::npos)
            return std::string();
        s = trimmed(std::string_view(s).substr(space + 1));
    }
    if (firstOnly) {
        const size_t space = s.find(' ');
        if (space != std::string::npos)
            s.resize(space);
    }
    return trimmed(s);
}

int GetWordInt(std::string_view text, int skip)
{
    long long value = 0;
    const std::string word = GetWord(text, skip, true);
    if (word.empty() || !parseInt(word, value) || value < INT32_MIN || value > INT32_MAX)
        return -1;
    return static_cast<int>(value);
}

std::string GetParameter(std::string_view name, std::string_view text)
{
    const size_t at = findText(text, name);
    if (at == std::string_view::npos)
        return std::string();
    const size_t valueStart = at + name.size() + 1; // skips the "="
    std::string s = valueStart < text.size() ? trimmed(text.substr(valueStart)) : std::string();
    if (!s.empty() && s[0] == '"') {
        const size_t close = s.find('"', 1);
        s = s.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        // Unquoted, the value runs to the ";" ("name=Two words.doc" is one
        // name, as mail programs read it), but not into a further parameter
        // that a sender forgot to separate with a ";".
        s.resize(std::min(s.find(';'), s.size()));
        s.resize(std::min(startOfForgottenParameter(s), s.size()));
    }
    return trimmed(s);
}

std::string GetMainValue(std::string_view text)
{
    const std::string s = trimmedLeft(text);
    return trimmed(std::string_view(s).substr(0, s.find_first_of(" ;")));
}

} // namespace tw

#include "platform/html_text.h"

#include "platform/bytes.h"
#include "platform/unicode_text.h"

#include <algorithm>
#include <array>

namespace tw {

namespace {

// The named references of the Latin-1 letters and signs, U+00A0 to U+00FF in order.
constexpr std::array<const char *, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedCharacter {
    const char *name;
    char32_t code;
};
constexpr NamedCharacter kOtherNames[] = {
    {"amp", '&'},        {"lt", '<'},         {"gt", '>'},         {"quot", '"'},       {"apos", '\''},
    {"euro", 0x20AC},    {"trade", 0x2122},   {"hellip", 0x2026},  {"mdash", 0x2014},   {"ndash", 0x2013},
    {"lsquo", 0x2018},   {"rsquo", 0x2019},   {"sbquo", 0x201A},   {"ldquo", 0x201C},   {"rdquo", 0x201D},
    {"bdquo", 0x201E},   {"bull", 0x2022},    {"dagger", 0x2020},  {"Dagger", 0x2021},  {"permil", 0x2030},
    {"lsaquo", 0x2039},  {"rsaquo", 0x203A},  {"OElig", 0x0152},   {"oelig", 0x0153},   {"Scaron", 0x0160},
    {"scaron", 0x0161},  {"Yuml", 0x0178},    {"fnof", 0x0192},    {"circ", 0x02C6},    {"tilde", 0x02DC},
    {"ensp", 0x2002},    {"emsp", 0x2003},    {"thinsp", 0x2009},  {"zwnj", 0x200C},    {"zwj", 0x200D},
    {"lrm", 0x200E},     {"rlm", 0x200F},     {"larr", 0x2190},    {"uarr", 0x2191},    {"rarr", 0x2192},
    {"darr", 0x2193},    {"harr", 0x2194},    {"spades", 0x2660},  {"clubs", 0x2663},   {"hearts", 0x2665},
    {"diams", 0x2666},   {"infin", 0x221E},   {"minus", 0x2212},   {"ne", 0x2260},      {"le", 0x2264},
    {"ge", 0x2265},      {"prime", 0x2032},   {"Prime", 0x2033},   {"loz", 0x25CA},     {"radic", 0x221A},
};

// The character a named reference stands for, or 0 when the name is unknown.
char32_t namedCharacter(std::string_view name)
{
    for (size_t i = 0; i < kLatin1Names.size(); ++i)
        if (name == kLatin1Names[i])
            return char32_t(0xA0 + i);
    for (const NamedCharacter &named : kOtherNames)
        if (name == named.name)
            return named.code;
    return 0;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Decodes the character reference at In[Pos] ("&") into Out and moves Pos
// past it; an "&" that starts no reference is taken as it is.
void decodeReference(std::string_view in, size_t &pos, std::string &out)
{
    size_t at = pos + 1;
    if (at < in.size() && in[at] == '#') {
        ++at;
        const bool hex = at < in.size() && (in[at] == 'x' || in[at] == 'X');
        if (hex)
            ++at;
        const size_t digitsStart = at;
        unsigned long long code = 0;
        while (at < in.size() && (hex ? hexDigitValue(in[at]) >= 0 : isAsciiDigit(in[at]))) {
            code = std::min<unsigned long long>(code * (hex ? 16 : 10) + unsigned(hexDigitValue(in[at])), 0x110000);
            ++at;
        }
        if (at > digitsStart) {
            if (at < in.size() && in[at] == ';')
                ++at;
            // Old pages write Windows-1252 numbers for quotes and dashes.
            const char32_t character =
                code >= 0x80 && code < 0xA0 ? windows1252Char(static_cast<unsigned char>(code))
                : code == 0 || (code < 0x20 && code != '\t' && code != '\n' && code != '\r') ? 0xFFFD
                                                                                                : char32_t(code);
            appendUtf8(out, character);
            pos = at;
            return;
        }
    } else {
        while (at < in.size() && at - pos <= 8 && (isAsciiLetter(in[at]) || isAsciiDigit(in[at])))
            ++at;
        const std::string_view name = in.substr(pos + 1, at - pos - 1);
        const bool closed = at < in.size() && in[at] == ';';
        // A few names are read without their ";", as browsers read them.
        const bool loose = name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "nbsp";
        if (const char32_t code = namedCharacter(name); code != 0 && (closed || loose)) {
            appendUtf8(out, code);
            pos = closed ? at + 1 : at;
            return;
        }
    }
    out += '&';
    ++pos;
}

std::string decodeReferences(std::string_view text)
{
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        if (text[pos] == '&')
            decodeReference(text, pos, out);
        else
            out += text[pos++];
    }
    return out;
}

// One tag as read: its name in lower case, whether it closes, and the two
// attributes the reading uses.
struct Tag {
    std::string name;
    bool closing = false;
    std::string href;
    std::string alt;
};

enum class Layout { Inline, Line, Paragraph };

Layout layoutOf(const std::string &name)
{
    static const char *const kParagraphs[] = {"p",  "h1",         "h2",  "h3",    "h4",      "h5",
                                              "h6", "blockquote", "pre", "table", "address", "form"};
    static const char *const kLines[] = {"div",     "tr",     "li",    "dt",     "dd",      "ul",
                                         "ol",      "dl",     "center", "section", "article", "header",
                                         "footer",  "nav",    "aside", "figure", "caption", "fieldset",
                                         "legend",  "main",   "body",  "html",   "option"};
    for (const char *paragraph : kParagraphs)
        if (name == paragraph)
            return Layout::Paragraph;
    for (const char *line : kLines)
        if (name == line)
            return Layout::Line;
    return Layout::Inline;
}

// Elements whose content is never shown.
bool isHiddenContent(const std::string &name)
{
    return name == "script" || name == "style" || name == "title" || name == "template";
}

class HtmlReader {
public:
    explicit HtmlReader(std::string_view in) : m_in(in) {}

    std::string read()
    {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '<')
                markup();
            else if (c == '&')
                reference();
            else
                character(c), ++m_pos;
        }
        endLink();
        while (!m_out.empty() && (m_out.back() == '\n' || m_out.back() == ' '))
            m_out.pop_back();
        return std::move(m_out);
    }

private:
    // ---- writing ---------------------------------------------------------

    // Writes what the layout asked for before the next visible text.
    void flush()
    {
        if (m_breaks > 0 && !m_out.empty()) {
            while (!m_out.empty() && m_out.back() == ' ')
                m_out.pop_back();
            const size_t have = size_t(m_out.size() - m_out.find_last_not_of('\n') - 1);
            for (size_t i = have; i < size_t(m_breaks); ++i)
                m_out += '\n';
        } else if (m_space && !m_out.empty() && m_out.back() != '\n' && m_out.back() != ' ') {
            m_out += ' ';
        }
        m_breaks = 0;
        m_space = false;
    }

    void character(char c)
    {
        if (m_pre > 0) {
            if (m_skipLineEnd && (c == '\r' || c == '\n')) {
                m_skipLineEnd = c == '\r'; // the LF of a CR LF goes too
                return;
            }
            m_skipLineEnd = false;
            flush();
            if (c != '\r')
                m_out += c;
            return;
        }
        if (isHtmlSpace(c)) {
            m_space = true;
            return;
        }
        flush();
        m_out += c;
    }

    void text(std::string_view s)
    {
        for (char c : s)
            character(c);
    }

    // A line end (1) or an empty line (2) before the next text.
    void breakLine(int breaks)
    {
        m_breaks = std::max(m_breaks, breaks);
        m_space = false;
    }

    // A <br>: a line end of its own, also one after another (but never more
    // than one empty line in a row).
    void hardBreak()
    {
        while (!m_out.empty() && m_out.back() == ' ')
            m_out.pop_back();
        if (m_out.size() < 2 || m_out.compare(m_out.size() - 2, 2, "\n\n") != 0)
            m_out += '\n';
        m_breaks = 0;
        m_space = false;
    }

    // ---- reading ---------------------------------------------------------

    void reference()
    {
        std::string decoded;
        decodeReference(m_in, m_pos, decoded);
        // A decoded "<" or "&" is text, never markup; a no-break space is
        // not folded away.
        if (decoded == "\u00a0") {
            flush();
            m_out += decoded;
        } else {
            text(decoded);
        }
    }

    void markup()
    {
        const std::string_view rest = m_in.substr(m_pos);
        if (rest.substr(0, 4) == "<!--") {
            skipPast("-->", 4);
            return;
        }
        if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) {
            skipPast(">", 2);
            return;
        }
        const bool closing = rest.size() > 1 && rest[1] == '/';
        const size_t nameStart = closing ? 2 : 1;
        if (rest.size() <= nameStart || !isAsciiLetter(rest[nameStart])) {
            character('<'); // a "<" that opens no tag is text
            ++m_pos;
            return;
        }
        Tag tag;
        tag.closing = closing;
        readTag(nameStart, tag);
        apply(tag);
    }

    void skipPast(std::string_view end, size_t from)
    {
        const size_t found = m_in.find(end, m_pos + from);
        m_pos = found == std::string_view::npos ? m_in.size() : found + end.size();
    }

    // Reads the tag whose name starts at m_pos + NameStart; m_pos ends after its ">".
    void readTag(size_t nameStart, Tag &tag)
    {
        size_t at = m_pos + nameStart;
        while (at < m_in.size() && !isHtmlSpace(m_in[at]) && m_in[at] != '>' && m_in[at] != '/')
            tag.name += asciiLower(m_in[at++]);
        while (at < m_in.size() && m_in[at] != '>') {
            if (isHtmlSpace(m_in[at]) || m_in[at] == '/') {
                ++at;
                continue;
            }
            std::string name;
            while (at < m_in.size() && !isHtmlSpace(m_in[at]) && m_in[at] != '>' && m_in[at] != '=' &&
                   m_in[at] != '/')
                name += asciiLower(m_in[at++]);
            if (name.empty()) { // a stray "=": skip it
                ++at;
                continue;
            }
            while (at < m_in.size() && isHtmlSpace(m_in[at]))
                ++at;
            std::string_view value;
            if (at < m_in.size() && m_in[at] == '=') {
                ++at;
                while (at < m_in.size() && isHtmlSpace(m_in[at]))
                    ++at;
                if (at < m_in.size() && (m_in[at] == '"' || m_in[at] == '\'')) {
                    const size_t close = m_in.find(m_in[at], at + 1);
                    const size_t end = close == std::string_view::npos ? m_in.size() : close;
                    value = m_in.substr(at + 1, end - at - 1);
                    at = close == std::string_view::npos ? end : end + 1;
                } else {
                    const size_t start = at;
                    while (at < m_in.size() && !isHtmlSpace(m_in[at]) && m_in[at] != '>')
                        ++at;
                    value = m_in.substr(start, at - start);
                }
            }
            if (name == "href")
                tag.href = trimmed(decodeReferences(value));
            else if (name == "alt")
                tag.alt = trimmed(decodeReferences(value));
        }
        m_pos = at < m_in.size() ? at + 1 : m_in.size();
    }

    void apply(const Tag &tag)
    {
        if (!tag.closing && isHiddenContent(tag.name)) {
            skipHiddenContent(tag.name);
            return;
        }
        // The line end right after an opening <pre> (or the document's end)
        // only ends the tag's line.
        if (tag.name == "pre") {
            m_pre = std::max(0, m_pre + (tag.closing ? -1 : 1));
            m_skipLineEnd = !tag.closing;
        }
        // What follows the end of the document is no HTML (a mailing list's
        // footer under an HTML message): its lines stay as written.
        if (tag.name == "html" && tag.closing) {
            m_pre = 1;
            m_skipLineEnd = true;
        }
        if (tag.name == "a") {
            endLink();
            if (!tag.closing && !tag.href.empty())
                startLink(tag.href);
            return;
        }
        if (tag.closing) {
            if (layoutOf(tag.name) != Layout::Inline)
                breakLine(layoutOf(tag.name) == Layout::Paragraph ? 2 : 1);
            return;
        }
        if (tag.name == "br") {
            hardBreak();
        } else if (tag.name == "hr") {
            breakLine(1);
            text("----------");
            breakLine(1);
        } else if (tag.name == "li") {
            breakLine(1);
            flushVisible("* ");
        } else if (tag.name == "td" || tag.name == "th") {
            m_space = true;
        } else if (tag.name == "img") {
            m_space = true;
            flushVisible(tag.alt.empty() ? "[image]" : "[image: " + tag.alt + "]");
            m_space = true;
        } else if (layoutOf(tag.name) != Layout::Inline) {
            breakLine(layoutOf(tag.name) == Layout::Paragraph ? 2 : 1);
        }
    }

    // Writes Text as it is, after what the layout asked for.
    void flushVisible(const std::string &shown)
    {
        flush();
        m_out += shown;
    }

    void skipHiddenContent(const std::string &name)
    {
        const std::string end = "</" + name;
        size_t at = findText(m_in, end, m_pos);
        m_pos = at == std::string_view::npos ? m_in.size() : at;
        if (at != std::string_view::npos)
            skipPast(">", 0);
    }

    // ---- links -----------------------------------------------------------

    void startLink(const std::string &target)
    {
        m_linkTarget.clear();
        for (char c : target)
            if (c != '\r' && c != '\n' && c != '\t')
                m_linkTarget += c;
        m_linkStart = m_out.size();
        m_inLink = true;
    }

    // After a link's label: its target, unless the label already says it
    // or the target leads nowhere a reader could go.
    void endLink()
    {
        if (!m_inLink)
            return;
        m_inLink = false;
        const std::string &target = m_linkTarget;
        if (target.empty() || target[0] == '#' || startsWith(lowerCase(target), "javascript:"))
            return;
        const std::string label = m_linkStart <= m_out.size() ? m_out.substr(m_linkStart) : std::string();
        std::string bare = target;
        if (startsWith(lowerCase(bare), "mailto:"))
            bare = bare.substr(7);
        if (label.find(bare) != std::string::npos)
            return;
        m_space = m_space || !label.empty();
        flushVisible("<" + target + ">");
    }

    std::string_view m_in;
    size_t m_pos = 0;
    std::string m_out;
    int m_breaks = 0;    // line ends wanted before the next text
    bool m_space = false; // white space seen before the next text
    int m_pre = 0;       // open <pre> elements
    bool m_skipLineEnd = false;
    bool m_inLink = false;
    size_t m_linkStart = 0;
    std::string m_linkTarget;
};

} // namespace

std::string htmlToText(std::string_view html) { return HtmlReader(html).read(); }

} // namespace tw

#include "platform/rtf_text.h"

#include "platform/bytes.h"
#include "platform/unicode_text.h"

#include <cctype>
#include <vector>

namespace tw {
namespace {

// Groups whose content is never text.
bool isHiddenDestination(std::string_view word)
{
    for (std::string_view hidden : {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer",
                                    "headerl", "headerr", "footerl", "footerr", "listtable", "listoverridetable",
                                    "rsidtbl", "generator", "xmlnsdecl", "themedata", "colorschememapping",
                                    "latentstyles", "datastore", "object", "fldinst", "filetbl", "revtbl"})
        if (word == hidden)
            return true;
    return false;
}

} // namespace

std::string rtfToText(std::string_view doc)
{
    const size_t start = doc.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || doc.substr(start, 5) != "{\\rtf")
        return std::string(doc);

    std::string out;
    std::vector<bool> hidden{false}; // one entry per open group
    int skipFallback = 0;            // characters that stand in for the last \uN
    const auto put = [&](auto &&append) {
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        if (!hidden.back())
            append();
    };

    size_t i = start;
    while (i < doc.size()) {
        const char c = doc[i];
        if (c == '{') {
            hidden.push_back(hidden.back());
            ++i;
            continue;
        }
        if (c == '}') {
            if (hidden.size() > 1)
                hidden.pop_back();
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            put([&] { out += c; });
            ++i;
            continue;
        }
        // A control symbol or control word.
        if (i + 1 >= doc.size())
            break;
        const char next = doc[i + 1];
        if (next == '\\' || next == '{' || next == '}') {
            put([&] { out += next; });
            i += 2;
        } else if (next == '\'') {
            const int high = i + 2 < doc.size() ? hexDigitValue(doc[i + 2]) : -1;
            const int low = i + 3 < doc.size() ? hexDigitValue(doc[i + 3]) : -1;
            if (high >= 0 && low >= 0)
                put([&] { appendUtf8(out, windows1252Char(static_cast<unsigned char>(high * 16 + low))); });
            i += 4;
        } else if (next == '*') {
            hidden.back() = true;
            i += 2;
        } else if (next == '\r' || next == '\n') {
            put([&] { out += '\n'; });
            i += 2;
        } else if (next == '~') {
            put([&] { out += ' '; });
            i += 2;
        } else if (next == '_') {
            put([&] { out += '-'; });
            i += 2;
        } else if (std::isalpha(static_cast<unsigned char>(next))) {
            size_t end = i + 1;
            while (end < doc.size() && std::isalpha(static_cast<unsigned char>(doc[end])))
                ++end;
            const std::string_view word = doc.substr(i + 1, end - i - 1);
            size_t numberEnd = end;
            if (numberEnd < doc.size() && doc[numberEnd] == '-')
                ++numberEnd;
            while (numberEnd < doc.size() && std::isdigit(static_cast<unsigned char>(doc[numberEnd])))
                ++numberEnd;
            long long number = 0;
            const bool hasNumber = numberEnd > end && parseInt(doc.substr(end, numberEnd - end), number);
            i = numberEnd;
            if (i < doc.size() && doc[i] == ' ')
                ++i; // the delimiter belongs to the control word
            if (word == "par" || word == "line" || word == "row")
                put([&] { out += '\n'; });
            else if (word == "tab" || word == "cell")
                put([&] { out += '\t'; });
            else if (word == "u" && hasNumber) {
                put([&] { appendUtf8(out, char32_t(number < 0 ? number + 65536 : number)); }); // \uN is a signed 16-bit number
                skipFallback = 1;
            } else if (isHiddenDestination(word))
                hidden.back() = true;
        } else {
            i += 2; // other control symbols carry no text
        }
    }
    return out;
}

} // namespace tw

// The character-set conversion and the transfer codings on any bytes. The
// first line of the input names a character set, the rest is the text;
// each decoder must give its answer or its "Invalid Character" error.
#include "fuzz_support.h"
#include "net/charset.h"
#include "net/errors.h"
#include "net/transfer_codings.h"

#include <cstdlib>

using namespace tw;

namespace {

template <class Decode> void decodes(Decode &&decode)
{
    try {
        decode();
    } catch (const EMessageParserError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    const std::string input = fuzz::inputAsText(data, size);
    const size_t firstLineEnd = input.find('\n');
    const std::string charset = input.substr(0, std::min<size_t>(firstLineEnd, 64));
    const std::string text = firstLineEnd == std::string::npos ? input : input.substr(firstLineEnd + 1);

    isKnownCharset(charset);
    charsetToUtf8(text, charset);
    displayTextAsUtf8(text, charset);

    decodes([&] { decodeBase64(text); });
    decodes([&] {
        Base64Decoder pieces;
        std::string out;
        for (size_t at = 0; at < text.size(); at += 7)
            pieces.add(std::string_view(text).substr(at, 7), out);
        if (out.size() > text.size())
            std::abort();
    });
    decodes([&] { decodeQuotedWord(text, true); });
    decodes([&] { decodeQuotedWord(text, false); });
    decodes([&] {
        QuotedPrintableDecoder lines;
        std::string out;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            lines.addLine(std::string_view(text).substr(start, end - start), out);
            start = end + 1;
        }
    });
    decodes([&] {
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            const std::string_view line = std::string_view(text).substr(start, end - start);
            if (isUuBeginLine(line))
                uuFileName(line);
            else
                decodeUuLine(line);
            start = end + 1;
        }
    });
    return 0;
}

#include "net/charset.h"

#include "platform/bytes.h"

#include <QStringDecoder>

namespace tw {

namespace {

std::string bareName(std::string_view charset)
{
    std::string name = trimmed(charset.substr(0, charset.find('*')));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

// "us-ascii" declares no 8-bit bytes at all; where a message has them
// anyway, they are kept as bytes rather than turned into replacement marks.
bool declaresNothing(const std::string &name) { return name.empty() || sameText(name, "us-ascii") || sameText(name, "ascii"); }

// The bytes 0x80..0x9F as windows-1252 reads them; the five it leaves
// undefined keep their Latin-1 meaning.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::string windows1252ToUtf8(std::string_view bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte));
    }
    return text.toStdString();
}

bool isKnownCharset(std::string_view charset)
{
    const std::string name = bareName(charset);
    return !declaresNothing(name) && QStringDecoder(name.c_str()).isValid();
}

std::string charsetToUtf8(std::string_view bytes, std::string_view charset)
{
    const std::string name = bareName(charset);
    if (declaresNothing(name))
        return std::string(bytes);
    QStringDecoder decoder(name.c_str());
    if (!decoder.isValid())
        return std::string(bytes);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return text.toStdString();
}

bool needsHeaderConversion(std::string_view bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

std::string rawHeaderTextToUtf8(std::string_view bytes, std::string_view declaredCharset)
{
    if (!needsHeaderConversion(bytes) || isValidUtf8(bytes))
        return std::string(bytes);
    // Raw 8-bit bytes under a set that has none (us-ascii, a 7-bit set such
    // as iso-2022-jp) or that they do not fit (invalid UTF-8) were written by
    // a sender that used its own code page: on the mail that does so, that
    // is overwhelmingly windows-1252, never a replacement mark.
    const std::string name = bareName(declaredCharset);
    if (!declaresNothing(name)) {
        QStringDecoder decoder(name.c_str());
        if (decoder.isValid()) {
            const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
            if (!decoder.hasError() && !text.contains(QChar::ReplacementCharacter))
                return text.toStdString();
        }
    }
    return windows1252ToUtf8(bytes);
}

std::string displayTextAsUtf8(std::string_view bytes, std::string_view charset)
{
    if (isKnownCharset(charset))
        return charsetToUtf8(bytes, charset);
    return fromDisplay(toDisplay(bytes));
}

} // namespace tw

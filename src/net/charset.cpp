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

} // namespace

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
    if (isKnownCharset(declaredCharset))
        return charsetToUtf8(bytes, declaredCharset);
    return fromDisplay(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
}

std::string displayTextAsUtf8(std::string_view bytes, std::string_view charset)
{
    if (isKnownCharset(charset))
        return charsetToUtf8(bytes, charset);
    return fromDisplay(toDisplay(bytes));
}

} // namespace tw

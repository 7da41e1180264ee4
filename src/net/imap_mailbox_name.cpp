#include "net/imap_mailbox_name.h"

#include <QByteArray>
#include <QString>

namespace tw {

namespace {

// Modified base64: "," in place of "/", no padding.
QByteArray modifiedBase64(const QString &text)
{
    QByteArray utf16;
    for (const QChar c : text) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xFF));
    }
    return utf16.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals).replace('/', ',');
}

} // namespace

std::string imapMailboxName(std::string_view name)
{
    const QString text = QString::fromUtf8(name.data(), qsizetype(name.size()));
    std::string encoded;
    QString pending; // characters waiting for their base64 run
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        encoded += "&" + modifiedBase64(pending).toStdString() + "-";
        pending.clear();
    };
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0x20 && u <= 0x7E) {
            flush();
            encoded += u == '&' ? std::string("&-") : std::string(1, char(u));
        } else {
            pending += c;
        }
    }
    flush();
    return encoded;
}

std::string imapMailboxDisplayName(std::string_view name)
{
    QString decoded;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) > 0x7E)
            return std::string(name);
        if (c != '&') {
            decoded += QChar(c);
            continue;
        }
        const size_t end = name.find('-', i + 1);
        if (end == std::string_view::npos)
            return std::string(name);
        if (end == i + 1) {
            decoded += QChar('&');
        } else {
            QByteArray run(name.data() + i + 1, qsizetype(end - i - 1));
            const auto result =
                QByteArray::fromBase64Encoding(run.replace(',', '/'), QByteArray::AbortOnBase64DecodingErrors);
            const QByteArray &bytes = result.decoded;
            if (!result || bytes.size() % 2 != 0)
                return std::string(name);
            for (qsizetype k = 0; k < bytes.size(); k += 2)
                decoded += QChar(ushort((uchar(bytes.at(k)) << 8) | uchar(bytes.at(k + 1))));
        }
        i = end;
    }
    return decoded.toUtf8().toStdString();
}

} // namespace tw

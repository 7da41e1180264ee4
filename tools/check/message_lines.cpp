#include "message_lines.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace tw::check {

namespace {

std::string oneLine(std::string text)
{
    for (char &c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

QString jsonText(const std::string &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size())) : text;
}

} // namespace

const char *markName(int mark)
{
    if (mark == mark::CheckMark)
        return "delete";
    if (mark == mark::BlacklistMark)
        return "blacklist";
    if (mark == mark::QuestionMark)
        return "question";
    if (mark >= mark::DefaultException && mark <= mark::LastException)
        return "exception";
    return "none";
}

std::string messageLine(const PrintedMessage &message)
{
    return std::to_string(message.mailbox) + "\t" + message.number + "\t" + markName(message.mark) + "\t" +
           std::to_string(message.size) + "\t" + oneLine(message.sender) + "\t" + oneLine(message.subject);
}

std::string messageJson(const PrintedMessage &message)
{
    QJsonObject object;
    object.insert("mailbox", message.mailbox);
    object.insert("protocol", QString::fromLatin1(message.protocol));
    object.insert("number", jsonText(message.number));
    object.insert("mark", QString::fromLatin1(markName(message.mark)));
    object.insert("size", double(message.size));
    object.insert("sender", jsonText(message.sender));
    object.insert("subject", jsonText(message.subject));
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace tw::check

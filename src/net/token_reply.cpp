#include "net/token_reply.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QUrlQuery>

namespace tw {

namespace {

const char *const kRefusalProperty = "tidewellTokenReplyRefusal";

// The reply's Content-Type as it may be shown: printable ASCII, at most 60 bytes.
std::string shownType(const std::string &contentType)
{
    std::string shown;
    for (char c : contentType.substr(0, 60))
        shown += c >= 32 && c < 127 ? c : '?';
    return shown;
}

std::string lowered(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

bool startsWith(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

std::string sizeText(qint64 bytes)
{
    return bytes >= (1 << 20) ? std::to_string(bytes >> 20) + " MB" : std::to_string(bytes) + " bytes";
}

std::string what(const std::string &contentType, qint64 bytes)
{
    return "(" + shownType(contentType) + ", " + sizeText(bytes) + ")";
}

// A type whose replies the sign-in reads (as JSON or as a form), or "" when
// it reads none of this type.
enum class ReplyKind { Json, Form, WebPage, Other };

ReplyKind kindOf(const std::string &contentType)
{
    const std::string type = lowered(contentType);
    if (startsWith(type, "application/json") || startsWith(type, "text/javascript"))
        return ReplyKind::Json;
    if (startsWith(type, "application/x-www-form-urlencoded"))
        return ReplyKind::Form;
    if (startsWith(type, "text/html"))
        return ReplyKind::WebPage;
    return ReplyKind::Other;
}

void refuse(QNetworkReply *reply, const std::string &why)
{
    if (!reply->property(kRefusalProperty).isNull() || reply->isFinished())
        return;
    reply->setProperty(kRefusalProperty, QString::fromStdString(why));
    reply->abort();
}

const std::string kLimitText = "a token reply is never more than " + sizeText(kMaxTokenReplyBytes);

void watch(QNetworkReply *reply)
{
    // Data beyond the bound is not taken in: the transfer pauses there, and
    // the check of what arrived below ends it.
    reply->setReadBufferSize(kMaxTokenReplyBytes + 1);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        bool announced = false;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
        if (announced && length > kMaxTokenReplyBytes) {
            refuse(reply, "announced a reply of " + sizeText(length) + " to the sign-in; " + kLimitText +
                              ", so it was not read");
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status < 200 || status >= 300)
            return; // an error reply: its text is read for the provider's words
        const std::string type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toStdString();
        if (type.empty())
            refuse(reply, "answered the sign-in without saying what its reply holds (no Content-Type)");
        else if (kindOf(type) == ReplyKind::Other)
            refuse(reply, "answered the sign-in with " + shownType(type) + " instead of tokens");
    });
    // Every arrival of data, not the progress (which Qt reports only now
    // and then): nothing reads the reply before it ends, so what it holds is
    // all that came.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > kMaxTokenReplyBytes)
            refuse(reply, "sent more than " + sizeText(kMaxTokenReplyBytes) + " in reply to the sign-in; " +
                              kLimitText + ", so it was not read further");
    });
}

} // namespace

std::string unusableTokenReply(const std::string &contentType, const QByteArray &body)
{
    if (body.isEmpty())
        return "answered the sign-in with an empty reply";
    if (contentType.empty())
        return "answered the sign-in without saying what its reply holds (no Content-Type)";
    switch (kindOf(contentType)) {
    case ReplyKind::Json: {
        const QJsonDocument document = QJsonDocument::fromJson(body);
        if (!document.isObject())
            return "answered the sign-in with something that is not a JSON object " +
                   what(contentType, body.size());
        if (document.object().isEmpty())
            return "answered the sign-in with an empty JSON object";
        return {};
    }
    case ReplyKind::Form: return {};
    case ReplyKind::WebPage: {
        // Read as a form, as some providers label one; a page is refused.
        const QUrlQuery form(QString::fromUtf8(body));
        if (form.hasQueryItem(QStringLiteral("access_token")) || form.hasQueryItem(QStringLiteral("error")))
            return {};
        return "answered the sign-in with a web page " + what(contentType, body.size()) + " instead of tokens";
    }
    case ReplyKind::Other: break;
    }
    return "answered the sign-in with " + shownType(contentType) + " instead of tokens";
}

QNetworkReply *TTokenEndpointAccess::createRequest(Operation operation, const QNetworkRequest &request,
                                                   QIODevice *outgoingData)
{
    QNetworkReply *reply = QNetworkAccessManager::createRequest(operation, request, outgoingData);
    if (!TokenUrl.isEmpty() && request.url() == TokenUrl)
        watch(reply);
    return reply;
}

std::string refusedTokenReply(const QNetworkReply *reply)
{
    return reply->property(kRefusalProperty).toString().toStdString();
}

} // namespace tw

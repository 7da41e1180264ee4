#pragma once
// The token endpoint's replies, judged and bounded. A token reply is a small
// JSON object (or a form-encoded line); whatever cannot be one is refused as
// soon as it shows, with a text that says what came instead, so a broken or
// hostile endpoint neither fills the memory nor lets the sign-in wait for
// its time limit.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>

#include <string>

class QNetworkReply;

namespace tw {

// The most a token endpoint's reply may hold; real ones are a few KB.
inline constexpr qint64 kMaxTokenReplyBytes = 1 << 20;

// What is wrong with a whole successful reply of ContentType holding Body,
// as the continuation of "<provider> " ("answered the sign-in with a web
// page (text/html, 512 bytes) instead of tokens"); "" when it may hold tokens.
std::string unusableTokenReply(const std::string &contentType, const QByteArray &body);

// The network access of a sign-in. Every reply to TokenUrl is watched: one
// that announces more than kMaxTokenReplyBytes, grows past them, or (when
// successful) brings something that cannot be tokens is aborted at once,
// and refusedTokenReply() then tells why. No such reply ever holds more than
// kMaxTokenReplyBytes and one byte.
class TTokenEndpointAccess : public QNetworkAccessManager {
    Q_OBJECT
public:
    using QNetworkAccessManager::QNetworkAccessManager;
    QUrl TokenUrl;

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;
};

// Why a watched reply was aborted, as the continuation of "<provider> ";
// "" when it was not.
std::string refusedTokenReply(const QNetworkReply *reply);

} // namespace tw

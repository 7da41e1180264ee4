#include "net/oauth_loopback.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace tw {

namespace {

// A browser's request line and headers fit easily; more is not a browser.
constexpr qsizetype kMaxRequest = 16 * 1024;
constexpr int kRequestMilliseconds = 10000;

QByteArray page(const QByteArray &status, const QString &text)
{
    const QByteArray body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Tidewell</title></head><body><p>" +
                            text.toHtmlEscaped().toUtf8() + "</p></body></html>";
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

TLoopbackRedirect::TLoopbackRedirect(const std::string &host, QObject *parent)
    : QOAuthOobReplyHandler(parent), m_host(host)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &TLoopbackRedirect::onConnection);
}

QString TLoopbackRedirect::callback() const
{
    return QStringLiteral("http://%1:%2/").arg(QString::fromStdString(m_host)).arg(m_server.serverPort());
}

void TLoopbackRedirect::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() > kMaxRequest) {
                m_refused.push_back("request too large");
                socket->write(page("413 Content Too Large", QStringLiteral("This request is not a sign-in.")));
                socket->disconnectFromHost();
                return;
            }
            if (buffer->contains("\r\n\r\n") || buffer->contains("\n\n")) {
                socket->disconnect(this);
                answer(socket, *buffer);
            }
        });
        // A connection that never completes its request is dropped.
        QTimer::singleShot(kRequestMilliseconds, socket, [socket] { socket->abort(); });
    }
}

void TLoopbackRedirect::answer(QTcpSocket *socket, const QByteArray &request)
{
    const QByteArray line = request.left(request.indexOf('\n')).trimmed();
    const QList<QByteArray> parts = line.split(' ');
    const QByteArray method = parts.value(0);
    const QUrl target(QString::fromLatin1(parts.value(1)));
    const QUrlQuery query(target);
    const std::string what = method.toStdString() + " " + target.path().toStdString();
    const auto refuse = [&](const QByteArray &status, const std::string &why) {
        m_refused.push_back(what + ": " + why);
        socket->write(page(status, QStringLiteral("This is not the answer Tidewell is waiting for; the sign-in goes on "
                                                  "in the browser window that Tidewell opened.")));
        socket->disconnectFromHost();
    };
    if (method != "GET")
        return refuse("405 Method Not Allowed", "not a redirect");
    if (target.path() != QStringLiteral("/"))
        return refuse("404 Not Found", "not the redirect address");
    if (m_state.isEmpty() || query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded) != m_state)
        return refuse("400 Bad Request", "the state does not match this sign-in");
    const bool hasCode = query.hasQueryItem(QStringLiteral("code"));
    const bool hasError = query.hasQueryItem(QStringLiteral("error"));
    if (!hasCode && !hasError)
        return refuse("400 Bad Request", "neither a code nor an error");

    QVariantMap values;
    // The flow decodes the values itself.
    for (const auto &item : query.queryItems(QUrl::FullyEncoded))
        values.insert(item.first, item.second);
    socket->write(page("200 OK", hasCode ? QStringLiteral("Tidewell is signed in. You can close this page.")
                                         : QStringLiteral("The sign-in was not completed. You can close this page.")));
    socket->disconnectFromHost();
    m_state.clear(); // one redirect per sign-in
    Q_EMIT callbackReceived(values);
}

} // namespace tw

#pragma once
// The redirect of a browser sign-in (RFC 8252): a listener on a free port of
// the loopback interface that takes exactly one kind of request, the
// provider's redirect "GET /?code=...&state=..." (or "?error=...") carrying
// the state this sign-in sent. Anything else sent to the port (another
// path, another method, a state that does not match, no code and no error)
// is refused with an error page and ignored, so a page or program that
// guesses the port cannot hand the sign-in a code of its own.
//
// It is also the flow's handler of the token endpoint's replies (inherited).

#include <QOAuthOobReplyHandler>
#include <QTcpServer>

#include <string>

namespace tw {

class TLoopbackRedirect : public QOAuthOobReplyHandler {
    Q_OBJECT
public:
    // Host: the name put into the redirect address ("127.0.0.1" or
    // "localhost"); the listener is on 127.0.0.1 either way.
    explicit TLoopbackRedirect(const std::string &host, QObject *parent = nullptr);

    bool listening() const { return m_server.isListening(); }
    // "http://<host>:<port>/".
    QString callback() const override;
    // The state a redirect must carry.
    void setExpectedState(const QString &state) { m_state = state; }

    // Requests refused so far, each as "<method> <path>: <why>" (for the log
    // and the tests).
    const std::vector<std::string> &refused() const { return m_refused; }

private:
    void onConnection();
    void answer(QTcpSocket *socket, const QByteArray &request);

    std::string m_host;
    QTcpServer m_server;
    QString m_state;
    std::vector<std::string> m_refused;
};

} // namespace tw

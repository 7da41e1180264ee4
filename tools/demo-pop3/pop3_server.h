#pragma once
// The demo POP3 server: listens on a loopback port and runs one
// Pop3Session per connection. Closing a connection without QUIT ends its
// session with nothing removed.

#include "demo-pop3/pop3_session.h"

#include <QTcpServer>

namespace tw::demo {

class Pop3Server : public QObject {
    Q_OBJECT
public:
    explicit Pop3Server(Account account, QObject *parent = nullptr);

    // Listens on 127.0.0.1; Port 0 lets the system choose a free one.
    bool listen(quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

    // What the server holds in memory for all its clients: replies not yet
    // sent and commands received but not yet handled. Per client this stays
    // below kMaxUnsentReplyBytes plus one reply (a client that does not read
    // is not read either) and a few KB of commands.
    qint64 heldBytes() const;
    static constexpr qint64 kMaxUnsentReplyBytes = 256 << 10;

private:
    void accept();

    Account m_account;
    QTcpServer m_server;
    bool m_lock = false;
};

} // namespace tw::demo

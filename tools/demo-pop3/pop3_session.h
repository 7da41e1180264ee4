#pragma once
// One POP3 conversation of the demo server, without any socket: it takes
// command lines and returns the reply bytes, so the protocol can be driven
// directly. Commands of RFC 1939 (USER, PASS, STAT, LIST, UIDL, TOP, RETR,
// DELE, NOOP, RSET, QUIT) and CAPA of RFC 2449.
//
// The maildrop is read when the password is accepted and locked for this
// session until it ends. DELE only flags a message; QUIT in the transaction
// state removes the flagged files. A session that ends any other way (a
// dropped connection) removes nothing.

#include "demo-pop3/maildrop.h"

#include <QString>

#include <string>

namespace tw::demo {

struct Account {
    std::string user;
    std::string password;
    QString folder;  // the maildrop
};

class Pop3Session {
public:
    // Lock is shared by all sessions of one server: set while a session holds the maildrop.
    Pop3Session(Account account, bool &lock);
    ~Pop3Session();
    Pop3Session(const Pop3Session &) = delete;
    Pop3Session &operator=(const Pop3Session &) = delete;

    std::string greeting() const;
    // The reply to one command line (given without its line end); every
    // reply ends in CR LF, multi-line replies end with the "." line.
    std::string handle(const std::string &line);
    // True once QUIT was answered: the connection is to be closed.
    bool finished() const { return m_state == State::Done; }

private:
    enum class State { Authorization, Transaction, Done };

    std::string authorization(const std::string &command, const std::string &argument);
    std::string transaction(const std::string &command, const std::string &argument);
    std::string login(const std::string &password);
    std::string quit();
    std::string listing(const std::string &argument, bool uniqueIds);
    std::string top(const std::string &argument);
    std::string retrieve(const std::string &argument);
    std::string dele(const std::string &argument);
    // The message a one-number argument names, or 0 (Error then holds the reply).
    int messageNumber(const std::string &argument, std::string &error) const;
    void release();

    Account m_account;
    bool &m_lock;
    bool m_holdsLock = false;
    State m_state = State::Authorization;
    std::string m_user;  // given by USER, not yet confirmed
    Maildrop m_maildrop;
};

// Byte-stuffs Text (CR LF lines) and closes it with the "." line.
std::string multiLine(const std::string &firstLine, const std::string &text);

} // namespace tw::demo

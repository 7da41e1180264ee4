#pragma once
// What every mail protocol client (POP3, IMAP) shares on top of the socket
// transport: the account it signs in to, how its connection is secured
// before anything secret goes out, the downgrade protection, the access
// token asked for before connecting, and the SASL exchanges (PLAIN, SCRAM,
// XOAUTH2, OAUTHBEARER) that each protocol carries in its own commands
// (POP3: AUTH, IMAP: AUTHENTICATE) through a TSaslDialogue.

#include "net/agsocket.h"
#include "net/mail_security.h"
#include "net/sasl.h"
#include "net/sign_in.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

// Num: the 0-based index of the message.
using TmsNumNotifyEvent = std::function<void(QObject *Sender, int Num)>;

// One SASL exchange as a protocol carries it: a command that names the
// mechanism (with the first client message on it where the protocol allows),
// then the server's challenges, each answered with one base64 line, until
// the server's final reply. Client messages go in as raw bytes.
class TSaslDialogue {
public:
    virtual ~TSaslDialogue() = default;

    // What the server said after a client message.
    struct Answer {
        enum class Kind {
            Challenge, // the server wants more; Text is its challenge, base64 as sent
            Accepted,  // signed in
            Refused,   // the credentials were refused; Text is the reply to quote
            Failed,    // the server failed or refused for another reason; Text as above
        };
        Kind kind = Kind::Refused;
        std::string text;
    };

    // Starts the exchange with Mechanism and its first client message,
    // and returns the server's answer to that message.
    Answer start(const char *Mechanism, const std::string &FirstResponse);
    // Sends the next client message.
    Answer respond(const std::string &Response);
    // Breaks the exchange off ("*") and reads the server's closing answer.
    void abandon() { send("*"); }

protected:
    // The command that starts an exchange with Mechanism ("AUTH PLAIN").
    virtual std::string startCommand(const char *Mechanism) = 0;
    // Whether that command carries the first client message (after a blank).
    virtual bool initialResponse() const = 0;
    // Sends Line and reads the server's answer.
    virtual Answer send(const std::string &Line) = 0;
};

// Where a deletion keeps a copy of every message it removes for good (see
// the protocol clients' TransferData). Calls come in the order of the
// messages; Num is the message's index in the listing.
class TmsDeletionCopies {
public:
    virtual ~TmsDeletionCopies() = default;
    // A message listed larger than this many bytes is not retrieved: its
    // copy is its header block alone.
    virtual long long maxMessageBytes() const = 0;
    // Message Num was found as it was listed. Message is its copy: the whole
    // message as delivered (messageFromDataBlock), or with HeaderOnly its
    // header block (headerBlockFromLines). UID is its unique id, "" when the
    // server gives none. The copy may be written in the background.
    virtual void keep(int Num, const std::string &UID, std::string Message, bool HeaderOnly) = 0;
    // Message Num was found as it was listed, but the server refused to send
    // it; Reply is the refusal. It gets no copy.
    virtual void notSent(int Num, const std::string &Reply) = 0;
    // Asked once, after every flagged message has been read and before any
    // message is deleted: the messages whose copies are safely kept (it may wait
    // for writes to finish). Only these are deleted.
    virtual std::vector<int> keptCopies() = 0;
};

class TmsMailBase : public TagSocket {
    Q_OBJECT
public:
    using TagSocket::TagSocket;

    std::string UserName;
    std::string Password;
    // Password: the password goes with the strongest SASL mechanism the
    // server lists (SCRAM-SHA-256, SCRAM-SHA-1, PLAIN), else with the
    // protocol's own commands. OAuth: an access token from OnAccessToken
    // goes with XOAUTH2 or OAUTHBEARER, whichever the server lists.
    TSignInMethod SignIn = TSignInMethod::Password;
    // The server takes a token with XOAUTH2 although it does not list a
    // token mechanism (Yandex). True by itself for the servers the provider
    // table names (mail_providers.h). Such a token goes out only over an
    // encrypted connection, whatever Security allows.
    bool TokenWithoutListing = false;
    // Asked for the access token (OAuth only) in Open, before connecting.
    TAccessTokenEvent OnAccessToken;
    // How the session is protected. None sends what the plain protocol
    // always sent.
    TMailSecurity Security = TMailSecurity::None;
    // Downgrade protection for Security Automatic. A mailbox whose earlier
    // sessions were encrypted (EncryptedBefore), or that trusts a
    // certificate (TrustedFingerprint), never signs in over an unencrypted
    // connection: the login stops with ESignInError instead (its text says
    // why, never a wrong password). Otherwise OnPlainTextSignIn decides;
    // unset, nothing is sent in clear.
    bool EncryptedBefore = false;
    TPlainTextEvent OnPlainTextSignIn;
    // Fired just before a password or token goes out unencrypted (Security
    // None, or Automatic when allowed), so that it can be logged.
    TNotifyEvent OnUnencryptedSignIn;
    // Fired when a login has succeeded.
    TNotifyEvent OnLoggedIn;
    // Seconds an unencrypted connection may stay silent before its
    // greeting: a TLS port says nothing until spoken to in TLS.
    int GreetingTimeOut = 10;

    // Whether the last login took place over an encrypted connection.
    bool SessionEncrypted() const { return m_sessionEncrypted; }
    // How the last login signed in: the protocol's own commands
    // ("USER/PASS", "LOGIN") or the SASL mechanism's name; "" before the first.
    const std::string &SignInMechanism() const { return m_signInMechanism; }

    // Connects and logs in; see the protocol client for what it sends.
    virtual void Login() = 0;
    // Ends the session; does not close the socket.
    virtual void Logout() = 0;

    // If not connected: Open, then Login.
    void OpenMailbox();
    // If connected: Logout, then Close. The socket is closed even when the
    // logout fails; the logout's error then goes on.
    void CloseMailbox();

    // CheckProperties, ResetState, the access token when signing in with
    // one (OnAccessToken; its ESignInError is reported through OnError and
    // raised again), then the transport's Open.
    void Open() override;
    // ESocketError "UserName property is required" / "Password property is
    // required" (after OnError) when either is empty; a sign-in with a token
    // needs no password.
    virtual void CheckProperties();

protected:
    // The protocol's words in the texts about securing the connection.
    struct TSecurityWords {
        const char *protocol;   // "POP3"
        uint16_t tlsPort;       // 995
        const char *tlsService; // "pop3s", looked up in the services database
        const char *startTls;   // "STARTTLS (STLS)": how the texts name the command
        const char *command;    // "STLS": the command itself
    };
    virtual const TSecurityWords &securityWords() const = 0;

    // Whether the connection is TLS from the start: Security TLS, or
    // Automatic on the protocol's TLS port.
    bool implicitTls() const;
    // The handshake of implicit TLS, when the connection takes it.
    void secureFromStart();
    // On an unencrypted connection: fails with ETlsError within
    // GreetingTimeOut when the server says nothing (a TLS port).
    void awaitGreeting();
    // Whether this session should ask for STARTTLS (not encrypted yet, and
    // Security is STARTTLS or Automatic).
    bool wantsStartTls() const;
    // The server does not offer STARTTLS: ETlsError for Security STARTTLS;
    // for Automatic the session goes on unencrypted.
    void startTlsNotOffered();
    // The server refused the command that opens STARTTLS (Reply quoted): ETlsError.
    [[noreturn]] void startTlsRefused(const std::string &Reply);
    // The handshake after the server agreed to STARTTLS.
    void startTlsHandshake();

    // Asks OnAccessToken for this connection's token (token sign-ins only).
    void obtainAccessToken();
    // OnError with Text, close, then ESignInError (or the expired kind).
    [[noreturn]] void failSignIn(const std::string &Text, bool Expired = false);
    // Stops a sign-in that would send the password or token in clear where
    // Security or the downgrade protection forbids it; fires
    // OnUnencryptedSignIn when it goes out in clear.
    void guardUnencryptedSignIn();
    // Signs in with Mechanism (listed by the server) over Dialogue: the
    // password mechanisms with UserName and Password, the token mechanisms
    // with the token obtainAccessToken fetched. A refusal of the password
    // raises ELoginRefusedError with the server's reply; a failure of the
    // server EServerError; a refused token, or a server that cannot prove
    // that it knows the password (SCRAM), ESignInError.
    void signInWithSasl(TSaslDialogue &Dialogue, sasl::Mechanism Mechanism);
    // Signs in with what the server lists (Listed: its SASL mechanism
    // names): a token with XOAUTH2 or OAUTHBEARER (when it lists neither:
    // XOAUTH2 over an encrypted connection to a server that takes it
    // unlisted, else ESignInError), a password with the strongest password mechanism, or
    // else with OwnCommands (the protocol's own, such as USER and PASS).
    // Nothing goes out before guardUnencryptedSignIn has let it.
    void signInWithListed(TSaslDialogue &Dialogue, const std::vector<std::string> &Listed,
                          const std::function<void()> &OwnCommands);
    // "access token" or "password", for the texts.
    std::string secretName() const;

    bool m_sessionEncrypted = false;
    std::string m_signInMechanism;
    std::string m_accessToken; // for this connection's sign-in

private:
    void signInWithPlain(TSaslDialogue &Dialogue);
    void signInWithScram(TSaslDialogue &Dialogue, sasl::Mechanism Mechanism);
    void signInWithToken(TSaslDialogue &Dialogue, sasl::Mechanism Mechanism);
    // Goes on when Answer accepted the password; raises otherwise.
    static void requirePasswordAccepted(const TSaslDialogue::Answer &Answer);
};

} // namespace tw

// How an IMAP session begins: the greeting, STARTTLS when the mailbox's
// security asks for it, and the sign-in with LOGIN or with the SASL
// mechanisms of mail_sign_in.cpp in the AUTHENTICATE dialogue (RFC 3501
// 6.2.2, with the first response on the command line under SASL-IR, RFC 4959).
#include "net/imap_client.h"

#include "platform/bytes.h"
#include "platform/program_version.h"

namespace tw {

namespace {

// A refusal with one of these codes says the server cannot sign anybody in
// just now (RFC 5530), not that the password is wrong.
bool isServerTrouble(const TImapResponse &reply)
{
    for (const char *code : {"UNAVAILABLE", "SERVERBUG", "PRIVACYREQUIRED", "LIMIT", "INUSE", "CONTACTADMIN"})
        if (reply.code == code)
            return true;
    return !reply.is("NO");
}

TSaslDialogue::Answer answerOf(const TImapResponse &reply)
{
    using Kind = TSaslDialogue::Answer::Kind;
    if (reply.kind == TImapResponse::Kind::Continuation)
        return {Kind::Challenge, reply.text};
    if (reply.is("OK"))
        return {Kind::Accepted, reply.quoted()};
    return {isServerTrouble(reply) ? Kind::Failed : Kind::Refused, reply.quoted()};
}

} // namespace

// "tag AUTHENTICATE <mechanism>", then "+ <challenge>" answered with base64
// lines, until the tagged reply.
class TmsImapClient::AuthenticateDialogue : public TSaslDialogue {
public:
    explicit AuthenticateDialogue(TmsImapClient &client) : m_client(client) {}

protected:
    std::string startCommand(const char *Mechanism) override
    {
        m_tag = m_client.nextTag();
        return m_tag + " AUTHENTICATE " + Mechanism;
    }
    bool initialResponse() const override { return m_client.m_capabilities.has("SASL-IR"); }
    Answer send(const std::string &Line) override
    {
        m_client.SendLine(Line);
        return answerOf(m_client.readUntilTagged(m_tag, true, {}, {}));
    }

private:
    TmsImapClient &m_client;
    std::string m_tag;
};

void TmsImapClient::Login()
{
    try {
        ResetState();
        Connect();
        m_capabilities.clear();
        m_tagNumber = 0;
        m_bye.clear();
        m_selected.clear();
        m_selectedUidValidity = 0;
        m_exists = 0;
        m_junkFolder.clear();
        m_sessionEncrypted = false;
        m_signInMechanism.clear();
        m_capabilitiesRenewed = false;
        secureFromStart();
        const bool signedInAlready = readGreeting();
        if (signedInAlready) {
            // PREAUTH: no STARTTLS can follow, so an unencrypted session goes
            // on only where one that signs in unencrypted would.
            if (!IsEncrypted() && Security == TMailSecurity::STARTTLS)
                Fail("The server signed the session in before it could be encrypted (PREAUTH), so STARTTLS cannot "
                     "follow; nothing was sent. Choose another security for this mailbox.",
                     TFailure::Tls);
            m_sessionEncrypted = IsEncrypted();
            guardUnencryptedSignIn();
            m_signInMechanism = "PREAUTH";
        } else {
            negotiateStartTls();
            m_sessionEncrypted = IsEncrypted();
            signIn();
        }
        // What a server offers often grows once signed in (MOVE, SPECIAL-USE).
        if (!m_capabilitiesRenewed)
            readCapabilities();
        identify();
        fire(OnLoggedIn);
    } catch (const ESocketError &) {
        Close();
        throw;
    }
}

bool TmsImapClient::readGreeting()
{
    awaitGreeting();
    const TImapResponse greeting = readResponse();
    if (greeting.kind == TImapResponse::Kind::Untagged && greeting.is("BYE")) {
        Close();
        throw EServerError(greeting.quoted());
    }
    if (greeting.kind != TImapResponse::Kind::Untagged || (!greeting.is("OK") && !greeting.is("PREAUTH")))
        outOfStep("its greeting is not OK, PREAUTH or BYE (" + greeting.quoted() + ")");
    noteCode(greeting);
    return greeting.is("PREAUTH");
}

void TmsImapClient::negotiateStartTls()
{
    if (!wantsStartTls())
        return;
    if (m_capabilities.empty())
        readCapabilities();
    if (!m_capabilities.has("STARTTLS")) {
        startTlsNotOffered();
        return;
    }
    const TImapResponse reply = execute(TImapCommand("STARTTLS"));
    if (!reply.is("OK"))
        startTlsRefused(reply.quoted());
    startTlsHandshake();
    // What was listed before TLS cannot be trusted; ask again inside it.
    m_capabilities.clear();
    readCapabilities();
}

void TmsImapClient::signIn()
{
    if (m_capabilities.empty())
        readCapabilities();
    m_capabilitiesRenewed = false;
    const std::vector<std::string> listed = m_capabilities.saslMechanisms();
    // LOGINDISABLED: the server takes no password with LOGIN here (over an
    // unencrypted connection, usually); with no mechanism for it either,
    // nothing is sent.
    if (!signsInWithToken(SignIn) && sasl::passwordMechanism(listed) == sasl::Mechanism::None &&
        m_capabilities.has("LOGINDISABLED"))
        Fail(IsEncrypted() ? "The server offers no sign-in with a password that Tidewell knows; the password was not "
                             "sent."
                           : "The server takes no password over an unencrypted connection; the password was not sent. "
                             "Choose \"STARTTLS\" or \"TLS\" as this mailbox's security.",
             TFailure::Tls);
    AuthenticateDialogue dialogue(*this);
    signInWithListed(dialogue, listed, [this] { signInWithLogin(); });
}

void TmsImapClient::signInWithLogin()
{
    m_signInMechanism = "LOGIN";
    const TImapResponse reply = execute(TImapCommand("LOGIN").addString(UserName).addString(Password));
    if (reply.is("OK"))
        return;
    if (isServerTrouble(reply))
        throw EServerError(reply.quoted());
    throw ELoginRefusedError(reply.quoted()); // only this says something about the account
}

void TmsImapClient::identify()
{
    if (!m_capabilities.has("ID"))
        return;
    // Only the program's name and version: never anything about the user,
    // the machine or its system. Servers that demand an ID (NetEase) refuse
    // SELECT and EXAMINE with "Unsafe Login" until they have one.
    execute(TImapCommand("ID").add("(\"name\" \"Tidewell\" \"version\" " + imapQuoted(kProgramVersion) + ")"));
}

} // namespace tw

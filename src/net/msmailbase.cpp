// The connection side of every mail protocol client: opening a mailbox and
// closing it again, and securing the connection before the sign-in, with
// the texts that say what went wrong when a port does not speak what the
// mailbox's security expects.
#include "net/msmailbase.h"

#include "net/errors.h"

#include <netdb.h>
#include <netinet/in.h>

namespace tw {

namespace {

constexpr int TextUserNameRequired = 57103;
constexpr int TextPasswordRequired = 57104;

bool isServicePort(uint16_t port, uint16_t wellKnown, const char *service)
{
    if (port == wellKnown)
        return true;
    const servent *entry = getservbyname(service, "tcp");
    return entry && ntohs(uint16_t(entry->s_port)) == port;
}

} // namespace

TMailSecurity mailSecurityFromSetting(int value)
{
    switch (value) {
    case int(TMailSecurity::TLS): return TMailSecurity::TLS;
    case int(TMailSecurity::STARTTLS): return TMailSecurity::STARTTLS;
    case int(TMailSecurity::None): return TMailSecurity::None;
    default: return TMailSecurity::Automatic;
    }
}

void TmsMailBase::OpenMailbox()
{
    if (!IsConnected()) {
        Open();
        Login();
    }
}

void TmsMailBase::CloseMailbox()
{
    if (!IsConnected())
        return;
    try {
        Logout();
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void TmsMailBase::Open()
{
    CheckProperties();
    ResetState();
    obtainAccessToken();
    TagSocket::Open();
}

void TmsMailBase::CheckProperties()
{
    if (UserName.empty())
        ReportError(TextUserNameRequired);
    if (Password.empty() && !signsInWithToken(SignIn))
        ReportError(TextPasswordRequired);
}

// --- Securing the connection ------------------------------------------------

bool TmsMailBase::implicitTls() const
{
    const TSecurityWords &words = securityWords();
    return Security == TMailSecurity::TLS ||
           (Security == TMailSecurity::Automatic && isServicePort(Port(), words.tlsPort, words.tlsService));
}

void TmsMailBase::secureFromStart()
{
    if (!implicitTls())
        return;
    // A greeting in clear instead of a handshake: a port for the plain protocol.
    const std::string noAnswer = std::string("The server did not answer the TLS handshake - is this port for "
                                             "unencrypted ") +
                                 securityWords().protocol + "?";
    StartTls(noAnswer, noAnswer);
}

void TmsMailBase::awaitGreeting()
{
    // A server greets at once; silence on a plain connection is what a TLS
    // port does, and is said within seconds rather than after the time-out.
    if (IsEncrypted() || WaitForIncoming(GreetingTimeOut))
        return;
    const TSecurityWords &words = securityWords();
    Fail(std::string("The server sent no greeting - is this port for ") + words.protocol + " over TLS (usually port " +
             std::to_string(words.tlsPort) + ")? Choose \"TLS\" as this mailbox's security.",
         TFailure::Tls);
}

bool TmsMailBase::wantsStartTls() const
{
    return !IsEncrypted() && (Security == TMailSecurity::STARTTLS || Security == TMailSecurity::Automatic);
}

void TmsMailBase::startTlsNotOffered()
{
    if (Security != TMailSecurity::STARTTLS)
        return; // Automatic: an unencrypted session, as the status line will say
    Fail(std::string("The server does not offer ") + securityWords().startTls +
             ", so the connection cannot be encrypted; the password was not sent. "
             "Choose another security for this mailbox or ask your provider which port to use.",
         TFailure::Tls);
}

void TmsMailBase::startTlsRefused(const std::string &Reply)
{
    Fail("The server refused STARTTLS: \"" + Reply + "\". The password was not sent.", TFailure::Tls);
}

void TmsMailBase::startTlsHandshake()
{
    const std::string command = securityWords().command;
    StartTls("The server accepted " + command + " but did not complete the TLS handshake.",
             "The server sent more than its answer to " + command +
                 " before the TLS handshake, so the connection cannot be trusted. The password was not sent.");
}

} // namespace tw

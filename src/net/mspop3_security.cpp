// How a POP3 session is secured before the password goes out: implicit TLS,
// STLS after CAPA, or neither, and the texts that say what went wrong when a
// port does not speak what the mailbox's security expects.
#include "net/mspop3.h"

#include "net/errors.h"

#include <netdb.h>
#include <netinet/in.h>

namespace tw {

namespace {

constexpr uint16_t Pop3sPort = 995;

const char *const kNoGreetingText =
    "The server sent no greeting - is this port for POP3 over TLS (usually port 995)? "
    "Choose \"TLS\" as this mailbox's security.";
const char *const kNoStlsText =
    "The server does not offer STARTTLS (STLS), so the connection cannot be encrypted; the password was not sent. "
    "Choose another security for this mailbox or ask your provider which port to use.";

bool isPop3sPort(uint16_t port)
{
    if (port == Pop3sPort)
        return true;
    const servent *service = getservbyname("pop3s", "tcp");
    return service && ntohs(uint16_t(service->s_port)) == port;
}

const char *const kTlsNoAnswerText =
    "The server did not answer the TLS handshake - is this port for unencrypted POP3?";
const char *const kStlsNoHandshakeText = "The server accepted STLS but did not complete the TLS handshake.";
const char *const kDataBeforeTlsText =
    "The server sent more than its answer to STLS before the TLS handshake, so the connection cannot be trusted. "
    "The password was not sent.";

} // namespace

TPop3Security pop3SecurityFromSetting(int value)
{
    switch (value) {
    case int(TPop3Security::TLS): return TPop3Security::TLS;
    case int(TPop3Security::STARTTLS): return TPop3Security::STARTTLS;
    case int(TPop3Security::None): return TPop3Security::None;
    default: return TPop3Security::Automatic;
    }
}

bool TmsCustomPOP::implicitTls() const
{
    return Security == TPop3Security::TLS || (Security == TPop3Security::Automatic && isPop3sPort(Port()));
}

void TmsCustomPOP::secureFromStart()
{
    if (implicitTls())
        StartTls(kTlsNoAnswerText, kTlsNoAnswerText); // a greeting in clear: a plain POP3 port
}

void TmsCustomPOP::readGreeting()
{
    // A server greets at once; silence on a plain connection is what a TLS
    // port does, and is said within seconds rather than after the time-out.
    if (!IsEncrypted() && !WaitForIncoming(GreetingTimeOut))
        Fail(kNoGreetingText, TFailure::Tls);
    requireOk(ReadLine());
}

void TmsCustomPOP::ReadCapabilities()
{
    m_capabilities.clear();
    m_capabilitiesAsked = true;
    if (command("CAPA") != 1)
        return; // a server without CAPA lists nothing
    std::string block;
    ReadData(block, -1, headerBlockLimits()); // a capability list is far smaller still
    m_capabilities = TPop3Capabilities::fromCapaBlock(block);
}

void TmsCustomPOP::negotiateStartTls()
{
    if (IsEncrypted() || (Security != TPop3Security::STARTTLS && Security != TPop3Security::Automatic))
        return;
    ReadCapabilities();
    if (!m_capabilities.has("STLS")) {
        if (Security == TPop3Security::STARTTLS)
            Fail(kNoStlsText, TFailure::Tls);
        return; // Automatic: an unencrypted session, as the status line will say
    }
    if (command("STLS") != 1)
        Fail("The server refused STARTTLS: \"" + LastReply() + "\". The password was not sent.", TFailure::Tls);
    StartTls(kStlsNoHandshakeText, kDataBeforeTlsText);
    // What was listed before TLS cannot be trusted; ask again inside it.
    ReadCapabilities();
}

} // namespace tw

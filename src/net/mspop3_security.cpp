// How a POP3 session is secured before the password goes out: implicit TLS
// (msmailbase.cpp), STLS after CAPA, or neither.
#include "net/mspop3.h"

namespace tw {

const TmsMailBase::TSecurityWords &TmsCustomPOP::securityWords() const
{
    static const TSecurityWords words{"POP3", 995, "pop3s", "STARTTLS (STLS)", "STLS"};
    return words;
}

void TmsCustomPOP::readGreeting()
{
    awaitGreeting();
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
    if (!wantsStartTls())
        return;
    ReadCapabilities();
    if (!m_capabilities.has("STLS")) {
        startTlsNotOffered();
        return;
    }
    if (command("STLS") != 1)
        startTlsRefused(LastReply());
    startTlsHandshake();
    // What was listed before TLS cannot be trusted; ask again inside it.
    ReadCapabilities();
}

} // namespace tw

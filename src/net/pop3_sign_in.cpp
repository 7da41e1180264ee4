// How a POP3 session signs in once the connection is as secure as it will
// get: the SASL mechanisms (mail_sign_in.cpp) in the AUTH dialogue (RFC
// 5034), with USER and PASS for servers that list none.
#include "net/mspop3.h"

#include "net/errors.h"
#include "platform/bytes.h"

namespace tw {

// AUTH <mechanism>, then "+ <challenge>" lines answered with base64 lines,
// until +OK or -ERR.
class TmsCustomPOP::AuthDialogue : public TSaslDialogue {
public:
    explicit AuthDialogue(TmsCustomPOP &pop) : m_pop(pop) {}

protected:
    std::string startCommand(const char *Mechanism) override { return std::string("AUTH ") + Mechanism; }
    bool initialResponse() const override { return m_pop.SaslInitialResponse; }
    Answer send(const std::string &Line) override
    {
        const int code = m_pop.command(Line);
        const std::string &reply = m_pop.LastReply();
        // A challenge is "+ ..." (or a bare "+"), never "+OK".
        if (startsWith(reply, "+") && !startsWith(reply, "+OK"))
            return {Answer::Kind::Challenge, reply.substr(1)};
        return {code == 1 ? Answer::Kind::Accepted : Answer::Kind::Refused, reply};
    }

private:
    TmsCustomPOP &m_pop;
};

void TmsCustomPOP::signIn()
{
    if (!m_capabilitiesAsked)
        ReadCapabilities();
    AuthDialogue dialogue(*this);
    signInWithListed(dialogue, sasl::mechanismNames(m_capabilities.arguments("SASL")), [this] { signInWithUserPass(); });
}

void TmsCustomPOP::signInWithUserPass()
{
    m_signInMechanism = "USER/PASS";
    // Only a refusal of these two says something about the account.
    requirePasswordAccepted(command("USER " + UserName));
    requirePasswordAccepted(command("PASS " + Password));
}

} // namespace tw

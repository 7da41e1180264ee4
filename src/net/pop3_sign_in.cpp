// How a POP3 session signs in once the connection is as secure as it will
// get: the access token fetched before connecting, the downgrade protection
// that keeps a password or token off an unencrypted connection, and the AUTH
// dialogue (RFC 5034) around the SASL mechanisms of sasl.h, with USER and
// PASS for servers that list none.
#include "net/mspop3.h"

#include "net/errors.h"
#include "platform/bytes.h"

namespace tw {

namespace {

using sasl::Mechanism;

std::string secretName(TSignInMethod method) { return signsInWithToken(method) ? "access token" : "password"; }

// The host part of a Server text, for OAUTHBEARER's host field.
std::string hostPart(const std::string &server)
{
    if (startsWith(server, "[")) {
        const size_t close = server.find(']');
        return close == std::string::npos ? server : server.substr(1, close - 1);
    }
    const size_t colon = server.find(':');
    if (colon != std::string::npos && server.find(':', colon + 1) == std::string::npos)
        return server.substr(0, colon);
    return server;
}

} // namespace

void TmsCustomPOP::obtainAccessToken()
{
    m_accessToken.clear();
    if (!signsInWithToken(SignIn))
        return;
    if (!OnAccessToken)
        failSignIn("There is no way to sign in to this mailbox with a token.");
    try {
        m_accessToken = OnAccessToken(this);
    } catch (const ESignInExpiredError &error) {
        failSignIn(error.what(), true);
    } catch (const ESignInError &error) {
        failSignIn(error.what());
    } catch (const ECanceledError &) {
        raiseCanceled(); // reported as every cancel is
    }
    if (Canceled())
        raiseCanceled();
    if (m_accessToken.empty())
        failSignIn("No access token was found to sign in with.");
}

void TmsCustomPOP::failSignIn(const std::string &Text, bool expired)
{
    std::string text = Text;
    if (OnError)
        OnError(this, text);
    Close();
    if (expired)
        throw ESignInExpiredError(text);
    throw ESignInError(text);
}

void TmsCustomPOP::guardUnencryptedSignIn()
{
    if (IsEncrypted())
        return;
    const std::string secret = secretName(SignIn);
    if (Security == TPop3Security::TLS || Security == TPop3Security::STARTTLS)
        Fail("The connection is not encrypted; the " + secret + " was not sent."); // the steps before stop first
    if (Security == TPop3Security::Automatic) {
        if (EncryptedBefore || !normalizedFingerprint(TrustedFingerprint).empty())
            failSignIn("The server offers no encryption, but this mailbox's connection was encrypted before, so the " +
                 secret +
                 " was not sent: someone may be interfering with the connection. If your provider really no longer "
                 "offers encryption, choose \"None\" as this mailbox's security.");
        std::string refusal;
        if (!OnPlainTextSignIn || !OnPlainTextSignIn(this, refusal))
            failSignIn(refusal.empty() ? "The server offers no encryption; the " + secret + " was not sent." : refusal);
    }
    fire(OnUnencryptedSignIn);
}

void TmsCustomPOP::signIn()
{
    if (!m_capabilitiesAsked)
        ReadCapabilities();
    const std::vector<std::string> listed = sasl::mechanismNames(m_capabilities.arguments("SASL"));
    if (signsInWithToken(SignIn)) {
        const Mechanism mechanism = sasl::tokenMechanism(listed);
        if (mechanism == Mechanism::None)
            failSignIn("The server does not offer a sign-in with an access token (XOAUTH2 or OAUTHBEARER). "
                       "Choose \"Password\" as this mailbox's sign-in, or ask your provider.");
        guardUnencryptedSignIn();
        signInWithToken(mechanism);
        return;
    }
    const Mechanism mechanism = sasl::passwordMechanism(listed);
    guardUnencryptedSignIn();
    switch (mechanism) {
    case Mechanism::ScramSha256:
    case Mechanism::ScramSha1: signInWithScram(mechanism); break;
    case Mechanism::Plain: signInWithPlain(); break;
    default: signInWithUserPass(); break;
    }
}

void TmsCustomPOP::signInWithUserPass()
{
    m_signInMechanism = "USER/PASS";
    // Only a refusal of these two says something about the account.
    requirePasswordAccepted(command("USER " + UserName));
    requirePasswordAccepted(command("PASS " + Password));
}

bool TmsCustomPOP::challengeReceived() const
{
    return startsWith(LastReply(), "+") && !startsWith(LastReply(), "+OK");
}

int TmsCustomPOP::startAuth(Mechanism mechanism, const std::string &firstResponse)
{
    m_signInMechanism = sasl::mechanismName(mechanism);
    const std::string command = std::string("AUTH ") + m_signInMechanism;
    const std::string response = sasl::toBase64(firstResponse);
    if (SaslInitialResponse)
        return this->command(command + " " + (response.empty() ? "=" : response));
    const int code = this->command(command);
    if (!challengeReceived())
        return code; // the mechanism itself was refused
    return this->command(response);
}

void TmsCustomPOP::abandonAuth(const std::string &text)
{
    command("*");
    failSignIn(text);
}

void TmsCustomPOP::signInWithPlain()
{
    const int code = startAuth(Mechanism::Plain, sasl::plainResponse(UserName, Password));
    if (challengeReceived())
        abandonAuth("The server asked more of a PLAIN sign-in than PLAIN has to give.");
    requirePasswordAccepted(code);
}

void TmsCustomPOP::signInWithScram(Mechanism mechanism)
{
    // A refusal is a wrong password; a success before the server has proved
    // that it knows the password leaves the server unproven.
    const auto requireChallenge = [this](int code) {
        if (challengeReceived())
            return;
        if (code == 1)
            failSignIn("The server accepted the SCRAM sign-in without proving that it knows the password; "
                       "the session was not used.");
        requirePasswordAccepted(code);
    };
    sasl::ScramClient scram(mechanism, UserName, Password);
    requireChallenge(startAuth(mechanism, scram.clientFirst()));
    const auto serverFirst = sasl::fromBase64(trimmed(LastReply().substr(1)));
    const auto clientFinal = serverFirst ? scram.clientFinal(*serverFirst) : std::nullopt;
    if (!clientFinal)
        abandonAuth("The server's SCRAM sign-in could not be completed: " +
                    (serverFirst ? scram.error() : std::string("its message is not base64")) + ".");
    requireChallenge(command(sasl::toBase64(*clientFinal)));
    const auto serverFinal = sasl::fromBase64(trimmed(LastReply().substr(1)));
    if (!serverFinal || !scram.verifyServerFinal(*serverFinal))
        abandonAuth("The server's SCRAM sign-in failed: " +
                    (serverFinal ? scram.error() : std::string("its last message is not base64")) + ".");
    requirePasswordAccepted(command(""));
}

void TmsCustomPOP::signInWithToken(Mechanism mechanism)
{
    const std::string response = mechanism == Mechanism::XOAuth2
                                     ? sasl::xoauth2Response(UserName, m_accessToken)
                                     : sasl::oauthBearerResponse(UserName, hostPart(Server), Port(), m_accessToken);
    const int code = startAuth(mechanism, response);
    if (code == 1 && !challengeReceived())
        return;
    std::string detail;
    if (challengeReceived()) {
        // The server says why in a JSON challenge; the exchange must still be
        // ended before its failure reply comes.
        detail = sasl::fromBase64(trimmed(LastReply().substr(1))).value_or(std::string());
        command(mechanism == Mechanism::XOAuth2 ? std::string() : sasl::toBase64(sasl::oauthBearerErrorAck()));
    }
    const std::string reply = LastReply();
    failSignIn("The server did not accept the sign-in of " + UserName + ": sign in again. (" +
               (reply.empty() ? std::string("no reply") : reply) + (detail.empty() ? "" : " " + detail) + ")");
}

} // namespace tw

// How every mail protocol client signs in once the connection is as secure
// as it will get: the access token fetched before connecting, the downgrade
// protection that keeps a password or token off an unencrypted connection,
// and the SASL exchanges of sasl.h, which each protocol carries in its own
// commands through a TSaslDialogue.
#include "net/msmailbase.h"

#include "net/errors.h"
#include "net/mail_providers.h"
#include "platform/bytes.h"

namespace tw {

namespace {

using sasl::Mechanism;
using Answer = TSaslDialogue::Answer;

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

std::optional<std::string> challengeBytes(const Answer &answer) { return sasl::fromBase64(trimmed(answer.text)); }

} // namespace

TSaslDialogue::Answer TSaslDialogue::start(const char *Mechanism, const std::string &FirstResponse)
{
    const std::string command = startCommand(Mechanism);
    const std::string response = sasl::toBase64(FirstResponse);
    if (initialResponse())
        return send(command + " " + (response.empty() ? "=" : response));
    const Answer answer = send(command);
    if (answer.kind != Answer::Kind::Challenge)
        return answer; // the mechanism itself was refused
    return send(response);
}

TSaslDialogue::Answer TSaslDialogue::respond(const std::string &Response) { return send(sasl::toBase64(Response)); }

std::string TmsMailBase::secretName() const { return signsInWithToken(SignIn) ? "access token" : "password"; }

void TmsMailBase::obtainAccessToken()
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

void TmsMailBase::failSignIn(const std::string &Text, bool Expired)
{
    std::string text = Text;
    if (OnError)
        OnError(this, text);
    Close();
    if (Expired)
        throw ESignInExpiredError(text);
    throw ESignInError(text);
}

void TmsMailBase::guardUnencryptedSignIn()
{
    if (IsEncrypted())
        return;
    const std::string secret = secretName();
    if (Security == TMailSecurity::TLS || Security == TMailSecurity::STARTTLS)
        Fail("The connection is not encrypted; the " + secret + " was not sent."); // the steps before stop first
    if (Security == TMailSecurity::Automatic) {
        if (EncryptedBefore || !normalizedFingerprint(TrustedFingerprint).empty())
            failSignIn("The server offers no encryption, but this mailbox's connection was encrypted before, so the " +
                       secret +
                       " was not sent: someone may be interfering with the connection. If your provider really no "
                       "longer offers encryption, choose \"None\" as this mailbox's security.");
        std::string refusal;
        if (!OnPlainTextSignIn || !OnPlainTextSignIn(this, refusal))
            failSignIn(refusal.empty() ? "The server offers no encryption; the " + secret + " was not sent." : refusal);
    }
    fire(OnUnencryptedSignIn);
}

void TmsMailBase::requirePasswordAccepted(const Answer &answer)
{
    switch (answer.kind) {
    case Answer::Kind::Accepted: return;
    case Answer::Kind::Failed: throw EServerError(answer.text);
    default: throw ELoginRefusedError(answer.text); // only this says something about the account
    }
}

void TmsMailBase::signInWithListed(TSaslDialogue &Dialogue, const std::vector<std::string> &Listed,
                                   const std::function<void()> &OwnCommands)
{
    if (signsInWithToken(SignIn)) {
        Mechanism mechanism = sasl::tokenMechanism(Listed);
        if (mechanism == Mechanism::None && (TokenWithoutListing || takesUnlistedToken(Server))) {
            // Nothing the server said asks for the token, so nothing may
            // let it go out in clear either.
            if (!IsEncrypted())
                failSignIn("This server takes an access token without offering it, and Tidewell sends one that "
                           "way only over an encrypted connection; the access token was not sent. Choose \"TLS\" "
                           "as this mailbox's security.");
            mechanism = Mechanism::XOAuth2;
        }
        if (mechanism == Mechanism::None)
            failSignIn("The server does not offer a sign-in with an access token (XOAUTH2 or OAUTHBEARER). "
                       "Choose \"Password\" as this mailbox's sign-in, or ask your provider.");
        guardUnencryptedSignIn();
        signInWithSasl(Dialogue, mechanism);
        return;
    }
    const Mechanism mechanism = sasl::passwordMechanism(Listed);
    guardUnencryptedSignIn();
    if (mechanism == Mechanism::None)
        OwnCommands();
    else
        signInWithSasl(Dialogue, mechanism);
}

void TmsMailBase::signInWithSasl(TSaslDialogue &Dialogue, Mechanism Mechanism)
{
    m_signInMechanism = sasl::mechanismName(Mechanism);
    switch (Mechanism) {
    case Mechanism::ScramSha256:
    case Mechanism::ScramSha1: signInWithScram(Dialogue, Mechanism); break;
    case Mechanism::Plain: signInWithPlain(Dialogue); break;
    case Mechanism::XOAuth2:
    case Mechanism::OAuthBearer: signInWithToken(Dialogue, Mechanism); break;
    case Mechanism::None: break;
    }
}

void TmsMailBase::signInWithPlain(TSaslDialogue &Dialogue)
{
    const Answer answer = Dialogue.start(sasl::mechanismName(Mechanism::Plain), sasl::plainResponse(UserName, Password));
    if (answer.kind == Answer::Kind::Challenge) {
        Dialogue.abandon();
        failSignIn("The server asked more of a PLAIN sign-in than PLAIN has to give.");
    }
    requirePasswordAccepted(answer);
}

void TmsMailBase::signInWithScram(TSaslDialogue &Dialogue, Mechanism Mechanism)
{
    // A refusal is a wrong password; a success before the server has proved
    // that it knows the password leaves the server unproven.
    const auto requireChallenge = [this](const Answer &answer) {
        if (answer.kind == Answer::Kind::Challenge)
            return;
        if (answer.kind == Answer::Kind::Accepted)
            failSignIn("The server accepted the SCRAM sign-in without proving that it knows the password; "
                       "the session was not used.");
        requirePasswordAccepted(answer);
    };
    const auto abandon = [&](const std::string &text) {
        Dialogue.abandon();
        failSignIn(text);
    };
    sasl::ScramClient scram(Mechanism, UserName, Password);
    Answer answer = Dialogue.start(sasl::mechanismName(Mechanism), scram.clientFirst());
    requireChallenge(answer);
    const auto serverFirst = challengeBytes(answer);
    const auto clientFinal = serverFirst ? scram.clientFinal(*serverFirst) : std::nullopt;
    if (!clientFinal)
        abandon("The server's SCRAM sign-in could not be completed: " +
                (serverFirst ? scram.error() : std::string("its message is not base64")) + ".");
    answer = Dialogue.respond(*clientFinal);
    requireChallenge(answer);
    const auto serverFinal = challengeBytes(answer);
    if (!serverFinal || !scram.verifyServerFinal(*serverFinal))
        abandon("The server's SCRAM sign-in failed: " +
                (serverFinal ? scram.error() : std::string("its last message is not base64")) + ".");
    requirePasswordAccepted(Dialogue.respond(""));
}

void TmsMailBase::signInWithToken(TSaslDialogue &Dialogue, Mechanism Mechanism)
{
    const std::string response = Mechanism == Mechanism::XOAuth2
                                     ? sasl::xoauth2Response(UserName, m_accessToken)
                                     : sasl::oauthBearerResponse(UserName, hostPart(Server), Port(), m_accessToken);
    Answer answer = Dialogue.start(sasl::mechanismName(Mechanism), response);
    if (answer.kind == Answer::Kind::Accepted)
        return;
    std::string detail;
    if (answer.kind == Answer::Kind::Challenge) {
        // The server says why in a JSON challenge; the exchange must still be
        // ended before its failure reply comes.
        detail = challengeBytes(answer).value_or(std::string());
        answer = Dialogue.respond(Mechanism == Mechanism::XOAuth2 ? std::string() : sasl::oauthBearerErrorAck());
    }
    const std::string &reply = answer.text;
    failSignIn("The server did not accept the sign-in of " + UserName + ": sign in again. (" +
               (reply.empty() ? std::string("no reply") : reply) + (detail.empty() ? "" : " " + detail) + ")");
}

} // namespace tw

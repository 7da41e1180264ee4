#pragma once
// SASL mechanisms as small pure functions: what a client sends to sign in
// with a password (PLAIN, SCRAM-SHA-1, SCRAM-SHA-256) or with an OAuth2
// access token (XOAUTH2, OAUTHBEARER), and which of them to use when a
// server lists its mechanisms. Nothing here talks to a server; each
// protocol wraps these exchanges in its own commands (POP3: AUTH).
//
// Responses are the raw bytes of one SASL message; the protocol sends them
// base64-encoded.

#include <optional>
#include <string>
#include <vector>

namespace tw::sasl {

enum class Mechanism { None, Plain, ScramSha1, ScramSha256, XOAuth2, OAuthBearer };

// The mechanism's name as servers list it ("SCRAM-SHA-256"); "" for None.
const char *mechanismName(Mechanism mechanism);

// The mechanism names of a SASL capability's arguments ("PLAIN SCRAM-SHA-256
// XOAUTH2"), upper-cased, read token by token: blanks and tabs separate
// them, and a CR or LF ends the list (a line end left on the text is never
// part of the last name).
std::vector<std::string> mechanismNames(const std::string &arguments);

// The strongest listed mechanism that signs in with a password:
// SCRAM-SHA-256, then SCRAM-SHA-1, then PLAIN; None when the server lists
// none of them (the protocol's own password commands are used then).
Mechanism passwordMechanism(const std::vector<std::string> &listed);
// The listed mechanism that signs in with an access token: XOAUTH2 (the one
// the large providers document for POP3), else OAUTHBEARER; None when
// neither is listed.
Mechanism tokenMechanism(const std::vector<std::string> &listed);

// PLAIN (RFC 4616) without an authorization identity: NUL user NUL password.
std::string plainResponse(const std::string &user, const std::string &password);
// XOAUTH2: "user=" user ^A "auth=Bearer " token ^A ^A.
std::string xoauth2Response(const std::string &user, const std::string &token);
// OAUTHBEARER (RFC 7628): the GS2 header naming the user, host and port,
// and the bearer token: "n,a=user,^Ahost=H^Aport=P^Aauth=Bearer T^A^A".
std::string oauthBearerResponse(const std::string &user, const std::string &host, int port,
                                const std::string &token);
// What a client answers to an OAUTHBEARER error challenge (RFC 7628 3.2.3):
// a single ^A, after which the server ends the exchange with a failure.
std::string oauthBearerErrorAck();

std::string toBase64(const std::string &bytes);
// Nothing when Text is not valid base64 (blanks are not allowed).
std::optional<std::string> fromBase64(const std::string &text);

// The client side of SCRAM (RFC 5802, RFC 7677) with SHA-1 or SHA-256,
// without channel binding. Use: clientFirst(), then clientFinal() with the
// server's first message, then verifyServerFinal() with its last one. Each
// step that meets a message it cannot accept returns nothing and leaves the
// reason in error().
class ScramClient {
public:
    // Nonce: the client nonce (printable, no ","); empty draws a random one.
    ScramClient(Mechanism mechanism, const std::string &user, const std::string &password,
                const std::string &nonce = {});

    std::string clientFirst() const;
    // The proof for ServerFirst ("r=...,s=...,i=..."). Refused: a nonce that
    // does not extend the client's, a salt that is not base64, an iteration
    // count below 1 or above MaxIterations, a mandatory extension, or an
    // "e=" error from the server.
    std::optional<std::string> clientFinal(const std::string &serverFirst);
    // True when ServerFinal carries the signature that only a server that
    // knows the password can make ("v=..."); false for anything else, "e="
    // errors included.
    bool verifyServerFinal(const std::string &serverFinal);

    const std::string &error() const { return m_error; }

    // Far above what servers use (4096 is usual), low enough that a hostile
    // server cannot hold up the window with one login (about 0.3 s of
    // SHA-256 here).
    static constexpr int MaxIterations = 100000;

private:
    std::string hmac(const std::string &key, const std::string &message) const;
    std::string hash(const std::string &message) const;

    Mechanism m_mechanism;
    std::string m_user;
    std::string m_password;
    std::string m_nonce;
    std::string m_authMessage;
    std::string m_saltedPassword;
    std::string m_error;
};

} // namespace tw::sasl

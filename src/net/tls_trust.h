#pragma once
// A server certificate that did not verify, as the user is shown it when
// asked whether to trust it, and the fingerprint form in which such trust is
// kept: the SHA-256 digest of the certificate as 64 upper-case hexadecimal
// digits.

#include <functional>
#include <string>

class QObject;

namespace tw {

struct TCertificateProblem {
    std::string host;                // the server name the certificate was checked against
    std::string subject;             // distinguished names, "CN=..., O=..."
    std::string issuer;
    std::string validFrom, validTo;  // "yyyy-MM-dd HH:mm UTC"
    std::string reason;              // why it did not verify, in the platform's words
    std::string fingerprint;         // SHA-256, 64 upper-case hexadecimal digits
    bool changed = false;            // another certificate had been trusted for this server
};

// Asked when a certificate does not verify; true accepts it for this
// connection, false refuses it.
using TCertificateEvent = std::function<bool(QObject *Sender, const TCertificateProblem &Problem)>;

// Text in canonical fingerprint form: blanks and colons dropped, upper case.
// "" when what is left is not 64 hexadecimal digits.
std::string normalizedFingerprint(const std::string &text);

// A fingerprint written in pairs separated by colons, for reading aloud.
std::string groupedFingerprint(const std::string &fingerprint);

// Why a TLS handshake that the server answered failed, read from the
// platform's error text (OpenSSL's reason words).
enum class TTlsHandshakeFailure {
    NotTls,          // what came back is no TLS at all: a port for unencrypted POP3
    NoCommonVersion, // the two sides accept no common TLS version
    Other,           // anything else: no common cipher, a broken message, an alert
};
TTlsHandshakeFailure classifyHandshakeFailure(const std::string &platformText);

} // namespace tw

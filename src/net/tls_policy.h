#pragma once
// The TLS that a connection accepts: TLS 1.2 or later. In TLS 1.2 only the
// suites with forward secrecy (an ephemeral ECDHE or DHE key exchange) and
// authenticated encryption (AES-GCM, AES-CCM, ChaCha20-Poly1305); every
// TLS 1.3 suite, as all of them have both. Suites with a static RSA key
// exchange, CBC with SHA-1 or SHA-2, anonymous or pre-shared-key suites are
// refused, so a server that offers only those fails the handshake.

#include <QSslCipher>
#include <QSslConfiguration>

namespace tw {

bool isAcceptedCipher(const QSslCipher &cipher);

// Configuration limited to TLS 1.2 or later and the accepted suites.
QSslConfiguration withTlsPolicy(QSslConfiguration configuration);

} // namespace tw

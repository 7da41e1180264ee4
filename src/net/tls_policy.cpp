#include "net/tls_policy.h"

namespace tw {

bool isAcceptedCipher(const QSslCipher &cipher)
{
    if (cipher.isNull())
        return false;
    if (cipher.protocol() == QSsl::TlsV1_3)
        return true;
    if (cipher.protocol() != QSsl::TlsV1_2)
        return false;
    const QString exchange = cipher.keyExchangeMethod();
    const QString authentication = cipher.authenticationMethod();
    const QString encryption = cipher.encryptionMethod();
    const bool forwardSecret = exchange == QLatin1String("ECDH") || exchange == QLatin1String("DH");
    const bool authenticated = authentication == QLatin1String("RSA") || authentication == QLatin1String("ECDSA");
    const bool aead = encryption.startsWith(QLatin1String("AESGCM")) || encryption.startsWith(QLatin1String("AESCCM")) ||
                      encryption.startsWith(QLatin1String("CHACHA20/POLY1305"));
    return forwardSecret && authenticated && aead;
}

QSslConfiguration withTlsPolicy(QSslConfiguration configuration)
{
    QList<QSslCipher> accepted;
    for (const QSslCipher &cipher : QSslConfiguration::supportedCiphers())
        if (isAcceptedCipher(cipher))
            accepted.append(cipher);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setCiphers(accepted);
    return configuration;
}

} // namespace tw

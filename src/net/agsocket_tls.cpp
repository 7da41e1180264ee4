// The TLS side of the transport: the handshake on a connected socket, the
// decision on a certificate that does not verify, and the short waits that
// tell a TLS port from a plain one within seconds instead of the time-out.
#include "net/agsocket.h"

#include "net/errors.h"
#include "net/tls_policy.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <algorithm>

namespace tw {

namespace {

// Shortens the time-out counter for one wait and restores it afterwards.
class ShorterTimeOut {
public:
    ShorterTimeOut(TTimeCounter &counter, int seconds) : m_counter(counter), m_saved(counter.TimeOut)
    {
        m_counter.TimeOut = std::max(1, std::min(seconds, m_saved));
    }
    ~ShorterTimeOut() { m_counter.TimeOut = m_saved; }
    ShorterTimeOut(const ShorterTimeOut &) = delete;
    ShorterTimeOut &operator=(const ShorterTimeOut &) = delete;

private:
    TTimeCounter &m_counter;
    int m_saved;
};

std::string distinguishedName(const QSslCertificate &certificate, bool issuer)
{
    const auto attributes = issuer ? certificate.issuerInfoAttributes() : certificate.subjectInfoAttributes();
    std::string text;
    for (const QByteArray &attribute : attributes) {
        const QStringList values = issuer ? certificate.issuerInfo(attribute) : certificate.subjectInfo(attribute);
        for (const QString &value : values) {
            if (!text.empty())
                text += ", ";
            text += attribute.toStdString() + "=" + value.toStdString();
        }
    }
    return text;
}

std::string utcText(const QDateTime &when)
{
    return when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString() + " UTC";
}

std::string fingerprintOf(const QSslCertificate &certificate)
{
    return certificate.digest(QCryptographicHash::Sha256).toHex().toUpper().toStdString();
}

TCertificateProblem describe(const QSslCertificate &certificate, const QList<QSslError> &errors)
{
    TCertificateProblem problem;
    problem.subject = distinguishedName(certificate, false);
    problem.issuer = distinguishedName(certificate, true);
    problem.validFrom = utcText(certificate.effectiveDate());
    problem.validTo = utcText(certificate.expiryDate());
    problem.fingerprint = fingerprintOf(certificate);
    for (const QSslError &error : errors) {
        const std::string text = error.errorString().toStdString();
        if (problem.reason.find(text) != std::string::npos)
            continue;
        if (!problem.reason.empty())
            problem.reason += "; ";
        problem.reason += text;
    }
    return problem;
}

} // namespace

bool TagSocket::IsEncrypted() const { return m_socket && m_socket->isEncrypted(); }

void TagSocket::Fail(const std::string &Text, TFailure Kind)
{
    m_counter.Stop();
    std::string text = Text;
    if (OnError)
        OnError(this, text);
    Close();
    switch (Kind) {
    case TFailure::Tls: throw ETlsError(text);
    case TFailure::Certificate: throw ECertificateError(text);
    case TFailure::Socket: break;
    }
    throw ESocketError(text);
}

bool TagSocket::WaitForIncoming(int Seconds)
{
    requireConnected();
    {
        ShorterTimeOut limit(m_counter, Seconds);
        waitFor([this] { return !m_socket || hasIncoming() || m_closeSeen; });
    }
    if (m_canceled)
        raiseCanceled();
    if (m_socket && hasIncoming())
        return true;
    if (m_counter.TimedOut()) {
        m_counter.ResetTimedOut(); // the short wait is the caller's to report
        return false;
    }
    if (m_errorSeen)
        ReportError(m_errorCode);
    return true; // the peer closed: the read that follows says so
}

bool TagSocket::acceptCertificate(TCertificateProblem &problem)
{
    const QSslCertificate certificate = m_socket->peerCertificate();
    const std::string trusted = normalizedFingerprint(TrustedFingerprint);
    if (!certificate.isNull() && !trusted.empty() && fingerprintOf(certificate) == trusted)
        return true;
    problem = describe(certificate, m_socket->sslHandshakeErrors());
    problem.host = m_hostName;
    problem.changed = !trusted.empty();
    if (certificate.isNull() || !OnCertificateUntrusted)
        return false;
    // The question may take the user a while; no counter runs meanwhile.
    if (!OnCertificateUntrusted(this, problem) || !m_socket)
        return false;
    TrustedFingerprint = problem.fingerprint;
    return true;
}

void TagSocket::StartTls(const std::string &NoAnswerText, const std::string &UnexpectedDataText)
{
    requireConnected();
    if (m_socket->isEncrypted())
        return;
    // Bytes that came after the reply that opened the way to TLS would be
    // read as if they had come through it.
    if (hasIncoming())
        Fail(UnexpectedDataText, TFailure::Tls);
    m_encryptedSeen = false;
    m_certificateErrorsSeen = false;
    connect(m_socket, &QSslSocket::encrypted, this, [this] { m_encryptedSeen = true; });
    connect(m_socket, &QSslSocket::sslErrors, this, [this] { m_certificateErrorsSeen = true; });
    m_socket->setSslConfiguration(withTlsPolicy(m_socket->sslConfiguration()));
    // A certificate that does not verify holds the handshake until the
    // question about it has been answered.
    m_socket->setPauseMode(QAbstractSocket::PauseOnSslErrors);
    m_socket->setPeerVerifyMode(QSslSocket::VerifyPeer);
    m_socket->setPeerVerifyName(QString::fromStdString(m_hostName));
    m_socket->startClientEncryption();

    for (;;) {
        {
            ShorterTimeOut limit(m_counter, HandshakeTimeOut);
            waitFor([this] { return m_encryptedSeen || m_certificateErrorsSeen || !m_socket || m_closeSeen; });
        }
        if (m_canceled)
            raiseCanceled();
        if (m_encryptedSeen && m_socket)
            return;
        if (!m_certificateErrorsSeen || !m_socket)
            break;
        m_certificateErrorsSeen = false;
        TCertificateProblem problem;
        if (!acceptCertificate(problem)) {
            if (m_canceled)
                raiseCanceled();
            const std::string where = problem.host.empty() ? std::string("the server") : problem.host;
            Fail(problem.changed
                     ? "The check stopped: the certificate of " + where +
                           " has changed since it was trusted for this mailbox, and the new one was not accepted (" +
                           problem.reason + "). Nothing was sent to the server."
                     : "The check stopped because the certificate of " + where + " was not trusted (" +
                           problem.reason + "). Nothing was sent to the server.",
                 TFailure::Certificate);
        }
        m_socket->ignoreSslErrors();
        m_socket->resume();
    }

    std::string detail = m_errorSeen ? m_platformErrorText : std::string();
    if (!detail.empty()) {
        // The server answered, and what it said tells why.
        switch (classifyHandshakeFailure(detail)) {
        case TTlsHandshakeFailure::NoCommonVersion:
            Fail("The server and Tidewell have no TLS version in common; Tidewell accepts TLS 1.2 and newer (" +
                     detail + "). Nothing was sent to the server.",
                 TFailure::Tls);
        case TTlsHandshakeFailure::Other:
            Fail("The TLS handshake with the server failed (" + detail + "). Nothing was sent to the server.",
                 TFailure::Tls);
        case TTlsHandshakeFailure::NotTls: break;
        }
    } else if (m_counter.TimedOut()) {
        detail = "no answer within " + std::to_string(std::min(HandshakeTimeOut, TimeOut())) + " seconds";
    } else {
        detail = "the server closed the connection";
    }
    Fail(NoAnswerText + " (" + detail + ")", TFailure::Tls);
}

} // namespace tw

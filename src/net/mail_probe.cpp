#include "net/mail_probe.h"

#include "net/tls_policy.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"

#include <QSslSocket>
#include <QTimer>
#include <optional>
#include <vector>

namespace tw {

namespace {

// A greeting or capability line longer than this is no mail server's.
constexpr qint64 kMaxLineBytes = 4096;
// Lines read in answer to CAPABILITY or CAPA, at most.
constexpr int kMaxCapabilityLines = 64;

class ProbeConnection {
public:
    ProbeConnection(const TProbeTarget &target, int timeOutSeconds) : m_target(target)
    {
        m_deadline.setSingleShot(true);
        m_deadline.start(timeOutSeconds * 1000);
        m_socket.setSslConfiguration(withTlsPolicy(m_socket.sslConfiguration()));
        // Only whether a server speaks here is asked; its certificate is
        // checked by the session that signs in.
        QObject::connect(&m_socket, &QSslSocket::sslErrors, &m_socket, [this] { m_socket.ignoreSslErrors(); });
    }
    ~ProbeConnection() { m_socket.abort(); }

    bool connect()
    {
        const QString address = QString::fromStdString(m_target.address);
        if (m_target.implicitTls) {
            m_socket.connectToHostEncrypted(address, m_target.port, QString::fromStdString(m_target.host));
            return waitFor([this] { return m_socket.isEncrypted(); });
        }
        m_socket.connectToHost(address, m_target.port);
        return waitFor([this] { return m_socket.state() == QAbstractSocket::ConnectedState; });
    }

    std::optional<std::string> readLine()
    {
        if (!waitFor([this] { return m_socket.canReadLine() || m_socket.bytesAvailable() > kMaxLineBytes; }))
            return std::nullopt;
        if (!m_socket.canReadLine())
            return std::nullopt;
        const QByteArray line = m_socket.readLine(kMaxLineBytes + 1);
        return trimmedRight(line.toStdString());
    }

    bool sendLine(const std::string &line)
    {
        const std::string data = line + "\r\n";
        return m_socket.write(data.data(), qint64(data.size())) == qint64(data.size());
    }

private:
    // Waits until Done, the connection ends or the time is up; true for Done.
    template <class Done> bool waitFor(Done done)
    {
        waitUntil([&] {
            return done() || !m_deadline.isActive() || m_socket.state() == QAbstractSocket::UnconnectedState;
        });
        return done();
    }

    TProbeTarget m_target;
    QSslSocket m_socket;
    QTimer m_deadline;
};

bool hasWord(const std::string &text, const std::string &word)
{
    std::string current;
    for (const char c : text + " ") {
        if (c == ' ' || c == '[' || c == ']' || c == '\t') {
            if (sameText(current, word))
                return true;
            current.clear();
        } else {
            current += c;
        }
    }
    return false;
}

// IMAP: "* OK" or "* PREAUTH"; STARTTLS from the greeting's capabilities,
// else from CAPABILITY.
std::optional<bool> imapOffersStartTls(ProbeConnection &connection, const std::string &greeting)
{
    if (!startsWith(greeting, "* OK") && !startsWith(greeting, "* PREAUTH"))
        return std::nullopt;
    const size_t listed = findText(greeting, "[CAPABILITY ");
    if (listed != std::string::npos)
        return hasWord(greeting.substr(listed, greeting.find(']', listed) - listed), "STARTTLS");
    if (!connection.sendLine("a1 CAPABILITY"))
        return false;
    bool offered = false;
    for (int i = 0; i < kMaxCapabilityLines; ++i) {
        const auto line = connection.readLine();
        if (!line || startsWith(*line, "a1 "))
            break;
        if (startsWith(*line, "* CAPABILITY ") && hasWord(*line, "STARTTLS"))
            offered = true;
    }
    return offered;
}

// POP3: "+OK"; STARTTLS (STLS) from CAPA.
std::optional<bool> pop3OffersStartTls(ProbeConnection &connection, const std::string &greeting)
{
    if (!startsWith(greeting, "+OK"))
        return std::nullopt;
    if (!connection.sendLine("CAPA"))
        return false;
    const auto status = connection.readLine();
    if (!status || !startsWith(*status, "+OK"))
        return false;
    bool offered = false;
    for (int i = 0; i < kMaxCapabilityLines; ++i) {
        const auto line = connection.readLine();
        if (!line || *line == ".")
            break;
        if (sameText(trimmed(*line), "STLS"))
            offered = true;
    }
    return offered;
}

} // namespace

TProbeOutcome probeMailServer(const TProbeTarget &target, int timeOutSeconds)
{
    ProbeConnection connection(target, timeOutSeconds);
    if (!connection.connect())
        return TProbeOutcome::NoServer;
    const auto greeting = connection.readLine();
    if (!greeting)
        return TProbeOutcome::NoServer;
    if (target.implicitTls) {
        const bool greets = target.protocol == TMailProtocol::IMAP
                                ? startsWith(*greeting, "* OK") || startsWith(*greeting, "* PREAUTH")
                                : startsWith(*greeting, "+OK");
        return greets ? TProbeOutcome::Tls : TProbeOutcome::NoServer;
    }
    const std::optional<bool> startTls = target.protocol == TMailProtocol::IMAP
                                             ? imapOffersStartTls(connection, *greeting)
                                             : pop3OffersStartTls(connection, *greeting);
    if (!startTls)
        return TProbeOutcome::NoServer;
    return *startTls ? TProbeOutcome::StartTls : TProbeOutcome::Unencrypted;
}

} // namespace tw

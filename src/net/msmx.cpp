#include "net/msmx.h"

#include "net/agwinsock.h"
#include "net/dns_server_choice.h"
#include "net/errors.h"
#include "net/msmx_message.h"
#include "net/stringtable.h"
#include "platform/event_wait.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QUdpSocket>

namespace tw {

namespace {

// The largest datagram UDP can carry: a reply is always read whole.
constexpr qint64 kMaxDatagram = 65535;

std::string platformText(const QUdpSocket &socket) { return socket.errorString().toStdString(); }

} // namespace

TmsMXResolver::TmsMXResolver()
{
    TagWinsock &winsock = TagWinsock::instance();
    if (!winsock.Loaded())
        winsock.Load();
    if (!winsock.WSAStartup())
        throw ESocketError(loadStr(57003));
}

TmsMXResolver::~TmsMXResolver() { TagWinsock::instance().WSACleanup(); }

void TmsMXResolver::fire(const TNotifyEvent &event)
{
    if (event)
        event(*this);
}

void TmsMXResolver::Cancel() { m_canceled = true; }

void TmsMXResolver::Resolve()
{
    MXList.Clear();
    uint16_t id = 0;
    const std::string reply = ask(Domain, kDnsTypeMX, id);
    parseMXReply(reply, id, MXList);
    MXList.Sort();
}

void TmsMXResolver::ResolveSRV(const std::string &Name)
{
    SRVList.clear();
    uint16_t id = 0;
    const std::string reply = ask(Name, kDnsTypeSRV, id);
    parseSRVReply(reply, id, SRVList);
}

void TmsMXResolver::ResolveAddresses(const std::string &Name)
{
    Addresses.clear();
    uint16_t id = 0;
    const std::string reply = ask(Name, kDnsTypeA, id);
    parseAddressReply(reply, id, Addresses);
}

std::string TmsMXResolver::ask(const std::string &name, uint16_t type, uint16_t &id)
{
    m_canceled = false;
    m_counter.ResetTimedOut();
    fire(OnSendingQuery);

    QUdpSocket socket;
    openSocket(socket);
    std::string reply;
    try {
        // A random ID per query: a forged reply has to guess it.
        id = static_cast<uint16_t>(QRandomGenerator::system()->bounded(0x10000));
        sendQuery(socket, buildQuery(id, name, type));
        fire(OnWaitingForResponse);
        reply = receiveReply(socket);
    } catch (...) {
        closeSocket(socket);
        throw;
    }
    closeSocket(socket);
    return reply;
}

void TmsMXResolver::openSocket(QUdpSocket &socket)
{
    QHostAddress server;
    if (!isDottedIPv4(DNSAddress) || !server.setAddress(QString::fromStdString(DNSAddress)))
        throw ESocketError("The DNS server address \"" + DNSAddress + "\" is not a dotted IPv4 address");
    // A connected datagram socket only hears from the server it asked.
    socket.connectToHost(server, Port);
    if (socket.state() != QAbstractSocket::ConnectedState)
        throw ESocketError(platformText(socket));
}

void TmsMXResolver::sendQuery(QUdpSocket &socket, const std::string &query)
{
    const qint64 sent = socket.write(query.data(), static_cast<qint64>(query.size()));
    if (sent != static_cast<qint64>(query.size()))
        throw ESocketError(platformText(socket));
}

std::string TmsMXResolver::receiveReply(QUdpSocket &socket)
{
    // Sleeps until a datagram is there, the counter runs out or Cancel is
    // called; the counter's one-second tick bounds every sleep. An error
    // notice (an unreachable port, say) does not end the wait: the server
    // may still answer.
    m_counter.Start();
    std::string reply;
    for (;;) {
        waitUntil([&] { return socket.hasPendingDatagrams() || m_counter.TimedOut() || m_canceled; });
        if (m_canceled) {
            m_counter.Stop();
            throw ECanceledError(loadStr(57001));
        }
        if (m_counter.TimedOut()) {
            m_counter.Stop();
            throw ETimedOutError(loadStr(57000));
        }
        reply.resize(kMaxDatagram);
        const qint64 received = socket.readDatagram(reply.data(), kMaxDatagram);
        if (received > 0) {
            reply.resize(static_cast<size_t>(received));
            break;
        }
        if (received < 0 && socket.error() != QAbstractSocket::ConnectionRefusedError) {
            m_counter.Stop();
            throw ESocketError(platformText(socket));
        }
    }
    m_counter.Stop();
    return reply;
}

void TmsMXResolver::closeSocket(QUdpSocket &socket)
{
    socket.close();
    fire(OnClosingConnection);
}

} // namespace tw

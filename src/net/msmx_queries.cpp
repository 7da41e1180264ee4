#include "net/msmx_queries.h"

#include "net/dns_server_choice.h"
#include "net/errors.h"
#include "net/msmx_message.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>

namespace tw {

namespace {

constexpr qint64 kMaxDatagram = 65535;

} // namespace

struct TmsMXQueries::Query {
    std::string domain;
    std::string datagram;
    uint16_t id = 0;
    int triesLeft = 0;
    QUdpSocket socket;
    QTimer timer;
};

TmsMXQueries::TmsMXQueries(QObject *parent) : QObject(parent) {}

TmsMXQueries::~TmsMXQueries() = default;

int TmsMXQueries::Pending() const { return int(m_inFlight.size() + m_waiting.size()); }

void TmsMXQueries::Ask(const std::string &Domain)
{
    const auto same = [&Domain](const std::unique_ptr<Query> &query) { return query->domain == Domain; };
    if (std::any_of(m_inFlight.begin(), m_inFlight.end(), same) ||
        std::find(m_waiting.begin(), m_waiting.end(), Domain) != m_waiting.end())
        return;
    m_waiting.push_back(Domain);
    // Sent from the event loop, so that OnAnswer never fires inside Ask.
    QTimer::singleShot(0, this, [this] { sendNext(); });
}

void TmsMXQueries::CancelAll()
{
    m_waiting.clear();
    while (!m_inFlight.empty())
        retire(*m_inFlight.front());
}

void TmsMXQueries::retire(Query &query)
{
    const auto found = std::find_if(m_inFlight.begin(), m_inFlight.end(),
                                    [&query](const std::unique_ptr<Query> &q) { return q.get() == &query; });
    if (found == m_inFlight.end())
        return;
    query.socket.disconnect(this);
    query.timer.stop();
    // Its socket may be the sender of the signal being handled: it goes
    // when the event loop has returned from there.
    m_retired.push_back(std::move(*found));
    m_inFlight.erase(found);
    QTimer::singleShot(0, this, [this] {
        m_retired.clear();
        sendNext();
    });
}

void TmsMXQueries::sendNext()
{
    while (!m_waiting.empty() && int(m_inFlight.size()) < std::max(1, MaxInFlight)) {
        auto query = std::make_unique<Query>();
        query->domain = m_waiting.front();
        m_waiting.pop_front();
        query->triesLeft = std::max(0, Retries) + 1;
        query->id = static_cast<uint16_t>(QRandomGenerator::system()->bounded(0x10000));
        Query &sent = *query;
        m_inFlight.push_back(std::move(query));
        QHostAddress server;
        if (!isDottedIPv4(DNSAddress) || !server.setAddress(QString::fromStdString(DNSAddress))) {
            finish(sent, TMXOutcome::NoAnswer, "The DNS server address \"" + DNSAddress + "\" is not a dotted IPv4 address");
            continue;
        }
        try {
            sent.datagram = buildMXQuery(sent.id, sent.domain);
        } catch (const ETidewellError &error) {
            finish(sent, TMXOutcome::Failed, error.what()); // a name no DNS can hold
            continue;
        }
        sent.socket.connectToHost(server, Port);
        connect(&sent.socket, &QUdpSocket::readyRead, this, [this, &sent] { received(sent); });
        sent.timer.setSingleShot(true);
        connect(&sent.timer, &QTimer::timeout, this, [this, &sent] { timedOut(sent); });
        send(sent);
    }
}

void TmsMXQueries::send(Query &query)
{
    --query.triesLeft;
    // A datagram that cannot go out now (no route yet, say) counts as one
    // that got no answer: the retry tries again.
    query.socket.write(query.datagram.data(), qint64(query.datagram.size()));
    query.timer.start(std::max(1, TimeOut) * 1000);
}

void TmsMXQueries::received(Query &query)
{
    while (query.socket.hasPendingDatagrams()) {
        std::string reply(size_t(kMaxDatagram), '\0');
        const qint64 size = query.socket.readDatagram(reply.data(), kMaxDatagram);
        if (size <= 0)
            continue; // an error notice (an unreachable port): the server may still answer
        reply.resize(size_t(size));
        TMXList records;
        try {
            parseMXReply(reply, query.id, records);
        } catch (const EResolverRefusedError &error) {
            finish(query, TMXOutcome::CouldNotCheck, error.what());
            return;
        } catch (const ETidewellError &error) {
            finish(query, TMXOutcome::Failed, error.what());
            return;
        }
        finish(query, TMXOutcome::Answered, {});
        return;
    }
}

void TmsMXQueries::timedOut(Query &query)
{
    if (query.triesLeft > 0) {
        send(query);
        return;
    }
    finish(query, TMXOutcome::NoAnswer,
           "No answer from the DNS server " + DNSAddress + " within " + std::to_string(std::max(1, TimeOut)) +
               " seconds");
}

void TmsMXQueries::finish(Query &query, TMXOutcome outcome, const std::string &text)
{
    const std::string domain = query.domain;
    retire(query);
    if (OnAnswer)
        OnAnswer(domain, outcome, text);
}

} // namespace tw

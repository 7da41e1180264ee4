#include "net/agsocket.h"

#include "net/agsocket_errors.h"
#include "net/agwinsock.h"
#include "net/errors.h"
#include "net/stringtable.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"

#include <QHostInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

namespace tw {

namespace {

constexpr int TextServerRequired = 57002;
constexpr int TextInvalidWinsockVersion = 57003;
constexpr int TextErrorResolvingHost = 57004;
constexpr int TextServiceNameRequired = 57005;
constexpr int TextConnectFirst = 57008;

// Splits Server into its host and port parts. "[v6]:port" and a bare IPv6
// address (more than one colon) are recognised; otherwise the host ends at
// the first colon.
void splitServer(const std::string &server, std::string &host, std::string &port)
{
    port.clear();
    if (!server.empty() && server.front() == '[') {
        const size_t close = server.find(']');
        if (close != std::string::npos) {
            host = server.substr(1, close - 1);
            if (close + 1 < server.size() && server[close + 1] == ':')
                port = server.substr(close + 2);
            return;
        }
    }
    const size_t colon = server.find(':');
    if (colon == std::string::npos || server.find(':', colon + 1) != std::string::npos) {
        host = server;
        return;
    }
    host = server.substr(0, colon);
    port = server.substr(colon + 1);
}

} // namespace

TagSocket::TagSocket(QObject *parent) : QObject(parent) {}

int TagSocket::ProgressPercent(long long Position, long long Total)
{
    if (Total <= 0)
        return 0;
    // Clamped before the conversion: a double beyond the int range has no int.
    return int(std::clamp(std::nearbyint(double(Position) * 100.0 / double(Total)), 0.0, 100.0));
}

TagSocket::~TagSocket()
{
    abortLookup();
    dropSocket();
    for (; m_startups > 0; --m_startups)
        TagWinsock::instance().WSACleanup();
}

bool TagSocket::WinsockLoaded() const { return TagWinsock::instance().Loaded(); }

void TagSocket::SetWinsockLoaded(bool loaded)
{
    if (loaded && !WinsockLoaded())
        TagWinsock::instance().Load();
    else if (!loaded)
        TagWinsock::instance().Unload();
}

std::string TagSocket::RemoteAddress() const
{
    return m_address.isNull() ? std::string() : m_address.toString().toStdString();
}

void TagSocket::fire(const TNotifyEvent &event)
{
    if (event)
        event(this);
}

void TagSocket::fireProgress(int perc, int transferred)
{
    if (OnProgress)
        OnProgress(this, perc, transferred);
}

void TagSocket::ResetState()
{
    m_canceled = false;
    m_counter.ResetTimedOut();
    abortLookup();
    m_errorSeen = false;
    m_hostLookupDone = false;
    m_connectSeen = false;
    m_readSeen = false;
    m_closeSeen = false;
}

int TagSocket::ReplyCode(const std::string &Line)
{
    long long code = 0;
    if (Line.size() < 3 || !parseInt(std::string_view(Line).substr(0, 3), code))
        return -1;
    return int(code);
}

// --- The error funnel -------------------------------------------------------

void TagSocket::ReportError(int Code)
{
    if (Code == 0)
        return;
    m_counter.Stop();
    std::string text;
    if (Code >= FirstSocketError && Code <= LastSocketError) {
        if (Code == m_platformErrorCode)
            text = m_platformErrorText;
    } else {
        text = loadStr(Code);
    }
    if (text.empty())
        text = "Error #" + std::to_string(Code);
    if (OnError)
        OnError(this, text);
    if (Code == WSAECONNRESET)
        Close();
    throw ESocketError(text);
}

void TagSocket::raiseTimedOut()
{
    m_counter.Stop();
    const std::string text = loadStr(57000);
    if (OnError) {
        std::string shown = text; // the handler's change does not reach the error
        OnError(this, shown);
    }
    abortLookup();
    Close();
    throw ETimedOutError(text);
}

void TagSocket::raiseCanceled()
{
    m_counter.Stop();
    const std::string text = loadStr(57001);
    if (OnError) {
        std::string shown = text;
        OnError(this, shown);
    }
    throw ECanceledError(text);
}

void TagSocket::requireConnected()
{
    if (IsConnected())
        return;
    // A cancel closes the connection, also one given in an event handler
    // between two operations: the next operation reports the cancel.
    if (m_canceled)
        raiseCanceled();
    ReportError(TextConnectFirst);
}

void TagSocket::raiseIfCanceledOrTimedOut()
{
    if (m_canceled)
        raiseCanceled();
    if (m_counter.TimedOut())
        raiseTimedOut();
}

// --- Waiting --------------------------------------------------------------

void TagSocket::SetDeadline(int Seconds)
{
    m_deadline = Seconds > 0 ? QDeadlineTimer(qint64(Seconds) * 1000) : QDeadlineTimer(QDeadlineTimer::Forever);
}

void TagSocket::waitFor(const std::function<bool()> &done)
{
    const auto ended = [&] {
        return done() || m_canceled || m_counter.TimedOut() || m_errorSeen || m_deadline.hasExpired();
    };
    // What is already there needs no counter: starting and stopping its
    // timer for every reply would cost more than the reply itself.
    if (!ended()) {
        m_counter.Start(); // its ticks also wake the wait to look at the deadline
        waitUntil(ended);
        m_counter.Stop();
        m_sinceEvents.start();
    }
    // Past the deadline no more is read, however steadily it comes.
    if (m_deadline.hasExpired() && !m_canceled)
        raiseTimedOut();
}

void TagSocket::HandlePendingEvents(bool Always)
{
    if (Always || !m_sinceEvents.isValid() || m_sinceEvents.hasExpired(ResponsiveMilliseconds)) {
        processPendingEvents();
        m_sinceEvents.start();
    }
    if (m_canceled)
        raiseCanceled();
}

void TagSocket::restartCounterWhileWaiting()
{
    if (m_counter.Running())
        m_counter.Start();
}

bool TagSocket::peerClosedAndDrained() const
{
    return m_socket && m_closeSeen && m_socket->bytesAvailable() == 0;
}

bool TagSocket::hasIncoming() const { return m_input.size() > 0 || (m_socket && m_socket->bytesAvailable() > 0); }

void TagSocket::recordSocketError(QAbstractSocket::SocketError error)
{
    const int code = socketErrorNumber(error);
    if (code == 0)
        return; // an orderly close; disconnected() records it
    m_errorCode = code;
    m_errorSeen = true;
    m_platformErrorCode = code;
    m_platformErrorText = m_socket ? m_socket->errorString().toStdString() : std::string();
}

void TagSocket::abortLookup()
{
    if (m_lookupId != -1) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
}

// --- Opening and connecting -------------------------------------------------

void TagSocket::Open()
{
    if (RAS)
        dialRas();
    fire(OnOpen);
    if (Server.empty())
        ReportError(TextServerRequired);

    TagWinsock &winsock = TagWinsock::instance();
    if (!winsock.Loaded())
        winsock.Load(); // the service is linked in; loading cannot fail here
    if (!winsock.WSAStartup())
        ReportError(TextInvalidWinsockVersion);
    ++m_startups;

    std::string host, portText;
    splitServer(Server, host, portText);
    resolveHost(host);
    resolvePort(portText);
    createSocket();
}

void TagSocket::resolveHost(const std::string &host)
{
    m_hostName = host;
    QHostAddress literal;
    if (literal.setAddress(QString::fromStdString(host))) {
        m_address = literal;
        return;
    }

    m_lookupResult = QHostInfo();
    m_hostLookupDone = false;
    m_lookupId = QHostInfo::lookupHost(QString::fromStdString(host), this, [this](const QHostInfo &info) {
        m_lookupResult = info;
        m_hostLookupDone = true;
        m_errorCode = lookupErrorNumber(info.error());
        m_errorSeen = m_errorCode != 0;
        if (m_errorSeen) {
            m_platformErrorCode = m_errorCode;
            m_platformErrorText = info.errorString().toStdString();
        }
    });
    waitFor([this] { return m_hostLookupDone; });
    if (!m_hostLookupDone)
        abortLookup(); // ended by a cancel or a time-out: the result must not arrive later
    m_lookupId = -1;

    if (m_errorSeen)
        ReportError(m_errorCode);
    if (m_counter.TimedOut())
        raiseTimedOut();
    if (m_canceled)
        raiseCanceled();

    // The first IPv4 address when there is one (what a server listening on
    // IPv4 only expects), else the first address of any family.
    QHostAddress chosen;
    const QList<QHostAddress> addresses = m_lookupResult.addresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            chosen = address;
            break;
        }
    }
    if (chosen.isNull() && !addresses.isEmpty())
        chosen = addresses.first();
    if (chosen.isNull())
        ReportError(TextErrorResolvingHost);
    m_address = chosen;
}

void TagSocket::resolvePort(const std::string &portText)
{
    long long number = 0;
    if (!portText.empty() && parseInt(portText, number) && number >= 1 && number <= 65535) {
        m_port = uint16_t(number);
        return;
    }
    if (ServiceName.empty())
        ReportError(TextServiceNameRequired);
    if (m_canceled)
        raiseCanceled();
    // The services database is a local file: the look-up answers at once.
    const servent *service = getservbyname(ServiceName.c_str(), "tcp");
    m_port = service ? ntohs(uint16_t(service->s_port)) : DefaultPort;
}

void TagSocket::createSocket()
{
    dropSocket();
    m_socket = new QSslSocket(this);
    // What the server sends while the program is busy elsewhere waits in the
    // network's own buffers beyond this, instead of in memory.
    m_socket->setReadBufferSize(MaxBufferedInput);
    connect(m_socket, &QAbstractSocket::connected, this, [this] { m_connectSeen = true; });
    connect(m_socket, &QIODevice::readyRead, this, [this] { m_readSeen = true; });
    connect(m_socket, &QAbstractSocket::disconnected, this, [this] { m_closeSeen = true; });
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { recordSocketError(error); });
}

void TagSocket::Connect()
{
    if (m_canceled)
        raiseCanceled();
    requireConnected();
    m_connectSeen = false;
    m_socket->connectToHost(m_address, m_port);
    waitFor([this] { return m_connectSeen; });
    if (m_canceled)
        raiseCanceled();
    // A refused or unreachable connection is reported as soon as the
    // platform knows, not after the time-out.
    if (!m_connectSeen && m_errorSeen)
        ReportError(m_errorCode);
    if (m_counter.TimedOut())
        raiseTimedOut();
    // Each write is a whole batch of commands: holding it back for more
    // (Nagle's rule) would only make the replies wait.
    if (m_socket && m_connectSeen)
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

// --- Sending ------------------------------------------------------------------

void TagSocket::SendLine(const std::string &Text) { SendStream(Text + "\r\n"); }

void TagSocket::SendLines(const std::vector<std::string> &Lines)
{
    std::string data;
    for (const std::string &line : Lines)
        data.append(line).append("\r\n");
    SendStream(data);
}

void TagSocket::SendStream(const std::string &Stream)
{
    requireConnected();
    // Writing to a connection the peer has ended fails as a reset would.
    if (m_closeSeen || m_socket->write(Stream.data(), qint64(Stream.size())) != qint64(Stream.size()))
        reportConnectionReset();
    m_socket->flush();
    waitFor([this] { return !m_socket || m_socket->bytesToWrite() == 0 || m_closeSeen; });
    raiseIfCanceledOrTimedOut();
    if (m_errorSeen)
        ReportError(m_errorCode);
    requireConnected();
    if (m_socket->bytesToWrite() > 0)
        reportConnectionReset();
    const int size = int(Stream.size());
    fireProgress(size > 0 ? 100 : 0, size);
    fireProgress(0, 0);
}

void TagSocket::reportConnectionReset()
{
    m_platformErrorCode = WSAECONNRESET;
    m_platformErrorText = std::strerror(ECONNRESET);
    ReportError(WSAECONNRESET);
}

// --- Closing ------------------------------------------------------------------

void TagSocket::dropSocket()
{
    if (!m_socket)
        return;
    QSslSocket *socket = m_socket;
    m_socket = nullptr;
    m_input.clear(); // what the old connection sent is no reply on a new one
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    // The socket may be the sender of an event that is being delivered
    // further up the call chain; it goes when control returns to the loop.
    socket->deleteLater();
}

void TagSocket::Close()
{
    if (m_socket) {
        fire(OnClosing);
        dropSocket();
        fire(OnClosed);
    }
    if (RAS)
        hangUpRas();
}

void TagSocket::Cancel()
{
    m_canceled = true;
    fire(OnCancel);
    abortLookup();
    Close();
}

} // namespace tw

#include "net/agRasCmp.h"

#include "net/errors.h"
#include "net/stringtable.h"
#include "platform/event_wait.h"
#include "platform/prompts.h"

#include <QTimer>

#include <algorithm>

namespace tw {

namespace {
constexpr size_t kMaxErrorText = 255;
}

TagRas::TagRas(DialUpService &service) : m_service(service), m_self(std::make_shared<TagRas *>(this))
{
    m_counter.TimeOut = 120;
    readEntries();
}

TagRas::~TagRas() = default;

void TagRas::readEntries()
{
    m_entries.clear();
    if (m_service.Available() && m_service.EnumEntries(m_entries) != 0)
        m_entries.clear();
}

void TagRas::setService(std::string name)
{
    if (name.empty()) {
        m_serviceName.clear();
        return;
    }
    readEntries();
    if (m_entries.empty()) {
        Prompts::current().error("TagRas component was unable to detect\nRAS on your system.");
        return;
    }
    if (m_linkUp) {
        Prompts::current().error("This property can be set only before\nestablishing the connection");
        return;
    }
    const bool listed = std::find(m_entries.begin(), m_entries.end(), name) != m_entries.end();
    m_serviceName = listed ? std::move(name) : std::string();
}

void TagRas::raiseRasError(int error)
{
    m_lastError = error;
    std::string text = m_service.ErrorString(error);
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    if (text.empty())
        text = "RAS error no " + std::to_string(error);
    throw ERASError(text);
}

bool TagRas::findActiveConnection()
{
    std::vector<DialUpConnection> active;
    if (const int error = m_service.EnumConnections(active))
        raiseRasError(error);
    for (const DialUpConnection &connection : active) {
        if (connection.entryName != m_serviceName)
            continue;
        if (m_connection != 0 && connection.handle == m_connection) {
            // The connection this link already holds is still up: nothing
            // changes, in particular who dialed it (and so who hangs it up).
            m_linkUp = true;
            return true;
        }
        m_connection = connection.handle;
        m_dialedByUs = false;
        m_linkUp = true;
        return true;
    }
    if (ForceService)
        return false;
    for (const DialUpConnection &connection : active) {
        bool assigned = false;
        if (const int error = m_service.HasIPv4Address(connection.handle, assigned))
            raiseRasError(error);
        if (assigned) {
            m_connection = connection.handle;
            m_dialedByUs = false;
            m_linkUp = true;
            return true;
        }
    }
    return false;
}

void TagRas::Dial()
{
    if (!m_service.Available())
        return;
    if (findActiveConnection())
        return;
    if (m_serviceName.empty()) {
        m_linkUp = true;
        m_dialedByUs = false;
        return;
    }

    m_dialedByUs = true;
    m_connection = 0;
    m_linkUp = false;
    m_canceled = false;
    m_counter.ResetTimedOut();
    m_lastError = 0;

    DialParams params;
    bool passwordStored = false;
    if (const int error = m_service.GetEntryDialParams(m_serviceName, params, passwordStored))
        raiseRasError(error);
    params.entryName = m_serviceName;
    if (!passwordStored) {
        params.password = Password;
        if (const int error = m_service.SetEntryDialParams(params, RemovePassword))
            raiseRasError(error);
    }

    // Notices of this dial count only while it is the one the link follows:
    // a hang-up or a later dial makes them stale.
    const std::weak_ptr<TagRas *> self = m_self;
    const uint64_t dial = ++m_dialNumber;
    DialUpHandle dialing = 0;
    const int startError = m_service.Dial(
        params,
        [self, dial](int state, int error) {
            const auto link = self.lock();
            if (link && (*link)->m_dialNumber == dial)
                (*link)->statusNotice(state, error);
        },
        dialing);
    m_connection = dialing;

    int error = startError;
    if (error == 0) {
        m_counter.Start();
        waitUntil([this] { return m_linkUp || m_lastError != 0 || m_canceled || m_counter.TimedOut(); });
        m_counter.Stop();
        error = m_lastError;
    }
    if (error != 0) {
        hangUpConnection();
        raiseRasError(error);
    }
    if (m_canceled)
        throw ECanceledError(loadStr(57001));
    if (m_counter.TimedOut()) {
        hangUpConnection(); // stop the abandoned attempt rather than leave it dialing
        throw ETimedOutError(loadStr(57000));
    }
    if (MinimizeAtConnect) {
        pauseOneSecond();
        m_service.MinimizeProgressDialog();
    }
}

void TagRas::statusNotice(int state, int error)
{
    if (OnStatusChange)
        OnStatusChange(*this, m_service.StateText(state));
    if (!m_linkUp && state == kDialStateConnected)
        m_linkUp = true;
    if (error != 0) {
        // Recorded, never thrown: the notice is delivered by the event loop,
        // which cannot carry an exception. A connection that reports an
        // error once up has dropped; the next Dial looks again.
        m_lastError = error;
        m_linkUp = false;
    }
}

void TagRas::hangUpConnection()
{
    const DialUpHandle connection = m_connection;
    m_linkUp = false;
    m_connection = 0;
    ++m_dialNumber; // later notices of that connection are stale
    if (!m_entries.empty() && m_dialedByUs && connection != 0) {
        m_service.HangUp(connection);
        if (OnDisconnected)
            OnDisconnected(*this);
    }
}

void TagRas::HangUp()
{
    if (!m_service.Available())
        return;
    hangUpConnection();
    m_canceled = true;
}

void TagRas::pauseOneSecond()
{
    bool elapsed = false;
    QObject guard; // the timer dies with this frame
    QTimer::singleShot(1000, &guard, [&elapsed] { elapsed = true; });
    waitUntil([&elapsed] { return elapsed; });
}

} // namespace tw

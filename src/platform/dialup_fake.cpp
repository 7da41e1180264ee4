#include "platform/dialup_fake.h"

#include <QTimer>

#include <algorithm>

namespace tw {

int FakeDialUpService::EnumEntries(std::vector<std::string> &out)
{
    out = available ? entries : std::vector<std::string>{};
    return enumEntriesError;
}

int FakeDialUpService::EnumConnections(std::vector<DialUpConnection> &out)
{
    out.clear();
    for (const Connection &c : connections)
        out.push_back({c.handle, c.entryName});
    return enumConnectionsError;
}

int FakeDialUpService::HasIPv4Address(DialUpHandle connection, bool &assigned)
{
    assigned = false;
    for (const Connection &c : connections)
        if (c.handle == connection)
            assigned = c.ipv4;
    return ipv4Error;
}

int FakeDialUpService::GetEntryDialParams(const std::string &entry, DialParams &params, bool &hasPassword)
{
    const auto it = storedParams.find(entry);
    params = it == storedParams.end() ? DialParams{entry, "", ""} : it->second;
    hasPassword = passwordStored.count(entry) > 0;
    return getParamsError;
}

int FakeDialUpService::SetEntryDialParams(const DialParams &params, bool removePassword)
{
    if (setParamsError)
        return setParamsError;
    DialParams stored = params;
    if (removePassword)
        stored.password.clear();
    storedParams[params.entryName] = stored;
    if (removePassword)
        passwordStored.erase(params.entryName);
    else
        passwordStored.insert(params.entryName);
    log.push_back("store " + params.entryName + " " + stored.userName + ":" + stored.password);
    return 0;
}

int FakeDialUpService::Dial(const DialParams &params, StatusNotice notice, DialUpHandle &handle)
{
    log.push_back("dial " + params.entryName + " " + params.userName + ":" + params.password);
    handle = 0;
    if (dialStartError)
        return dialStartError;
    handle = m_nextHandle++;
    m_listeners[handle] = std::move(notice);
    m_dialing[handle] = params.entryName;
    int at = 0;
    for (const Notice &n : dialNotices) {
        at += n.delayMs;
        QTimer::singleShot(at, &m_timers, [this, handle, n] { sendNotice(handle, n.state, n.error); });
    }
    return 0;
}

void FakeDialUpService::sendNotice(DialUpHandle connection, int state, int error)
{
    const auto listener = m_listeners.find(connection);
    if (listener == m_listeners.end())
        return; // hung up meanwhile: the service says nothing more
    const auto dialing = m_dialing.find(connection);
    if (dialing != m_dialing.end() && state == kDialStateConnected && error == 0) {
        connections.push_back({connection, dialing->second, true});
        m_dialing.erase(dialing);
    }
    const StatusNotice notify = listener->second; // the handler may hang up
    notify(state, error);
}

int FakeDialUpService::HangUp(DialUpHandle connection)
{
    log.push_back("hangup " + std::to_string(connection));
    m_listeners.erase(connection);
    m_dialing.erase(connection);
    connections.erase(std::remove_if(connections.begin(), connections.end(),
                                     [&](const Connection &c) { return c.handle == connection; }),
                      connections.end());
    return 0;
}

std::string FakeDialUpService::ErrorString(int error)
{
    const auto it = errorTexts.find(error);
    return it == errorTexts.end() ? "" : it->second;
}

} // namespace tw

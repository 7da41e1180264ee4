#pragma once
// TagRas: the dial-up link. Dial makes sure a dial-up connection is up before
// a network client connects (dialing the entry Service when needed); HangUp
// ends the connection again, but only when this link dialed it. On a
// platform without dial-up networking (this one) both do nothing and the
// entry list is empty.

#include "net/timecounter.h"
#include "platform/dialup.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tw {

class TagRas {
public:
    using TRASNotifyEvent = std::function<void(TagRas &sender, const std::string &RASStatusStr)>;
    using TNotifyEvent = std::function<void(TagRas &sender)>;

    // Reads the entry list of Service (the platform's dial-up service unless
    // a test passes another; not owned, must outlive the link).
    explicit TagRas(DialUpService &service = systemDialUpService());
    ~TagRas();
    TagRas(const TagRas &) = delete;
    TagRas &operator=(const TagRas &) = delete;

    // The dial-up entry to use; empty means never dial.
    const std::string &Service() const { return m_serviceName; }
    // An empty Name clears it. Otherwise re-reads the entry list; with no
    // entries, or while a connection is up, shows an error box and changes
    // nothing; else Service becomes Name when it is a listed entry, and
    // empty when it is not. Name is taken by value: a caller may pass one of
    // Entries(), which the re-reading replaces.
    void setService(std::string name);

    bool ForceService = true;       // only a connection of Service counts as up
    bool MinimizeAtConnect = false; // minimise the progress window once connected
    std::string Password;           // used when the entry stores none
    bool RemovePassword = true;     // never store Password with the entry

    // Seconds to wait for the dialed connection (default 120).
    int TimeOut() const { return m_counter.TimeOut; }
    void setTimeOut(int seconds) { m_counter.TimeOut = seconds; }

    TRASNotifyEvent OnStatusChange; // every status notice, with the state's text
    TNotifyEvent OnDisconnected;    // after this link hung up its own connection

    // Makes sure a dial-up connection is up: uses an active connection of
    // Service (or, when ForceService is false, any active connection with an
    // IPv4 address), else dials Service and waits, handling events, until it
    // is connected. Does nothing but note the link as up when Service is
    // empty. Raises ERASError (the service failed or the dial failed; the
    // link hangs up first), ECanceledError (HangUp during the wait) or
    // ETimedOutError (no connection within TimeOut seconds; the attempt is
    // hung up).
    void Dial();

    // Ends the connection when this link dialed it (firing OnDisconnected),
    // forgets it, and ends a Dial that is still waiting with ECanceledError.
    void HangUp();

    // The dial-up entries known to the platform.
    const std::vector<std::string> &Entries() const { return m_entries; }
    bool HasEntries() const { return !m_entries.empty(); }

    bool LinkUp() const { return m_linkUp; }
    bool DialedByUs() const { return m_dialedByUs; }
    int LastError() const { return m_lastError; } // the last dial-up error number, 0 when none

private:
    void readEntries();
    void statusNotice(int state, int error);
    bool findActiveConnection();
    void hangUpConnection();
    void pauseOneSecond();
    [[noreturn]] void raiseRasError(int error);

    DialUpService &m_service;
    std::vector<std::string> m_entries;
    std::string m_serviceName;
    DialUpHandle m_connection = 0;
    bool m_linkUp = false;
    bool m_dialedByUs = false;
    bool m_canceled = false;
    int m_lastError = 0;
    uint64_t m_dialNumber = 0; // which dial the notices belong to
    TTimeCounter m_counter;
    // Notices hold only a weak reference, so one that arrives after the link
    // is gone is dropped.
    std::shared_ptr<TagRas *> m_self;
};

} // namespace tw

#pragma once
// TmsMXResolver: asks one DNS server, over UDP, for the mail exchangers of a
// domain. Used by the unknown-domain test, which counts a domain as unknown
// whenever Resolve raises; and, for the service records and addresses of a
// mail domain, by the discovery of a mailbox's servers.
//
// Usage: set DNSAddress (dotted IPv4, never looked up as a host name), Port
// and TimeOut once; then for each domain set Domain and call Resolve, and
// read MXList. While Resolve waits for the reply the thread sleeps in the
// event loop, so windows, timers and a Cancel keep being handled; a handler
// must not start a second Resolve on the same instance meanwhile.

#include "net/msmx_message.h"
#include "net/msmxcls.h"
#include "net/timecounter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QUdpSocket;

namespace tw {

class TmsMXResolver {
public:
    using TNotifyEvent = std::function<void(TmsMXResolver &sender)>;

    // Starts the socket service (loading the binding when nobody has yet).
    // Raises ESocketError when the service refuses to start.
    TmsMXResolver();
    // Stops the socket service again.
    ~TmsMXResolver();
    TmsMXResolver(const TmsMXResolver &) = delete;
    TmsMXResolver &operator=(const TmsMXResolver &) = delete;

    std::string DNSAddress;  // the server, as a dotted IPv4 address
    std::string Domain;      // the domain to ask about
    uint16_t Port = 53;

    // Seconds to wait for the reply (default 60).
    int TimeOut() const { return m_counter.TimeOut; }
    void setTimeOut(int seconds) { m_counter.TimeOut = seconds; }

    TNotifyEvent OnSendingQuery;
    TNotifyEvent OnWaitingForResponse;
    TNotifyEvent OnClosingConnection;

    // Asks DNSAddress:Port for the MX records of Domain and fills MXList,
    // sorted by preference, smallest first. Returns normally also when the
    // domain has no MX records (MXList is then empty). Each query has a
    // fresh random ID and its own socket, closed before Resolve returns.
    // Raises:
    //  EResolverError - the server's error code (57017..57021, "Domain server
    //    Error #N"), a reply with another ID (57015) or no response flag
    //    (57016), an invalid reply (57014), or a Domain that cannot exist
    //    (57019, nothing is sent);
    //  ESocketError   - DNSAddress is not a dotted IPv4 address, or the socket
    //    cannot be opened, sent on or read from (the platform's text);
    //  ETimedOutError - no reply within TimeOut seconds (57000);
    //  ECanceledError - Cancel was called during the wait (57001).
    // After an error MXList must not be used.
    void Resolve();

    // Asks DNSAddress:Port for the SRV records of Name (the whole name,
    // "_imaps._tcp.example.org") and fills SRVList in the reply's order.
    // Raises as Resolve does.
    void ResolveSRV(const std::string &Name);
    // Asks DNSAddress:Port for the IPv4 addresses of Name and fills
    // Addresses (dotted text) in the reply's order. Raises as Resolve does.
    void ResolveAddresses(const std::string &Name);

    // Ends a Resolve that is waiting for its reply with ECanceledError. Meant
    // to be called from a user command handled during the wait; harmless at
    // any other time.
    void Cancel();

    // The mail exchangers found by the last successful Resolve.
    TMXList MXList;
    // The service records found by the last successful ResolveSRV.
    std::vector<TSRVRec> SRVList;
    // The addresses found by the last successful ResolveAddresses.
    std::vector<std::string> Addresses;

private:
    // One query for the records of Type of Name; returns the reply and its ID.
    std::string ask(const std::string &name, uint16_t type, uint16_t &id);
    void fire(const TNotifyEvent &event);
    void openSocket(QUdpSocket &socket);
    void sendQuery(QUdpSocket &socket, const std::string &query);
    std::string receiveReply(QUdpSocket &socket);
    void closeSocket(QUdpSocket &socket);

    TTimeCounter m_counter;
    bool m_canceled = false;
};

} // namespace tw

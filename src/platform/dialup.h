#pragma once
// The platform's dial-up networking service, as the dial-up link uses it:
// list the entries and the active connections, read and store an entry's
// dial parameters, dial with status notices, hang up. This platform has no
// such service: systemDialUpService() is Available() == false with no
// entries, and the link then does nothing. Tests use FakeDialUpService.
//
// Operations that can fail return 0 or the service's error number.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

using DialUpHandle = std::uint64_t; // 0 = no connection

// Connection states carried by status notices.
constexpr int kDialStateConnected = 8192;
constexpr int kDialStateDisconnected = 8193;

struct DialUpConnection {
    DialUpHandle handle = 0;
    std::string entryName;
};

struct DialParams {
    std::string entryName;
    std::string userName;
    std::string password;
};

class DialUpService {
public:
    // Called for each status notice of a dial, from the event loop: the
    // connection state and an error number (0 when none).
    using StatusNotice = std::function<void(int state, int error)>;

    virtual ~DialUpService() = default;

    // Whether the platform offers dial-up networking at all.
    virtual bool Available() const = 0;
    // The names of the dial-up entries.
    virtual int EnumEntries(std::vector<std::string> &entries) = 0;
    // The active dial-up connections.
    virtual int EnumConnections(std::vector<DialUpConnection> &connections) = 0;
    // Whether the connection has an IPv4 address assigned.
    virtual int HasIPv4Address(DialUpHandle connection, bool &assigned) = 0;
    // The stored dial parameters of Entry, and whether a password is stored.
    virtual int GetEntryDialParams(const std::string &entry, DialParams &params, bool &passwordStored) = 0;
    // Stores Params for Params.entryName; without the password when
    // RemovePassword is true.
    virtual int SetEntryDialParams(const DialParams &params, bool removePassword) = 0;
    // Starts dialing and returns at once; Handle names the connection being
    // made (also when the start fails, then it may be 0). Notices arrive
    // later, through the event loop, until the connection is up, fails or is
    // hung up.
    virtual int Dial(const DialParams &params, StatusNotice notice, DialUpHandle &handle) = 0;
    // Ends the connection (or the dial in progress).
    virtual int HangUp(DialUpHandle connection) = 0;
    // The service's text for an error number, "" when it has none.
    virtual std::string ErrorString(int error) = 0;
    // The text for a connection state ("Connected", ...).
    virtual std::string StateText(int state);
    // Minimises the service's dial progress window, where it has one.
    virtual void MinimizeProgressDialog() {}
};

// The service of this platform: none (no entries, nothing to dial).
DialUpService &systemDialUpService();

} // namespace tw

#pragma once
// A scriptable dial-up service for tests: entries, active connections and
// stored parameters are plain members; a dial plays DialNotices through the
// event loop, and a "connected" notice without error makes the connection
// active. Every call that changes something is written to Log.

#include "platform/dialup.h"

#include <QObject>

#include <map>
#include <set>

namespace tw {

class FakeDialUpService : public DialUpService {
public:
    struct Connection {
        DialUpHandle handle = 0;
        std::string entryName;
        bool ipv4 = true;
    };
    struct Notice {
        int state = kDialStateConnected;
        int error = 0;
        int delayMs = 10; // after the previous notice (or the dial)
    };

    bool available = true;
    std::vector<std::string> entries;
    std::vector<Connection> connections;
    std::map<std::string, DialParams> storedParams; // per entry
    std::set<std::string> passwordStored;           // entries with a stored password
    std::vector<Notice> dialNotices = {{0, 0, 10}, {5, 0, 10}, {kDialStateConnected, 0, 10}};
    std::map<int, std::string> errorTexts;

    // Error numbers the operations return (0 = success).
    int enumEntriesError = 0;
    int enumConnectionsError = 0;
    int ipv4Error = 0;
    int getParamsError = 0;
    int setParamsError = 0;
    int dialStartError = 0;

    // "store <entry> <user>:<password>", "dial <entry> <user>:<password>",
    // "hangup <handle>", "minimize".
    std::vector<std::string> log;

    bool Available() const override { return available; }
    int EnumEntries(std::vector<std::string> &out) override;
    int EnumConnections(std::vector<DialUpConnection> &out) override;
    int HasIPv4Address(DialUpHandle connection, bool &assigned) override;
    int GetEntryDialParams(const std::string &entry, DialParams &params, bool &hasPassword) override;
    int SetEntryDialParams(const DialParams &params, bool removePassword) override;
    int Dial(const DialParams &params, StatusNotice notice, DialUpHandle &handle) override;
    int HangUp(DialUpHandle connection) override;
    std::string ErrorString(int error) override;
    void MinimizeProgressDialog() override { log.push_back("minimize"); }

    // Delivers a notice for Connection now, as the service would when a
    // connection changes later (e.g. drops).
    void sendNotice(DialUpHandle connection, int state, int error);

private:
    QObject m_timers; // owns the pending notices; they die with the fake
    DialUpHandle m_nextHandle = 100;
    std::map<DialUpHandle, StatusNotice> m_listeners; // dials in progress or up
    std::map<DialUpHandle, std::string> m_dialing;    // handle -> entry
};

} // namespace tw

#include "platform/dialup.h"

#include <map>

namespace tw {

std::string DialUpService::StateText(int state)
{
    static const std::map<int, const char *> texts = {
        {0, "Opening port"},
        {1, "Port opened"},
        {2, "Connecting device"},
        {3, "Device connected"},
        {4, "All devices connected"},
        {5, "Authenticating"},
        {14, "Authenticated"},
        {kDialStateConnected, "Connected"},
        {kDialStateDisconnected, "Disconnected"},
    };
    const auto it = texts.find(state);
    return it == texts.end() ? "State " + std::to_string(state) : it->second;
}

namespace {

// Dial-up networking is not part of this platform: the service is missing,
// and every operation reports that it has nothing.
class NoDialUpService : public DialUpService {
public:
    // The dial-up error number for "the service is not available".
    static constexpr int kNotAvailable = 711;

    bool Available() const override { return false; }
    int EnumEntries(std::vector<std::string> &entries) override
    {
        entries.clear();
        return 0;
    }
    int EnumConnections(std::vector<DialUpConnection> &connections) override
    {
        connections.clear();
        return 0;
    }
    int HasIPv4Address(DialUpHandle, bool &assigned) override
    {
        assigned = false;
        return kNotAvailable;
    }
    int GetEntryDialParams(const std::string &, DialParams &, bool &) override { return kNotAvailable; }
    int SetEntryDialParams(const DialParams &, bool) override { return kNotAvailable; }
    int Dial(const DialParams &, StatusNotice, DialUpHandle &handle) override
    {
        handle = 0;
        return kNotAvailable;
    }
    int HangUp(DialUpHandle) override { return 0; }
    std::string ErrorString(int) override { return ""; }
};

} // namespace

DialUpService &systemDialUpService()
{
    static NoDialUpService service;
    return service;
}

} // namespace tw

#include "platform/session_bus.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

bool isOwnSocket(const std::string &path, uid_t uid)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == uid;
}

// A path as a D-Bus address value: bytes outside the few that may stand
// as they are are written as %XX.
std::string addressValue(const std::string &path)
{
    static const char hex[] = "0123456789abcdef";
    std::string value;
    for (const unsigned char c : path) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           c == '-' || c == '_' || c == '/' || c == '.' || c == '*';
        if (plain) {
            value += char(c);
        } else {
            value += '%';
            value += hex[c >> 4];
            value += hex[c & 15];
        }
    }
    return value;
}

} // namespace

std::string userSessionBusAddress(const std::string &runtimeDir, uid_t uid, const std::string &runUserRoot)
{
    std::string candidates[] = {runtimeDir.empty() ? std::string() : runtimeDir + "/bus",
                                runUserRoot + "/" + std::to_string(uid) + "/bus"};
    for (const std::string &path : candidates)
        if (!path.empty() && isOwnSocket(path, uid))
            return "unix:path=" + addressValue(path);
    return {};
}

std::string useUserSessionBusWhenUnset()
{
    const char *given = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (given && *given)
        return {};
    const char *runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    const std::string address = userSessionBusAddress(runtimeDir ? runtimeDir : "", ::getuid());
    if (!address.empty())
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    return address;
}

} // namespace tw

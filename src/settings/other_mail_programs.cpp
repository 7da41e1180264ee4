#include "settings/other_mail_programs.h"

#include "platform/bytes.h"
#include "platform/inifile.h"

#include <QFileInfo>

namespace tw {
namespace {

constexpr const char *kAccountManagerKey = "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";
constexpr const char *kEudoraPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Eudora.exe";
constexpr const char *kMailtoCommandKey = "SOFTWARE\\Classes\\mailto\\shell\\open\\command";
constexpr const char *kNetscapeMailKey = "SOFTWARE\\Netscape\\Netscape Navigator\\Mail";
constexpr const char *kNetscapeServicesKey = "SOFTWARE\\Netscape\\Netscape Navigator\\Services";

std::string readValue(const Registry &registry, Hive hive, const char *key, const char *name)
{
    return registry.readString(hive, key, name).value_or(std::string());
}

bool isExistingFile(const std::string &path)
{
    const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
    return !path.empty() && info.exists() && info.isFile();
}

// A command line's program part may be quoted; the quotes are not part of the path.
std::string withoutQuotes(std::string text)
{
    text = trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    if (!text.empty() && text.front() == '"' && text.find('"', 1) == std::string::npos)
        return text.substr(1);
    return text;
}

} // namespace

std::string changeFileExt(const std::string &path, const std::string &extension)
{
    const size_t dot = path.find_last_of('.');
    const size_t separator = path.find_last_of("\\/:");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return path + extension;
    return path.substr(0, dot) + extension;
}

DetectedMailbox CheckWin98(const Registry &registry)
{
    DetectedMailbox result;
    const std::string server = readValue(registry, Hive::CurrentUser, kAccountManagerKey, "POP3 Server");
    if (server.empty())
        return result;
    result.server = server;
    result.userName = readValue(registry, Hive::CurrentUser, kAccountManagerKey, "POP3 User Name");
    return result;
}

DetectedMailbox CheckEudora(const Registry &registry)
{
    DetectedMailbox result;
    std::string path = readValue(registry, Hive::LocalMachine, kEudoraPathKey, "Path");
    if (path.empty()) {
        path = readValue(registry, Hive::LocalMachine, kMailtoCommandKey, "");
        const size_t option = path.find(" /m");
        if (option != std::string::npos)
            path.erase(option);
    }
    path = withoutQuotes(path);
    if (path.empty())
        return result;
    path = changeFileExt(path, ".ini");
    if (!isExistingFile(path))
        return result;
    const std::string account = IniFile(path).readString("Settings", "POPAccount", "");
    if (account.empty())
        return result;
    const size_t at = account.find('@');
    if (at == std::string::npos) {
        result.server = account;
    } else {
        result.userName = account.substr(0, at);
        result.server = account.substr(at + 1);
    }
    return result;
}

DetectedMailbox CheckNetscape(const Registry &registry)
{
    DetectedMailbox result;
    result.userName = readValue(registry, Hive::CurrentUser, kNetscapeMailKey, "POP Name");
    if (result.userName.empty())
        return result;
    result.server = readValue(registry, Hive::CurrentUser, kNetscapeServicesKey, "POP_Server");
    return result;
}

std::string GetMailPath(const Registry &registry)
{
    const std::string eudora = withoutQuotes(readValue(registry, Hive::LocalMachine, kEudoraPathKey, "Path"));
    if (isExistingFile(eudora))
        return eudora;
    std::string command = readValue(registry, Hive::LocalMachine, kMailtoCommandKey, "");
    const std::string upper = upperCase(command);
    if (upper.find("RUNDLL32") != std::string::npos) {
        command.erase(command.size() >= 3 ? command.size() - 3 : 0);
    } else {
        const size_t exe = upper.find("EXE");
        if (exe != std::string::npos)
            command.erase(exe + 3);
    }
    return withoutQuotes(command);
}

} // namespace tw

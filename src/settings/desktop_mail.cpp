#include "settings/desktop_mail.h"

#include "platform/bytes.h"
#include "platform/inifile.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <climits>

namespace tw {
namespace {

// Another program's file, or "" when it cannot be read (bounded, regular files only).
std::string readOtherProgramFile(const std::string &path) { return readWholeFile(path).value_or(std::string()); }

bool fileExists(const std::string &path) { return QFileInfo(QString::fromLocal8Bit(path.c_str())).isFile(); }

// The string literal starting at Text[At] (a '"'), unescaped; At moves past it.
std::string readJsString(const std::string &text, size_t &at)
{
    std::string value;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] == '\\' && at + 1 < text.size())
            ++at;
        value += text[at];
    }
    ++at;
    return value;
}

std::vector<std::string> splitList(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = trimmed(text.substr(start, end - start));
        if (!part.empty())
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

std::string prefOr(const std::map<std::string, std::string> &prefs, const std::string &name)
{
    const auto found = prefs.find(name);
    return found == prefs.end() ? std::string() : found->second;
}

// The mailbox of server ID ("server2") when it is a POP3 server with a host.
DetectedMailbox pop3Server(const std::map<std::string, std::string> &prefs, const std::string &id)
{
    const std::string prefix = "mail.server." + id + ".";
    if (!sameText(prefOr(prefs, prefix + "type"), "pop3"))
        return {};
    DetectedMailbox mailbox;
    mailbox.server = prefOr(prefs, prefix + "hostname");
    if (mailbox.server.empty())
        return {};
    const int port = toIntDef(prefOr(prefs, prefix + "port"), 110);
    if (port != 110 && port > 0 && port < 65536)
        mailbox.server += ":" + std::to_string(port);
    mailbox.userName = prefOr(prefs, prefix + "userName");
    return mailbox;
}

// The desktop entry named for x-scheme-handler/mailto in one association file.
std::string mailtoEntry(const std::string &listPath)
{
    if (!fileExists(listPath))
        return {};
    const IniFile list(listPath);
    for (const char *section : {"Default Applications", "Added Associations"}) {
        const std::vector<std::string> entries = splitList(list.readString(section, "x-scheme-handler/mailto", ""), ';');
        if (!entries.empty())
            return entries.front();
    }
    return {};
}

// The program of an Exec line: its first word, quotes removed.
std::string execProgram(const std::string &exec)
{
    const QStringList words = QProcess::splitCommand(QString::fromStdString(exec));
    return words.isEmpty() ? std::string() : words.front().toStdString();
}

} // namespace

std::map<std::string, std::string> readThunderbirdPrefs(const std::string &prefsText)
{
    std::map<std::string, std::string> prefs;
    const std::string marker = "user_pref(";
    for (size_t at = prefsText.find(marker); at != std::string::npos; at = prefsText.find(marker, at)) {
        at += marker.size();
        while (at < prefsText.size() && prefsText[at] == ' ')
            ++at;
        if (at >= prefsText.size() || prefsText[at] != '"')
            continue;
        const std::string name = readJsString(prefsText, at);
        while (at < prefsText.size() && (prefsText[at] == ' ' || prefsText[at] == ','))
            ++at;
        if (at >= prefsText.size())
            break;
        std::string value;
        if (prefsText[at] == '"') {
            value = readJsString(prefsText, at);
        } else {
            const size_t end = prefsText.find(')', at);
            value = trimmed(prefsText.substr(at, end == std::string::npos ? std::string::npos : end - at));
        }
        prefs[name] = value;
    }
    return prefs;
}

DetectedMailbox firstPop3Account(const std::map<std::string, std::string> &prefs)
{
    for (const std::string &account : splitList(prefOr(prefs, "mail.accountmanager.accounts"), ',')) {
        const std::string server = prefOr(prefs, "mail.account." + account + ".server");
        if (server.empty())
            continue;
        const DetectedMailbox mailbox = pop3Server(prefs, server);
        if (mailbox.found())
            return mailbox;
    }
    // No usable account list: the servers in the order of their numbers.
    std::vector<int> numbers;
    const std::string prefix = "mail.server.server";
    for (const auto &[name, value] : prefs) {
        if (name.rfind(prefix, 0) != 0)
            continue;
        const size_t dot = name.find('.', prefix.size());
        const int number = toIntDef(name.substr(prefix.size(), dot - prefix.size()), -1);
        if (number >= 0)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (int number : numbers) {
        const DetectedMailbox mailbox = pop3Server(prefs, "server" + std::to_string(number));
        if (mailbox.found())
            return mailbox;
    }
    return {};
}

std::string thunderbirdProfileFolder(const std::string &home)
{
    const std::string base = home + "/.thunderbird";
    const std::string listPath = base + "/profiles.ini";
    if (home.empty() || !fileExists(listPath))
        return {};
    const IniFile list(listPath);
    // Newer profile lists name each installation's default profile in an
    // [Install...] section; older ones flag it with Default=1.
    std::string chosen;
    bool relative = true;
    const std::string text = readOtherProgramFile(listPath);
    std::vector<std::string> profiles, installs;
    static const QRegularExpression sectionLine(QStringLiteral("^\\[([^\\]]+)\\]"),
                                                QRegularExpression::MultilineOption);
    auto matches = sectionLine.globalMatch(QString::fromStdString(text));
    while (matches.hasNext()) {
        const std::string section = matches.next().captured(1).toStdString();
        if (lowerCase(section).rfind("install", 0) == 0)
            installs.push_back(section);
        else if (lowerCase(section).rfind("profile", 0) == 0)
            profiles.push_back(section);
    }
    for (const std::string &install : installs) {
        chosen = list.readString(install, "Default", "");
        if (!chosen.empty())
            break;
    }
    if (!chosen.empty()) {
        for (const std::string &profile : profiles)
            if (list.readString(profile, "Path", "") == chosen)
                relative = list.readBool(profile, "IsRelative", true);
    } else {
        for (const std::string &profile : profiles)
            if (chosen.empty() || list.readBool(profile, "Default", false)) {
                const std::string path = list.readString(profile, "Path", "");
                if (path.empty())
                    continue;
                chosen = path;
                relative = list.readBool(profile, "IsRelative", true);
                if (list.readBool(profile, "Default", false))
                    break;
            }
    }
    if (chosen.empty())
        return {};
    return relative ? base + "/" + chosen : chosen;
}

DetectedMailbox thunderbirdMailbox(const std::string &home)
{
    const std::string folder = thunderbirdProfileFolder(home);
    if (folder.empty())
        return {};
    return firstPop3Account(readThunderbirdPrefs(readOtherProgramFile(folder + "/prefs.js")));
}

DesktopFolders DesktopFolders::current()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::string home = environment.value(QStringLiteral("HOME")).toStdString();
    DesktopFolders folders;
    folders.configHome = environment.value(QStringLiteral("XDG_CONFIG_HOME")).toStdString();
    if (folders.configHome.empty())
        folders.configHome = home + "/.config";
    folders.dataHome = environment.value(QStringLiteral("XDG_DATA_HOME")).toStdString();
    if (folders.dataHome.empty())
        folders.dataHome = home + "/.local/share";
    folders.dataDirs = splitList(environment.value(QStringLiteral("XDG_DATA_DIRS")).toStdString(), ':');
    if (folders.dataDirs.empty())
        folders.dataDirs = {"/usr/local/share", "/usr/share"};
    return folders;
}

std::string desktopMailProgram(const DesktopFolders &folders)
{
    std::vector<std::string> lists = {folders.configHome + "/mimeapps.list",
                                      folders.dataHome + "/applications/mimeapps.list"};
    for (const std::string &dir : folders.dataDirs) {
        lists.push_back(dir + "/applications/mimeapps.list");
        lists.push_back(dir + "/applications/defaults.list");
    }
    std::string entry;
    for (const std::string &list : lists) {
        entry = mailtoEntry(list);
        if (!entry.empty())
            break;
    }
    if (entry.empty() || entry.find('/') != std::string::npos)
        return {};
    std::vector<std::string> applicationDirs = {folders.dataHome + "/applications"};
    for (const std::string &dir : folders.dataDirs)
        applicationDirs.push_back(dir + "/applications");
    for (const std::string &dir : applicationDirs) {
        const std::string desktopFile = dir + "/" + entry;
        if (!fileExists(desktopFile))
            continue;
        const std::string program = execProgram(IniFile(desktopFile).readString("Desktop Entry", "Exec", ""));
        if (program.empty())
            return {};
        if (program.front() == '/')
            return program;
        const QString found = QStandardPaths::findExecutable(QString::fromStdString(program));
        return found.isEmpty() ? program : found.toStdString();
    }
    return {};
}

} // namespace tw

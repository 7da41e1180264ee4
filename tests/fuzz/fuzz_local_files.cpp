// The input as each of the files of this desktop that the program reads:
// Thunderbird's profiles.ini and prefs.js, the desktop's mimeapps.list and
// a .desktop entry, resolv.conf and the blacklist known.lst. Each reader
// must give its result or nothing, and never fail.
#include "classify/known_spammers.h"
#include "fuzz_support.h"
#include "net/dns_server_choice.h"
#include "settings/desktop_mail.h"

#include <QDir>
#include <fstream>

using namespace tw;

namespace {

void write(const std::string &path, const std::string &bytes)
{
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    static QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    const std::string input = fuzz::inputAsText(data, size);

    // Thunderbird: the input as the profile list (its first profile is
    // "p"), then as that profile's prefs.js.
    write(root + "/home/.thunderbird/profiles.ini", input);
    write(root + "/home/.thunderbird/p/prefs.js", input);
    thunderbirdProfileFolder(root + "/home");
    thunderbirdMailbox(root + "/home");
    firstPop3Account(readThunderbirdPrefs(input));

    // The desktop: the input as the user's mimeapps.list, and as the
    // desktop entry a fixed association names.
    DesktopFolders desktop;
    desktop.configHome = root + "/config";
    desktop.dataHome = root + "/data";
    desktop.dataDirs = {root + "/system"};
    write(desktop.configHome + "/mimeapps.list", input);
    write(root + "/system/applications/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=fuzz.desktop\n");
    write(root + "/system/applications/fuzz.desktop", input);
    desktopMailProgram(desktop);

    write(root + "/resolv.conf", input);
    firstResolvConfNameServer(root + "/resolv.conf");

    write(root + "/known.lst", input);
    KnownSpammers known;
    known.LoadUpKnownList(root + "/known.lst");
    std::string kind, value;
    for (const char *address : {"spam@junk.example", "junk.example", "", "@", "a@b@c"})
        known.isInKnownList(address, kind, value);
    return 0;
}

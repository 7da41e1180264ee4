#pragma once
// Mail settings of this desktop that help fill in a first configuration: the
// first POP3 account of the user's Thunderbird profile and the program the
// desktop opens "mailto:" addresses with. Every reader returns an empty
// result when the files are missing or say nothing usable; none raises.

#include "settings/other_mail_programs.h"

#include <map>
#include <string>
#include <vector>

namespace tw {

// The user_pref("name", value) lines of a Thunderbird prefs.js; string
// values are unescaped, numbers and true/false kept as written.
std::map<std::string, std::string> readThunderbirdPrefs(const std::string &prefsText);

// The first POP3 account (in the account manager's order, else by server
// number) of the prefs: its host name, with ":port" when the port is not
// 110, and its user name.
DetectedMailbox firstPop3Account(const std::map<std::string, std::string> &prefs);

// The folder of the default Thunderbird profile listed in
// <Home>/.thunderbird/profiles.ini ("" when there is none).
std::string thunderbirdProfileFolder(const std::string &home);

// The first POP3 account of the default Thunderbird profile under Home.
DetectedMailbox thunderbirdMailbox(const std::string &home);

// Where the desktop's association files and application entries are looked up.
struct DesktopFolders {
    std::string configHome;            // ~/.config unless XDG_CONFIG_HOME says otherwise
    std::string dataHome;              // ~/.local/share unless XDG_DATA_HOME says otherwise
    std::vector<std::string> dataDirs; // XDG_DATA_DIRS, default /usr/local/share and /usr/share
    // The folders of this session, from HOME and the XDG variables.
    static DesktopFolders current();
};

// The program of the desktop entry named as the x-scheme-handler/mailto
// association (user's mimeapps.list first, then the system's mimeapps.list
// and defaults.list): its Exec program as an absolute path when it can be
// found on PATH, else as written; "" when there is no association.
std::string desktopMailProgram(const DesktopFolders &folders);

} // namespace tw

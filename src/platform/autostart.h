#pragma once
// Starting Tidewell when the user logs in, the desktop's own way (XDG
// autostart): a desktop entry "tidewell.desktop" in $XDG_CONFIG_HOME/autostart
// (default ~/.config/autostart), which the session starts at login. The file
// itself is the setting, so a change made with the desktop's own tools is
// what Tidewell shows next.

#include <string>

namespace tw {

// Where the entry lives.
std::string autostartFilePath();

// Whether the entry is there and not switched off (Hidden=true, or
// X-GNOME-Autostart-enabled=false, as the desktops' own tools write it).
bool startsAtLogin();

// Writes the entry that starts Program at login (with TIDEWELL_HOME, when
// that is set, so that the same program folder is used), creating the
// autostart folder when needed; or removes the entry. Raises EStoreError
// whose text says what could not be done; a failure changes nothing.
void setStartAtLogin(bool on, const std::string &program);

// The entry's Exec value for Program, started with the program folder Home
// ("" for none): each argument quoted and escaped as desktop entries require.
std::string autostartExecValue(const std::string &program, const std::string &home);

} // namespace tw

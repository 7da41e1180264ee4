#pragma once
// Finding the user's session bus where nobody said where it is.
//
// The desktop keyring answers through the session bus, whose address a
// desktop session hands its programs in DBUS_SESSION_BUS_ADDRESS. Programs
// started by cron (or by anything else that gives an empty environment) do
// not get it, yet while the user is logged in (or lingering) the bus is
// there, at the well-known socket of the user's runtime folder. Without
// this, D-Bus libraries fall back to starting a bus of their own, which needs
// an X display and fails ("Cannot autolaunch D-Bus without X11 $DISPLAY").

#include <string>
#include <sys/types.h>

namespace tw {

// The D-Bus address ("unix:path=...") of the first of RuntimeDir/bus (when
// RuntimeDir is not empty) and RunUserRoot/<Uid>/bus that is a socket owned
// by Uid; "" when neither is. A socket of another user is never taken: what
// answers there could ask for the user's secrets.
std::string userSessionBusAddress(const std::string &runtimeDir, uid_t uid,
                                  const std::string &runUserRoot = "/run/user");

// Called first thing by the programs that reach the keyring: when
// DBUS_SESSION_BUS_ADDRESS is unset or empty, sets it to the bus found by
// userSessionBusAddress for $XDG_RUNTIME_DIR and this user. Returns the
// address it set ("" when the variable was set already or no bus was found).
std::string useUserSessionBusWhenUnset();

} // namespace tw

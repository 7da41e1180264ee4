#pragma once
// Mailbox and mail program settings of other mail programs, read from the
// registry stand-in (platform/registry.h). These keys exist only where a
// user or an import put them there; on a fresh system every reader finds
// nothing and returns an empty result.

#include "platform/registry.h"

#include <string>

namespace tw {

// A mailbox found in another program's settings; an empty server means none.
struct DetectedMailbox {
    std::string server;
    std::string userName;
    bool found() const { return !server.empty() || !userName.empty(); }
};

// The Internet Account Manager's first account (per-user key): server and
// user name, or nothing when its server is empty.
DetectedMailbox CheckWin98(const Registry &registry);

// Eudora's POP account from its ini file, located through the machine-wide
// "App Paths\Eudora.exe" Path value or the mailto command. "user@host"
// splits into user name and server; a value without "@" is the server.
DetectedMailbox CheckEudora(const Registry &registry);

// Netscape's mail user name (per-user key) and, when present, its POP server.
DetectedMailbox CheckNetscape(const Registry &registry);

// The mail program named by the machine-wide Eudora path or mailto command;
// "" when neither is there.
std::string GetMailPath(const Registry &registry);

// Path with its file extension replaced by Extension (appended when it has none).
std::string changeFileExt(const std::string &path, const std::string &extension);

} // namespace tw

#pragma once
// Files and folders that only their owner can read: everything Tidewell
// writes (messages, settings, rules, the blacklist, the activity log, the
// record of a deletion run) and the folders it makes for them.
//
//  - New folders get mode 0700, new files 0600. A file that is rewritten
//    keeps its mode with nothing beyond 0600 (so a mode is narrowed, never
//    widened).
//  - Nothing is written through a symbolic link or into anything that is not
//    a regular file (a link, a pipe, a device, a folder): such an entry is
//    refused with a reason, never followed. New files are created with
//    O_EXCL and O_NOFOLLOW, so an entry planted at the last moment makes the
//    creation fail instead of being written through.
//
// Each call returns false (or -1) on failure and then puts the reason into
// *Why when Why is given.

#include <string>

namespace tw {

inline constexpr unsigned kPrivateFileMode = 0600;
inline constexpr unsigned kPrivateFolderMode = 0700;

// Creates Folder and any missing parents with mode 0700; existing folders
// are left as they are. True when Folder is a folder afterwards.
bool makePrivateFolders(const std::string &folder, std::string *why = nullptr);

// Takes the group and other permissions off Folder when the user owns it
// (a folder made by an earlier version with the usual umask is 0755).
// True when nothing needed doing or the change was made.
bool narrowFolderToOwner(const std::string &folder, std::string *why = nullptr);

// The mode a file written at Path gets: 0600 for a new file, the existing
// file's mode with nothing beyond 0600 otherwise.
unsigned privateModeFor(const std::string &path);

// Replaces the file at Path with Bytes atomically (a temporary file created
// with O_EXCL in the same folder, then renamed over it; a crash never leaves
// half a file), with the mode of privateModeFor. Refuses when Path exists and
// is not a regular file.
bool writePrivateFile(const std::string &path, const std::string &bytes, std::string *why = nullptr);

// Creates the new file Path with mode 0600 and writes Bytes to it. Fails when
// anything (a file, a link, dangling or not) is at Path already.
bool createPrivateFile(const std::string &path, const std::string &bytes, std::string *why = nullptr);

// Opens Path for appending and returns the descriptor (the caller closes
// it), or -1. A missing file is created with mode 0600; an existing regular
// file is narrowed to at most 0600. A symbolic link or any other entry that is
// not a regular file is refused.
int openPrivateFileForAppend(const std::string &path, std::string *why = nullptr);

} // namespace tw

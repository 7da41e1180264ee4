#pragma once
// Whole-file reading and writing for the program's small text files (the
// registry file, ini files). Writing replaces a file atomically: the bytes go
// to a temporary file in the same folder, reach the disk, and only then take
// the place of the old file, so a crash or a full disk never leaves half a file.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The most a program file is read into memory unless its reader names
// another bound: far beyond any settings, rule, blacklist, learned-score or
// index file in use, and still a size a desktop holds without trouble.
inline constexpr size_t kMaxProgramFileBytes = size_t(64) << 20;

// What reading a whole file found.
struct FileContents {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    std::string bytes;   // when Read
    std::string reason;  // when Unreadable: the system's text (no permission, I/O error, a folder),
                         // or that the entry is not a regular file or is larger than the bound
};
// Reads the file at Path, telling a file that does not exist apart from one
// that exists but cannot be read. Only a regular file is read (a symbolic
// link to one is followed): a pipe, a device or a socket in its place is
// Unreadable at once, without waiting for a writer or reading endlessly. A
// file of more than MaxBytes is Unreadable too, and no more than MaxBytes
// and one byte are ever held while finding that out (a file that grows while
// it is read included).
FileContents readFileContents(const std::string &path, size_t maxBytes = kMaxProgramFileBytes);

// The file's bytes, or nullopt when it does not exist or cannot be read (as
// readFileContents).
std::optional<std::string> readWholeFile(const std::string &path, size_t maxBytes = kMaxProgramFileBytes);

// Splits Text into lines ending in CR LF, LF or CR (the line ends removed).
// A final line end does not start another (empty) line.
std::vector<std::string> splitLines(const std::string &text);

// Replaces Path with Bytes atomically; the new file gets Mode (for example
// 0600). Missing parent folders are NOT created. On failure returns false,
// leaves the old file untouched, removes its temporary file and puts the
// system's reason into *Why. A write past the process's file-size limit
// fails this way too (the signal that would end the program is ignored).
bool writeFileAtomically(const std::string &path, const std::string &bytes, unsigned mode,
                         std::string *why = nullptr);

// The folder part of Path ("" when Path has no '/'; "/" for a file in the root).
std::string folderOf(const std::string &path);

} // namespace tw

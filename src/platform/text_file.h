#pragma once
// Whole-file reading and writing for the program's small text files (the
// registry file, ini files). Writing replaces a file atomically: the bytes go
// to a temporary file in the same folder, reach the disk, and only then take
// the place of the old file, so a crash or a full disk never leaves half a file.

#include <optional>
#include <string>
#include <vector>

namespace tw {

// What reading a whole file found.
struct FileContents {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    std::string bytes;   // when Read
    std::string reason;  // when Unreadable: the system's text (no permission, I/O error, a folder)
};
// Reads the file at Path, telling a file that does not exist apart from one
// that exists but cannot be read.
FileContents readFileContents(const std::string &path);

// The file's bytes, or nullopt when it does not exist or cannot be read.
std::optional<std::string> readWholeFile(const std::string &path);

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

#pragma once
// How the settings files (registry.ini, tidewell.ini, the rule files) are
// read and written whole, so that saving costs one write per file and
// change of state, not one per value:
//
//  - A write whose bytes equal the private file already on disk writes
//    nothing (a file that is not private yet, or not a regular file, is
//    still written, so it is narrowed or refused as always).
//  - While a SettingsWriteBatch exists, writes only change the file's
//    pending contents, which every read through readSettingsFile sees; the
//    batch writes each changed file once, atomically, when it commits (on a
//    thread of its own, the interface thread handling its events
//    meanwhile). A batch made while another exists joins it: the outermost
//    one writes.
//
// One thread (the interface thread) uses these calls; each thread has its
// own batch.

#include "platform/text_file.h"

#include <functional>
#include <string>

namespace tw {

// The file as it is, or as the running batch will write it.
FileContents readSettingsFile(const std::string &path);

// Called with the system's reason when a file cannot be written; it raises
// the writer's own error.
using SettingsWriteFailure = std::function<void(const std::string &why)>;

// Replaces the file at Path with Bytes (through writePrivateFile; with
// MakeFolder its missing folders are made first). Outside a batch this
// happens at once and Failure is called (and must raise) when it cannot;
// inside one it happens when the batch commits, and Failure is kept for then.
void writeSettingsFile(const std::string &path, std::string bytes, SettingsWriteFailure failure,
                       bool makeFolder = false);

class SettingsWriteBatch {
public:
    SettingsWriteBatch();
    // Commits what is still pending; a failure then is not reported (the
    // batch ends because an error is already on its way).
    ~SettingsWriteBatch();
    SettingsWriteBatch(const SettingsWriteBatch &) = delete;
    SettingsWriteBatch &operator=(const SettingsWriteBatch &) = delete;

    // Writes every file changed since the batch began, once each, in the
    // order they were first written; files that cannot be written do not
    // stop the others. Then raises through the Failure of the first file
    // that could not be written. Reads see the files as written meanwhile;
    // what a handler of an event writes meanwhile is written by the same
    // commit, in a further round. A joined batch commits nothing: the
    // outermost one does.
    void commit();

private:
    bool m_outermost;
};

// Seam for tests: called with the path of every settings file actually
// written to disk, on the thread that wrote it. Null: nothing is called.
void setSettingsWriteObserver(std::function<void(const std::string &path)> observer);

} // namespace tw

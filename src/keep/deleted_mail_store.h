#pragma once
// The deleted-mail folder ("deleted" in the program folder): one file per
// kept message, holding the message exactly as the server delivered it, and
// the index that describes them (kept_index.h). Files and index are written
// whole or not at all and reach the disk before a call returns.
//
// The files are what counts: the index is mended against them whenever it
// is read. A row whose file is gone is dropped; a file without a row (the
// index was damaged, lost, or a run broke off between writing a copy and its
// row) gets a row rebuilt from its name and its header block. Mending never
// removes a file. Only remove() and expire() remove copies.
//
// All calls come from one thread; the copies of a deletion run are written
// in the background by DeletionCopyBatch (deletion_copy_batch.h).

#include "keep/kept_expiry.h"
#include "keep/kept_message.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tw {

class DeletedMailStore {
public:
    // Folder: where the copies live, without a final "/".
    explicit DeletedMailStore(std::string folder);
    // The program folder's "deleted".
    static std::string defaultFolder();

    const std::string &folder() const { return m_folder; }
    std::string pathOf(const std::string &fileName) const { return m_folder + "/" + fileName; }

    // Creates the folder (only its owner may enter it) when it is missing;
    // the folder holding it must be there.
    // False with the system's reason in *Why when there is no folder after.
    bool prepareFolder(std::string *why = nullptr) const;

    // Every kept copy, newest first, from the index mended against the files
    // (the index is written again when mending changed it; a failure to write
    // it is no error, the next reading mends again). No folder: none.
    std::vector<KeptMessage> load() const;

    // Adds the rows of copies already written to the index, in place of rows
    // a mending gave them meanwhile. False with the reason when the index
    // cannot be written; the files are then left as they are.
    bool addRows(const std::vector<KeptMessage> &rows, std::string *why = nullptr) const;

    // Removes the copies named: their rows leave the index first, then their
    // files go. False with the reason when the index cannot be written (then
    // nothing is removed) or a file cannot be removed.
    bool remove(const std::vector<std::string> &fileNames, std::string *why = nullptr) const;

    struct ExpiryOutcome {
        int removed = 0;
        long long bytesLeft = 0;
        bool overLimit = false;  // see ExpiryPlan
        std::string failure;     // why a removal failed, "" when none did
    };
    // Removes what Limits expire at Now (seconds since 1970 UTC).
    ExpiryOutcome expire(const KeptCopyLimits &limits, qint64 now) const;

    // A name for a new copy that no file in the folder has and that is not
    // in Taken (names handed out for copies still being written).
    std::string newFileName(qint64 deletedAt, int mailbox, const std::string &uidl,
                            const std::set<std::string> &taken) const;

    // The copy's bytes; nullopt when it cannot be read.
    std::optional<std::string> read(const std::string &fileName) const;

    // The explanation a row rebuilt from its file carries.
    static const char *const kRebuiltWhy;

private:
    std::string indexPath() const;
    bool writeIndex(const std::vector<KeptMessage> &rows, std::string *why) const;

    std::string m_folder;
};

// Writes one kept file: whole or not at all, reaching the disk, readable by
// its owner only. The one place where copies are created.
bool writeKeptFile(const std::string &path, const std::string &bytes, std::string *why);

} // namespace tw

#pragma once
// Training the learned score from mail kept in files: a message or header
// block, a folder of .eml files, a Maildir or an mbox file, all of it as
// junk or all of it as ordinary mail. Messages from files belong to no
// mailbox; trained twice they still count once.

#include "classify/learned_filter.h"

#include <functional>
#include <string>

namespace tw {

struct FileTraining {
    int read = 0;       // messages read
    int trained = 0;    // counted for the first time
    int moved = 0;      // were counted the other way before
    int already = 0;    // were counted this way before
    int unreadable = 0; // files that could not be read
    bool canceled = false;
    std::string error;  // the source itself could not be read, or the store cannot be used
};

// Trains every message of the source at Path as As. Progress as
// readMessageSource takes it (false stops: what was read so far stays
// trained). The store is not saved here.
FileTraining trainFromSource(LearnedFilter &filter, const std::string &path, TrainedAs as,
                             const std::function<bool(long long done, long long total)> &progress = {});

// One or two sentences telling the user what the training did.
std::string fileTrainingText(const FileTraining &result, TrainedAs as);

} // namespace tw

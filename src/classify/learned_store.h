#pragma once
// The learned score's file in the program folder, "learned.dat": the token
// counts, the message totals, the trained messages and the pending ones, as
// text with LF line ends:
//
//   Tidewell learned score 1          the format's version
//   messages <spam> <ham>
//   tokens <n>                        then n lines: <spam> <ham> <day> <token>
//   trained <n>                       then n lines: <message key> <S|H> <day>
//   pending <n>                       then n lines: <message key> <mailbox key> <day>
//   end
//
// Keys are 16 hexadecimal digits, days count from 1970-01-01. A version
// reads the files of every earlier version; a file of a later version is
// left alone. The closing "end" tells a whole file from a cut one.

#include "classify/learned_score.h"
#include "classify/training_ledger.h"

#include <string>
#include <string_view>

namespace tw {

inline constexpr const char *kLearnedStoreFile = "learned.dat";
inline constexpr int kLearnedStoreVersion = 1;

struct LearnedData {
    TrainedCounts counts;
    TrainingLedger ledger;
    void clear();
};

// The file's text for Data.
std::string learnedStoreText(const LearnedData &data);

// Reads Text into Data (cleared first). False when the text is not a whole
// store of a known version; Problem then says what is wrong and where, and
// Version holds the version the first line names (0 when it names none).
bool parseLearnedStore(std::string_view text, LearnedData &data, std::string &problem, int &version);

// What reading the store file found.
struct LearnedStoreRead {
    enum class State {
        Missing,    // no file yet: Data is empty
        Read,       // Data holds the file
        Damaged,    // the file could not be understood; it was moved to KeptAs and Data is empty
        Unreadable, // the file is there but cannot be used (no permission, an I/O error, a later
                    // version, or a damaged file that could not be moved); it must not be written over
    };
    State state = State::Missing;
    std::string problem; // Damaged, Unreadable: what was wrong
    std::string keptAs;  // Damaged: the damaged file's new name
};

// Reads the store at Path into Data. A damaged file is renamed to
// "<Path>.damaged" (or "<Path>.damaged-2", ...), never deleted; with
// SetDamagedAside false (a reader that changes no file) it stays where it is
// and counts as Unreadable.
LearnedStoreRead readLearnedStore(const std::string &path, LearnedData &data, bool setDamagedAside = true);

// Writes Data to Path atomically (mode 0600); false with the reason in *Why.
bool writeLearnedStore(const std::string &path, const LearnedData &data, std::string *why = nullptr);

} // namespace tw

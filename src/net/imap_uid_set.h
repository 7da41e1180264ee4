#pragma once
// Sets of message UIDs as IMAP writes them ("4,7:9,12"): for commands, cut
// into pieces that keep each command line short, and read back from a
// server's COPYUID response code (RFC 4315), which says which UIDs the
// copies got, in the order of the originals.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Some UIDs and the text that names them.
struct TUidSet {
    std::string text;           // "4,7:9"
    std::vector<uint32_t> uids; // 4, 7, 8, 9
};

// Uids in ascending order without repeats, in sets whose texts are at most
// MaxBytes long (runs of consecutive UIDs as "a:b"); none for none.
std::vector<TUidSet> uidSets(std::vector<uint32_t> uids, size_t maxBytes);

// The UIDs of Text ("4,7:9"), each range from its lower to its higher end,
// in the order written. Nothing when Text is not a set of UIDs (0 is none),
// or names more than MaxCount of them.
std::optional<std::vector<uint32_t>> uidsOfSet(std::string_view text, size_t maxCount);

} // namespace tw

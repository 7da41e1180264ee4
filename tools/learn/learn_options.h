#pragma once
// The command line of tidewell-learn:
//   tidewell-learn [--spam FILE...] [--ham FILE...] [--score FILE...] [--stats]
// Each of --spam, --ham and --score applies to the files that follow it, up
// to the next option; they may come in any order and more than once.

#include <optional>
#include <string>
#include <vector>

namespace tw::learn {

struct Options {
    std::vector<std::string> spam;  // train as junk
    std::vector<std::string> ham;   // train as ordinary mail
    std::vector<std::string> score; // print the score of each
    bool stats = false;             // print the trained counts
};

// Reads Arguments (without the program name). On a mistake returns nothing
// and puts a one-line reason into Error.
std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error);

inline constexpr const char *kUsage =
    "usage: tidewell-learn [--spam FILE...] [--ham FILE...] [--score FILE...] [--stats]\n"
    "  --spam FILE...   train each message as junk\n"
    "  --ham FILE...    train each message as ordinary mail\n"
    "  --score FILE...  print each message's learned score (three decimals), a tab and the file name\n"
    "  --stats          print how many messages of each kind are trained\n"
    "  FILE is a whole message or its header block (only the header block is used); for training it may\n"
    "  also be a folder of .eml files, a Maildir or an mbox file. The store is learned.dat in the program\n"
    "  folder ($TIDEWELL_HOME when set). Training is refused while Tidewell runs.\n";

} // namespace tw::learn

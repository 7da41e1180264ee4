#pragma once
// The command line of tidewell-why:
//   tidewell-why [--size N] [--mailbox N] [--mark N] FILE

#include <optional>
#include <string>
#include <vector>

namespace tw::why {

struct Options {
    std::string file;             // "-" for standard input
    std::optional<long long> size; // bytes; default: the bytes of the header block read
    int mailbox = 0;              // the mailbox being checked, 1..12; 0 for none
    std::optional<int> mark;      // the row's previous mark, -1..14
};

// Reads Arguments (without the program name). On a mistake returns nothing
// and puts a one-line reason into Error.
std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error);

inline constexpr const char *kUsage = "usage: tidewell-why [--size N] [--mailbox N] [--mark N] FILE\n"
                                      "  FILE  a raw header block (\"-\" for standard input)\n"
                                      "  --size N     the message size in bytes (default: the bytes read)\n"
                                      "  --mailbox N  the number of the mailbox being checked, 1-12 (default 0: none)\n"
                                      "  --mark N     the row's mark before the explanation, -1 to 14\n"
                                      "               (default: the mark the classification gives)\n";

} // namespace tw::why

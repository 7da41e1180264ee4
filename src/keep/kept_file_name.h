#pragma once
// The names of kept copies: "<deleted>_<mailbox>_<uidl>.eml", for example
// "20261208T213405Z_1_0000a1b2.eml". The time is UTC in ISO basic form, the
// UIDL keeps its letters and digits and every other byte becomes "%" and
// two hexadecimal digits, so any UIDL makes a safe name and reads back
// unchanged. A second copy with the same name gets "_2" before ".eml", and
// so on.

#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

inline constexpr std::string_view kKeptFileSuffix = ".eml";

// The name of the Duplicate-th copy (1: the first) deleted at DeletedAt
// (seconds since 1970 UTC) from Mailbox with Uidl. UIDLs longer than 100
// bytes are cut there.
std::string keptFileName(qint64 deletedAt, int mailbox, std::string_view uidl, int duplicate = 1);

struct KeptFileNameParts {
    qint64 deletedAt = 0;
    int mailbox = 0;
    std::string uidl;
};
// The parts of a name made by keptFileName; nullopt for any other name.
std::optional<KeptFileNameParts> parseKeptFileName(std::string_view name);

} // namespace tw

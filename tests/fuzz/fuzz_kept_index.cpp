// A file as the index of the deleted-mail folder. Whatever rows read back
// must be written and read again unchanged and undamaged, and every file
// name they hold must read back as the name keptFileName makes of its parts.
#include "keep/kept_file_name.h"
#include "keep/kept_index.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const ParsedKeptIndex parsed = parseKeptIndex(text);
    const ParsedKeptIndex again = parseKeptIndex(keptIndexText(parsed.rows));
    if (again.damaged || !(again.rows == parsed.rows))
        std::abort();
    for (const KeptMessage &row : parsed.rows) {
        const std::optional<KeptFileNameParts> parts = parseKeptFileName(row.fileName);
        if (!parts)
            std::abort();
        const std::optional<KeptFileNameParts> remade =
            parseKeptFileName(keptFileName(parts->deletedAt, parts->mailbox, parts->uidl));
        if (!remade || remade->deletedAt != parts->deletedAt || remade->mailbox != parts->mailbox ||
            (parts->uidl.size() <= 100 && remade->uidl != parts->uidl))
            std::abort();
    }
    return 0;
}

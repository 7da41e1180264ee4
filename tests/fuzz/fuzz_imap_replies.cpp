// The input as a stream of IMAP replies, read one after the other as the
// client reads them (lines, and literals taken by their counts), each then
// taken apart by everything that makes sense of a reply: FETCH items,
// folders, name spaces, capabilities, COPYUID sets, folder names.
#include "fixtures/imap_memory_input.h"
#include "fuzz_support.h"
#include "net/imap_capabilities.h"
#include "net/imap_fetch.h"
#include "net/imap_folders.h"
#include "net/imap_mailbox_name.h"
#include "net/imap_reply_reader.h"
#include "net/imap_uid_set.h"

using namespace tw;

namespace {

void takeApart(const TImapResponse &response)
{
    (void)response.quoted();
    if (response.name == "FETCH") {
        try {
            (void)fetchOf(response);
        } catch (const EImapReplyError &) {
        }
    }
    if (const auto folder = folderOf(response)) {
        const std::string shown = imapMailboxDisplayName(folder->name);
        (void)imapMailboxName(shown);
        (void)junkFolderOf({*folder});
    }
    (void)personalNamespacePrefix(response);
    (void)TImapCapabilities::fromData(response.data).saslMechanisms();
    (void)TImapCapabilities::fromText(response.codeArguments).has("MOVE");
    (void)imapNumber(response.codeArguments);
    // COPYUID's arguments: a UIDVALIDITY and two sets.
    const std::string &arguments = response.codeArguments;
    const size_t first = arguments.find(' ');
    if (first != std::string::npos) {
        const size_t second = arguments.find(' ', first + 1);
        const auto sources = uidsOfSet(arguments.substr(first + 1, second - first - 1), 1000);
        if (sources && second != std::string::npos)
            (void)uidsOfSet(arguments.substr(second + 1), sources->size());
        if (sources)
            (void)uidSets(*sources, 40);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    test::ImapMemoryInput input(fuzz::inputAsText(data, size));
    // Small bounds, so that the fuzzer reaches them.
    TImapReadLimits limits;
    limits.MaxKeptBytes = 4096;
    limits.MaxKeptPerLiteral = 1024;
    limits.MaxLiteralBytes = 1 << 16;
    limits.MaxLiterals = 8;
    while (!input.atEnd()) {
        try {
            takeApart(readImapResponse(input, limits));
        } catch (const EImapReplyError &) {
            // the next reply starts after what was read of this one
        } catch (const EServerError &) {
            break; // the input ended inside a reply
        }
    }
    return 0;
}

// A header block as a server sends it, through the header model and the
// whole classification (every test on, a rule of each kind) and its
// explanation.
#include "classify/message_row.h"
#include "classify/classify_fixture.h"
#include "fuzz_support.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    test::ClassifyWorld world;
    world.settings.cbAscii = true;
    world.settings.cbValid = true;
    world.settings.cbKnownSpammers = true;
    world.settings.cbSmaller = true;
    world.settings.cbLarger = true;
    world.mx.existing = {"example.org"};
    world.subjectRule("Contains (whole word)", "offer", true);
    world.subjectRule("Starts with", "RE:", false, true);
    world.senderRule("Domain name", "Equals", "spam.example", true);
    world.senderRule("E-mail address", "All numeric", "", true);
    world.headerRule("Contains", "X-Mailer: Bulk", true);
    world.exceptionRule("Domain name", "Equals", "example.org", 7);

    const HeaderBlock block = readHeaderBlock(fuzz::inputAsText(data, size));
    TmsRemoteInfoItem &item = world.info.Add();
    item.Headers = block.headers;
    item.Size = int(size);
    const int row = world.messages.add(rowFromHeaders(block.headers, (long long)size));
    world.classifier.MarkForDeletion(row);
    world.classifier.explain(row);
    return 0;
}

// A header block as a server sends it, through the header model and the
// whole classification (every test on, a rule of each kind, a trained
// learned score) and its explanation; then trained into the learned score
// one way and moved the other.
#include "classify/classify_fixture.h"
#include "classify/learned_fixture.h"
#include "classify/message_row.h"
#include "fuzz_support.h"

using namespace tw;

namespace {

// Trained once; never written to a file.
LearnedFilter &trainedFilter()
{
    static LearnedFilter filter = [] {
        LearnedFilter trained{std::string()};
        test::trainBoth(trained, int(kLearnedMinimumTrained));
        return trained;
    }();
    return filter;
}

} // namespace

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
    world.classifier.setLearnedFilter(&trainedFilter());

    const HeaderBlock block = readHeaderBlock(fuzz::inputAsText(data, size));
    TmsRemoteInfoItem &item = world.info.Add();
    item.Headers = block.headers;
    item.Size = int(size);
    const int row = world.messages.add(rowFromHeaders(block.headers, (long long)size));
    world.classifier.MarkForDeletion(row);
    world.classifier.explain(row);
    trainedFilter().train(block.headers, TrainedAs::Spam, "fuzz");
    trainedFilter().train(block.headers, TrainedAs::Ham, "fuzz");
    return 0;
}

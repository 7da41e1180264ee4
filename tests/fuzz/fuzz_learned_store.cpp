// A file as the learned score's store: read; what reads is written out and
// must read back to the same counts, trained messages and waiting messages.
#include "classify/learned_store.h"
#include "fuzz_support.h"

#include <cstdlib>

using namespace tw;

namespace {

struct Summary {
    std::uint32_t spam, ham;
    size_t tokens, trained, pending;
    std::uint64_t countSum;
    bool operator==(const Summary &) const = default;
};

Summary summarize(const LearnedData &data)
{
    Summary summary{data.counts.spamMessages, data.counts.hamMessages, data.counts.tokens.size(),
                    data.ledger.trainedCount(), data.ledger.pendingCount(), 0};
    data.counts.tokens.forEach([&](std::string_view, const TokenCount &count) {
        summary.countSum += std::uint64_t(count.spam) * 3 + count.ham + count.day;
    });
    return summary;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text = fuzz::inputAsText(data, size);
    LearnedData first;
    std::string problem;
    int version = 0;
    if (!parseLearnedStore(text, first, problem, version)) {
        if (problem.empty())
            std::abort();
        return 0;
    }
    LearnedData second;
    if (!parseLearnedStore(learnedStoreText(first), second, problem, version) || summarize(first) != summarize(second))
        std::abort();
    return 0;
}

#include "keep/kept_expiry.h"

#include <algorithm>

namespace tw {

ExpiryPlan planExpiry(const std::vector<KeptMessage> &rows, qint64 now, const KeptCopyLimits &limits)
{
    ExpiryPlan plan;
    std::vector<const KeptMessage *> oldestFirst;
    oldestFirst.reserve(rows.size());
    for (const KeptMessage &row : rows) {
        oldestFirst.push_back(&row);
        plan.bytesLeft += row.storedBytes;
    }
    if (limits.days <= 0)
        return plan;
    std::stable_sort(oldestFirst.begin(), oldestFirst.end(),
                     [](const KeptMessage *a, const KeptMessage *b) { return a->deletedAt < b->deletedAt; });
    const qint64 tooOld = now - qint64(limits.days) * kSecondsPerDay;
    const qint64 young = now - kSecondsPerDay;
    for (const KeptMessage *row : oldestFirst) {
        const bool expired = row->deletedAt < tooOld;
        const bool overSize = limits.maxBytes > 0 && plan.bytesLeft > limits.maxBytes;
        if (!expired && !overSize)
            break;
        if (!expired && row->deletedAt > young) {
            plan.overLimit = true;
            break;
        }
        plan.remove.push_back(row->fileName);
        plan.bytesLeft -= row->storedBytes;
    }
    return plan;
}

} // namespace tw

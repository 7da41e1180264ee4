#include "stats/table_sort.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

template <class T>
int compareValues(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

long long numberOf(const std::string &text)
{
    long long value = 0;
    return parseInt(trimmed(text), value) ? value : 0;
}

template <class Row, class Compare>
void sortRows(std::vector<const Row *> &rows, bool ascending, Compare compare)
{
    std::stable_sort(rows.begin(), rows.end(), [&](const Row *a, const Row *b) {
        const int order = compare(*a, *b);
        return ascending ? order < 0 : order > 0;
    });
}

} // namespace

void sortTraffic(std::vector<const CheckRecord *> &rows, TrafficColumn column, bool ascending)
{
    sortRows(rows, ascending, [column](const CheckRecord &a, const CheckRecord &b) {
        switch (column) {
        case TrafficColumn::Date: return compareValues(a.dateValue, b.dateValue);
        case TrafficColumn::Time: return compareValues(a.timeValue, b.timeValue);
        case TrafficColumn::Server: return compareText(a.server, b.server);
        case TrafficColumn::Mailbox: return compareText(a.mailbox, b.mailbox);
        case TrafficColumn::Count: return compareValues(numberOf(a.count), numberOf(b.count));
        }
        return 0;
    });
}

void sortSpam(std::vector<const DeletionRecord *> &rows, SpamColumn column, bool ascending)
{
    sortRows(rows, ascending, [column](const DeletionRecord &a, const DeletionRecord &b) {
        switch (column) {
        case SpamColumn::Date: return compareValues(a.dateValue, b.dateValue);
        case SpamColumn::Time: return compareValues(a.timeValue, b.timeValue);
        case SpamColumn::Server: return compareText(a.server, b.server);
        case SpamColumn::Mailbox: return compareText(a.mailbox, b.mailbox);
        case SpamColumn::Size: return compareValues(numberOf(a.size), numberOf(b.size));
        case SpamColumn::Sender: return compareText(a.sender, b.sender);
        case SpamColumn::Domain: return compareText(a.domain, b.domain);
        }
        return 0;
    });
}

} // namespace tw

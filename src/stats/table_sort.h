#pragma once
// Sorting the two statistics tables by a column. Dates and times compare as
// points in time, "# Mail" and "Size" as numbers (a text that is no number
// counts as 0), the other columns as text without regard to letter case.
// Rows that compare equal keep their log order.

#include "stats/statistics.h"

namespace tw {

enum class TrafficColumn { Date, Time, Server, Mailbox, Count };
enum class SpamColumn { Date, Time, Server, Mailbox, Size, Sender, Domain };

void sortTraffic(std::vector<const CheckRecord *> &rows, TrafficColumn column, bool ascending);
void sortSpam(std::vector<const DeletionRecord *> &rows, SpamColumn column, bool ascending);

} // namespace tw

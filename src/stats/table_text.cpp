#include "stats/table_text.h"

namespace tw {

namespace {
const std::string kNoCell;
}

const std::string &trafficCell(const CheckRecord &record, int column)
{
    switch (column) {
    case 0: return record.date;
    case 1: return record.time;
    case 2: return record.server;
    case 3: return record.mailbox;
    case 4: return record.count;
    default: return kNoCell;
    }
}

const std::string &spamCell(const DeletionRecord &record, int column)
{
    switch (column) {
    case 0: return record.date;
    case 1: return record.time;
    case 2: return record.server;
    case 3: return record.mailbox;
    case 4: return record.size;
    case 5: return record.sender;
    case 6: return record.domain;
    default: return kNoCell;
    }
}

std::string tabSeparated(const std::vector<std::vector<std::string>> &rows)
{
    std::string text;
    for (const std::vector<std::string> &row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += '\t';
            for (const char ch : row[c])
                text += ch == '\t' || ch == '\r' || ch == '\n' ? ' ' : ch;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace tw

#pragma once
// A long activity log for the statistics benchmarks: checks every few
// minutes over ten years for five mailboxes on three servers, one in four
// followed by a deleted spam message from one of 5,000 senders. Written with
// the log's own line formats, so it reads back like a real one (under
// whatever date and time formats are in force).

#include "stats/log_format.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace tw {

inline constexpr long kGeneratedLogLines = 1'000'000;

// Writes about Lines lines to Path; returns how many (0 when it cannot write).
inline long writeGeneratedLog(const std::string &path, long targetLines)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const char *mailboxes[] = {"alice", "Bob", "carol", "dave", "Eve"};
    const char *servers[] = {"pop.alpha.example", "pop.beta.example", "mail.gamma.example"};
    std::mt19937 random(20261208);
    const TDateTime first = encodeDate(2016, 12, 1);
    const double tenYears = 3652.0;
    long lines = 0;
    auto put = [&](const std::string &line) {
        std::fputs(line.c_str(), file);
        std::fputs(kLogLineEnd, file);
        ++lines;
    };
    // Roughly 370,000 checks per million lines.
    const double checks = 370'000.0 * double(targetLines) / 1'000'000.0;
    std::string stamp;
    TDateTime lastMinute = -1;
    for (long i = 0; lines < targetLines; ++i) {
        const TDateTime when = first + tenYears * double(i) / checks;
        const TDateTime minute = std::floor(when * 1440.0) / 1440.0;
        if (minute != lastMinute) {
            stamp = logTimeStamp(minute + 1e-9);
            lastMinute = minute;
        }
        const size_t box = random() % 5;
        const int found = int(random() % 6);
        put(mailCheckLine(found, mailboxes[box], servers[box % 3], stamp));
        if (random() % 4 == 0 && lines + 5 <= targetLines) {
            const unsigned sender = random() % 5000;
            const DeletedMessageEntry message{
                servers[box % 3],
                mailboxes[box],
                "Offer number " + std::to_string(i),
                "user" + std::to_string(sender) + "@spam" + std::to_string(sender % 700) + ".example",
                "Sender " + std::to_string(sender % 50),
                std::to_string(1000 + random() % 90000),
                "12/1/2016 10:00:00 AM"};
            for (const std::string &line : deletionBlock(message, stamp))
                put(line);
        }
    }
    std::fclose(file);
    return lines;
}

} // namespace tw

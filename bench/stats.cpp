// Times the statistics on a long history: writes an activity log of
// 1,000,000 lines (checks and deletion blocks over ten years, several
// mailboxes), then reads it and computes every table, series, top-ten list
// and the pie, for all mailboxes and for one (or measures the log named
// on the command line). Prints the times and the
// process's peak memory. Goal: at most 2 s and 400 MB.

#include "platform/clock.h"
#include "platform/clock_locale.h"
#include "stats/daterange.h"
#include "stats/log_format.h"
#include "stats/log_reader.h"
#include "stats/statistics.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <sys/resource.h>

using namespace tw;

namespace {

const long kTargetLines = 1'000'000;

long writeLog(const std::string &path)
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
    // Roughly 370,000 checks, one in four finding spam that is deleted at once.
    const long checks = 370'000;
    std::string stamp;
    TDateTime lastMinute = -1;
    for (long i = 0; lines < kTargetLines; ++i) {
        const TDateTime when = first + tenYears * double(i) / double(checks);
        const TDateTime minute = std::floor(when * 1440.0) / 1440.0;
        if (minute != lastMinute) {
            stamp = logTimeStamp(minute + 1e-9);
            lastMinute = minute;
        }
        const size_t box = random() % 5;
        const int found = int(random() % 6);
        put(mailCheckLine(found, mailboxes[box], servers[box % 3], stamp));
        if (random() % 4 == 0 && lines + 5 <= kTargetLines) {
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

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of the process (user and system), which unlike the wall
// clock does not grow when other programs share the machine.
double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

struct Sink {
    long long total = 0;
    void take(const StatsTables &t, const ChartData &c, const PieValues &p)
    {
        total += static_cast<long long>(t.traffic.size() + t.spam.size()) + c.dayChecks.size() + c.topSpammers.size() +
                 c.topDomains.size() + p.normal + p.deleted + c.found48[0];
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    LocaleFormats::setFormats("M/d/yy", "h:mm AP", "h:mm:ss AP");

    // With a path argument an existing log is measured instead of a generated one.
    QTemporaryDir folder;
    std::string path = folder.filePath("activity.txt").toStdString();
    if (argc > 1) {
        path = argv[1];
    } else {
        const long lines = writeLog(path);
        std::printf("activity log: %ld lines\n", lines);
    }
    const long peakBefore = peakMegabytes();

    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    std::string error;
    const std::optional<ActivityLogData> data = readInLogFile(path, error);
    if (!data) {
        std::printf("reading failed: %s\n", error.c_str());
        return 1;
    }
    const double readSeconds = secondsSince(start);

    Sink sink;
    const StatsRange range = initialStatsRange(Clock::now());
    auto computeAll = [&](const StatsFilter &filter) {
        const auto t0 = std::chrono::steady_clock::now();
        const StatsTables tables = fillInGrids(*data, filter);
        const PieValues pie = RecomputePie(tables, filter.range);
        const ChartData chart = PlotReadings(*data, filter);
        sink.take(tables, chart, pie);
        return secondsSince(t0);
    };
    const double allSeconds = computeAll({range, std::nullopt});
    const double oneSeconds = computeAll({range, std::string("BOB")});
    const double total = secondsSince(start);
    const double cpuTotal = cpuSeconds() - cpuStart;

    std::printf("records: %zu checks, %zu deletions, %zu mailboxes\n", data->checks.size(), data->deletions.size(),
                data->mailboxes.size() - 1);
    std::printf("read log:                      %.3f s\n", readSeconds);
    std::printf("tables+series+top10+pie (all): %.3f s\n", allSeconds);
    std::printf("tables+series+top10+pie (one): %.3f s\n", oneSeconds);
    std::printf("total:                         %.3f s   (goal <= 2 s; processor time %.3f s)\n", total, cpuTotal);
    std::printf("peak memory:                   %ld MB   (goal <= 400 MB; %ld MB before reading)\n",
                peakMegabytes(), peakBefore);
    return sink.total > 0 ? 0 : 1;
}

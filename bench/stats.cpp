// Times the statistics on a long history: writes an activity log of
// 1,000,000 lines (checks and deletion blocks over ten years, several
// mailboxes), then reads it and computes every table, series, top-ten list
// and the pie, for all mailboxes and for one (or measures the log named
// on the command line). Prints the times and the
// process's peak memory. Goal: at most 2 s and 400 MB.

#include "bench_measures.h"
#include "generated_log.h"
#include "platform/clock.h"
#include "platform/clock_locale.h"
#include "stats/daterange.h"
#include "stats/log_format.h"
#include "stats/log_reader.h"
#include "stats/statistics.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>

using namespace tw;

namespace {

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
        const long lines = writeGeneratedLog(path, kGeneratedLogLines);
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

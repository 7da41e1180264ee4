#include "app/demo_tour.h"

#include "app/rmmain.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace tw {
namespace {

constexpr int kPollMs = 10;
constexpr int kGiveUpMs = 60000;
constexpr int kStallTickMs = 5;

// The longest time the interface thread went without handling its events
// while it was measured: a timer that should fire every few milliseconds
// notes the longest gap between two of its ticks.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kStallTickMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_sinceTick.start();
        m_timer.start();
    }
    // Milliseconds of the longest gap, the gap still running included.
    qint64 longest()
    {
        tick();
        return m_longest;
    }

private:
    void tick()
    {
        m_longest = std::max(m_longest, m_sinceTick.elapsed());
        m_sinceTick.start();
    }
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

rusage ownUsage()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

double processorSeconds()
{
    const rusage usage = ownUsage();
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void takeTheTour(TfrmMain &main, const QString &picture)
{
    std::printf("Main window shown\n");
    std::fflush(stdout);
    QElapsedTimer check;
    check.start();
    const double processorBefore = processorSeconds();
    StallMeter stalls;
    main.btListClick();
    const qint64 longestStall = stalls.longest();
    std::printf("Listed %d messages, %d marked for deletion\n", main.messages.count(), main.messages.markedCount());
    std::printf("Check to last row: %.3f s, processor %.3f s; longest wait for the window's events: %lld ms; "
                "peak memory: %.1f MB\n",
                check.nsecsElapsed() / 1e9, processorSeconds() - processorBefore, (long long)longestStall,
                double(ownUsage().ru_maxrss) / 1024.0);
    std::fflush(stdout);
    QCoreApplication::processEvents(); // paint the final state of the list
    if (main.grab().save(picture)) {
        std::printf("Saved a picture of the main window after the check: %s\n", qPrintable(picture));
        main.close();
    } else {
        std::fprintf(stderr, "tidewell: cannot save %s\n", qPrintable(picture));
        QCoreApplication::exit(1);
    }
}

} // namespace

void startDemoTourWhenAsked(TfrmMain &main)
{
    const QString picture = qEnvironmentVariable("TIDEWELL_DEMO_TOUR");
    if (picture.isEmpty())
        return;
    // Nobody can click a message box on a virtual display: each one is
    // printed and answered No.
    static ConsolePrompts prompts;
    Prompts::install(&prompts);

    // The main window is shown by the event loop; the tour starts once it is.
    auto *poll = new QTimer(&main);
    poll->setInterval(kPollMs);
    QObject::connect(poll, &QTimer::timeout, &main, [poll, &main, picture] {
        if (!main.isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        takeTheTour(main, picture);
    });
    poll->start();
    QTimer::singleShot(kGiveUpMs, &main, [] {
        std::fprintf(stderr, "tidewell: the demo tour did not finish within %d seconds\n", kGiveUpMs / 1000);
        QCoreApplication::exit(1);
    });
}

} // namespace tw

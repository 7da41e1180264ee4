// Times the mail program search's folder walk on a generated tree of
// 200,000 files (or on the folder named on the command line): the walk's
// speed with the options and name test the search window uses, how late the
// interface thread's timer runs while a walk is under way, and how long a
// walk takes to end after a stop request. Goals: the interface keeps
// running, and a walk ends within 0.2 s of the request.

#include "platform/bytes.h"
#include "settings/FileIterator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

using namespace tw;

namespace {

const int kFolders = 2000;
const int kFilesPerFolder = 100; // 200,000 files, in 2,000 folders two levels deep

void makeTree(const std::string &root)
{
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = root + "/d" + std::to_string(f / 50) + "/e" + std::to_string(f);
        QDir().mkpath(QString::fromStdString(folder));
        for (int n = 0; n < kFilesPerFolder; ++n) {
            QFile file(QString::fromStdString(folder + "/file" + std::to_string(n) + ".dat"));
            if (file.open(QIODevice::WriteOnly))
                file.write("x");
        }
    }
}

struct WalkResult {
    long files = 0;
    double seconds = 0;
    double latestTimerMs = 0; // the interface timer's worst lateness
    double stopMs = -1;       // request to end, when stopped
};

// One walk on a worker thread while the event loop runs a 10 ms timer.
// With StopAfterMs >= 0 a stop is requested that long after the start.
WalkResult walk(const std::string &root, int stopAfterMs)
{
    TFileIterator iterator;
    iterator.SetRootFolder(root);
    std::atomic<long> files{0};
    std::atomic<bool> ended{false};
    const std::string target = "thunderbird";
    iterator.OnAddFileQuery = [&](QObject *, const std::string &name, const TFileInfo &, bool &canAdd) {
        ++files;
        const size_t slash = name.rfind('/');
        canAdd = sameText(slash == std::string::npos ? name : name.substr(slash + 1), target);
    };
    iterator.OnAddFile = [](QObject *, const std::string &, const TFileInfo &) {};
    QElapsedTimer clock;
    std::atomic<qint64> endedAtNs{0};
    qint64 stopAtNs = -1;
    iterator.OnTerminate = [&](QObject *) {
        endedAtNs = clock.nsecsElapsed();
        ended = true;
    };

    WalkResult result;
    QEventLoop loop;
    QTimer tick;
    qint64 lastTick = 0;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        result.latestTimerMs = std::max(result.latestTimerMs, double(now - lastTick - 10));
        lastTick = now;
        if (stopAfterMs >= 0 && now >= stopAfterMs && stopAtNs < 0 && !ended) {
            stopAtNs = clock.nsecsElapsed();
            iterator.Stop();
        }
        if (ended && iterator.Idle()) {
            if (stopAtNs >= 0)
                result.stopMs = (endedAtNs - stopAtNs) / 1e6;
            loop.quit();
        }
    });
    clock.start();
    tick.start();
    TFileIteratorThread::Start(iterator);
    loop.exec();
    result.seconds = clock.nsecsElapsed() / 1e9;
    result.files = files;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    std::string root = argc > 1 ? argv[1] : tmp.path().toStdString();
    if (argc <= 1) {
        QElapsedTimer making;
        making.start();
        makeTree(root);
        std::printf("made %d files in %.1f s\n", kFolders * kFilesPerFolder, making.elapsed() / 1000.0);
    }
    walk(root, -1); // the first walk warms the file system's caches
    for (int run = 0; run < 3; ++run) {
        const WalkResult r = walk(root, -1);
        std::printf("walk: %ld files in %.3f s = %.0f files/s; interface timer at most %.1f ms late\n", r.files,
                    r.seconds, r.files / r.seconds, r.latestTimerMs);
    }
    double worstStop = 0;
    for (int stopAfter : {50, 100, 200, 300, 400}) {
        const WalkResult r = walk(root, stopAfter);
        if (r.stopMs < 0) {
            std::printf("stop after %d ms: the walk had ended already (%ld files)\n", stopAfter, r.files);
            continue;
        }
        worstStop = std::max(worstStop, r.stopMs);
        std::printf("stop after %d ms: ended %.2f ms after the request, %ld files walked\n", stopAfter, r.stopMs,
                    r.files);
    }
    std::printf("slowest stop: %.2f ms (goal: below 200 ms)\n", worstStop);
    return 0;
}

// Times the statistics window on a long history: writes an activity log of
// 1,000,000 lines (or takes the log named on the command line, writing the
// generated one there first when the file does not exist), presses OK
// in the launcher and measures the time until every chart page has been
// drawn, and how long the interface thread was ever kept from its events
// while the log was read. Prints the figures and the process's peak memory.
// Goal: every chart drawn within 1.5 s. Runs on the offscreen platform
// unless another is chosen. With TIDEWELL_BENCH_PICTURES set to a folder,
// every page of the window is also saved there as a PNG, after the timing.

#include "bench_measures.h"
#include "generated_log.h"
#include "platform/bytes.h"
#include "platform/clock_locale.h"
#include "stats/ui/chartit.h"
#include "stats/ui/chartmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace tw;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    LocaleFormats::setFormats("M/d/yy", "h:mm AP", "h:mm:ss AP");

    QTemporaryDir folder;
    std::string path = folder.filePath("activity.txt").toStdString();
    if (argc > 1)
        path = argv[1];
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        const long lines = writeGeneratedLog(path, kGeneratedLogLines);
        std::printf("activity log: %ld lines\n", lines);
    }
    const long peakBefore = peakMegabytes();

    TfrmChartMain launcher;
    launcher.show();
    launcher.edLogFile->setText(toDisplay(path));

    // The interface thread's longest wait between two ticks of a 10 ms timer
    // while the log is read.
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.restart());
    });

    double readySeconds = 0, drawnSeconds = 0, cpuDrawn = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    QObject::connect(&launcher, &TfrmChartMain::chartReady, [&](TfrmChart *chart) {
        ticker.stop();
        readySeconds = secondsSince(start);
        QTimer::singleShot(0, chart, [&, chart] {
            // Every chart page drawn as the user would see it by turning the tabs.
            for (int page = 0; page < 6; ++page) {
                chart->PageControl1->setCurrentIndex(page);
                chart->currentPageView()->grab();
            }
            drawnSeconds = secondsSince(start);
            cpuDrawn = cpuSeconds() - cpuStart;
            const QString pictures = qEnvironmentVariable("TIDEWELL_BENCH_PICTURES");
            for (int page = 0; !pictures.isEmpty() && page < chart->PageControl1->count(); ++page) {
                chart->PageControl1->setCurrentIndex(page);
                chart->grab().save(pictures + QStringLiteral("/page%1.png").arg(page));
            }
            chart->btClose->click();
        });
    });
    sinceTick.start();
    ticker.start();
    launcher.btOK->click();
    launcher.exec();

    if (drawnSeconds == 0) {
        std::printf("the statistics window did not open\n");
        return 1;
    }
    std::printf("OK to statistics window ready:   %.3f s\n", readySeconds);
    std::printf("OK to every chart page drawn:    %.3f s   (goal <= 1.5 s; processor time %.3f s)\n",
                drawnSeconds, cpuDrawn);
    std::printf("longest interface stall reading: %lld ms\n", static_cast<long long>(longestStall));
    std::printf("peak memory:                     %ld MB   (%ld MB before reading)\n", peakMegabytes(), peakBefore);
    return 0;
}

#include "app/demo_tour.h"

#include "app/rmmain.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace tw {
namespace {

constexpr int kPollMs = 10;
constexpr int kGiveUpMs = 60000;

void takeTheTour(TfrmMain &main, const QString &picture)
{
    std::printf("Main window shown\n");
    std::fflush(stdout);
    main.btListClick();
    std::printf("Listed %d messages, %d marked for deletion\n", main.messages.count(), main.messages.markedCount());
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

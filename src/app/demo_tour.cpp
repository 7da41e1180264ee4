#include "app/demo_tour.h"

#include "app/rmmain.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace tw {
namespace {

// Nobody can click a message box on a virtual display: say what it said and
// answer No.
class PrintedPrompts : public Prompts {
public:
    void error(const std::string &text) override { print("error", text); }
    void warning(const std::string &text) override { print("warning", text); }
    void information(const std::string &text) override { print("information", text); }
    bool yesNo(const std::string &text) override
    {
        print("question (answered No)", text);
        return false;
    }
    bool inputText(const std::string &, const std::string &prompt, std::string &) override
    {
        print("input (cancelled)", prompt);
        return false;
    }

private:
    static void print(const char *kind, const std::string &text)
    {
        std::fprintf(stderr, "tidewell: %s: %s\n", kind, text.c_str());
    }
};

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
    static PrintedPrompts prompts;
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

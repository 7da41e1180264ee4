// Starts the real program, as a user would, on a temporary program folder
// (and a temporary folder of its own, program_run.h)
// whose mailbox 1 is a Dovecot mailbox of 2,000 messages, and lets it check
// that mailbox (the demo tour: offscreen, the check, a picture, the end).
// Prints the time from starting the process to its main window being shown
// (median and slowest of several starts) and the program's peak memory,
// reached after listing and classifying the 2,000 messages.
#include "demo-pop3/demo_home.h"
#include "fixtures/dovecot_server.h"
#include "program_run.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int MessageCount = 2000;
constexpr int Rounds = 5;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> messages;
    for (int n = 1; n <= MessageCount; ++n)
        messages.push_back(tw::bench::shortGeneratedMessage(n));
    tw::test::DovecotServer server(messages);
    if (!server.started()) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", server.failure().c_str());
        return 1;
    }

    std::vector<double> shown;
    std::string listed;
    for (int round = 0; round < Rounds; ++round) {
        QTemporaryDir home;
        qputenv("TIDEWELL_HOME", home.path().toLocal8Bit());
        tw::demo::storeTryOutMailbox(server.hostAndPort(), tw::test::DovecotServer::UserName,
                                     tw::test::DovecotServer::Password);
        const tw::bench::ProgramRun run = tw::bench::runProgramTour(QStringLiteral(TIDEWELL_PROGRAM), home.path());
        if (!run.finished || run.shownSeconds < 0) {
            std::fprintf(stderr, "the program did not show its window and finish its check; it printed:\n%s\n",
                         run.output.constData());
            return 1;
        }
        shown.push_back(run.shownSeconds);
        listed = run.line("Listed ");
    }
    std::sort(shown.begin(), shown.end());
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children); // the largest finished child: a run of the program

    std::printf("Start to main window shown: median %.3f s, slowest %.3f s (%d starts; target under 0.5 s)\n",
                shown[shown.size() / 2], shown.back(), Rounds);
    std::printf("%s\n", listed.c_str());
    std::printf("Peak memory of the program after listing %d messages: %.1f MB (target under 150 MB)\n",
                MessageCount, double(children.ru_maxrss) / 1024.0);
    return 0;
}

// tidewell-demo-pop3: the demo mailbox of `make run`. Lays out the demo
// folder afresh from the sources (mailbox and program folder), listens on a
// free loopback port, points mailbox 1 of the demo program folder at it and
// serves the mailbox until it is stopped. When the port is known it is
// written to <demo>/server.port, so a script can wait for it. When a
// Tidewell is still running on the demo's program folder, nothing is laid
// out: that Tidewell is brought forward and the server ends with status 3.
//
//   tidewell-demo-pop3 --source resources/demo --demo build/demo

#include "demo-pop3/demo_home.h"
#include "demo-pop3/pop3_server.h"
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <exception>

using namespace tw::demo;

namespace {

constexpr int kBadUsage = 2;
constexpr int kDemoInUse = 3; // a Tidewell runs on the demo folder

QString option(const QStringList &arguments, const QString &name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString source = option(arguments, QStringLiteral("--source"));
    const QString demo = QDir(option(arguments, QStringLiteral("--demo"))).absolutePath();
    if (source.isEmpty() || option(arguments, QStringLiteral("--demo")).isEmpty()) {
        std::fprintf(stderr, "usage: tidewell-demo-pop3 --source DIR --demo DIR\n");
        return kBadUsage;
    }

    // A Tidewell still running on the demo folder would lose its files and
    // its lock underneath it: that one is brought forward instead.
    const tw::TFirstInstance running((demo + QStringLiteral("/home")).toStdString());
    if (running.ownedElsewhere()) {
        std::fprintf(stderr, "%s\n", running.alreadyRunningText(running.askOwnerToShow()).c_str());
        return kDemoInUse;
    }
    std::string error;
    if (!layOutDemo(source, demo, error)) {
        std::fprintf(stderr, "tidewell-demo-pop3: %s\n", error.c_str());
        return 1;
    }
    Pop3Server server({kDemoUser, kDemoPassword, demo + QStringLiteral("/mailbox")});
    if (!server.listen()) {
        std::fprintf(stderr, "tidewell-demo-pop3: cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    const std::string address = "127.0.0.1:" + std::to_string(server.port());
    qputenv("TIDEWELL_HOME", (demo + QStringLiteral("/home")).toLocal8Bit());
    try {
        configureDemoHome(address);
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "tidewell-demo-pop3: %s\n", failure.what());
        return 1;
    }
    QFile portFile(demo + QStringLiteral("/server.port"));
    if (!portFile.open(QIODevice::WriteOnly) || portFile.write(QByteArray::number(server.port()) + '\n') < 0) {
        std::fprintf(stderr, "tidewell-demo-pop3: cannot write %s\n", qPrintable(portFile.fileName()));
        return 1;
    }
    portFile.close();
    std::printf("Demo mailbox %s/mailbox served on %s (user \"%s\", password \"%s\")\n", qPrintable(demo),
                address.c_str(), kDemoUser, kDemoPassword);
    std::fflush(stdout);
    return app.exec();
}

#pragma once
// Runs the real program the way the benchmarks measure it: on a program
// folder of its own, with a temporary folder of its own (where the program
// keeps its single-instance socket, so another Tidewell of the same user
// never meets it), offscreen, taking the demo tour (check mail, save a
// picture, end). What the program prints is collected.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <string>

namespace tw::bench {

// Message N of a generated mailbox: a short header block and a one-line body.
inline std::string shortGeneratedMessage(int n)
{
    const std::string number = std::to_string(n);
    return "Return-Path: <sender" + number + "@example.org>\r\n"
           "From: \"Sender " + number + "\" <sender" + number + "@example.org>\r\n"
           "To: tester@example.net\r\n"
           "Subject: Generated message number " + number + "\r\n"
           "Date: Tue, 5 Dec 2000 14:03:22 +0000\r\n"
           "Message-ID: <" + number + "@example.org>\r\n"
           "\r\n"
           "A short body.\r\n";
}

struct ProgramRun {
    double shownSeconds = -1; // from the start of the process to its main window shown
    bool finished = false;    // ended by itself with status 0
    QByteArray output;        // its standard output

    // The rest of the line of the output that starts with Start ("" when none).
    std::string line(const char *start) const
    {
        const qsizetype at = output.indexOf(start);
        if (at < 0)
            return {};
        const qsizetype end = output.indexOf('\n', at);
        return output.mid(at, (end < 0 ? output.size() : end) - at).toStdString();
    }
};

// Starts the program on the program folder Home (already set up) and waits
// at most LimitMs for it to end.
inline ProgramRun runProgramTour(const QString &program, const QString &home, int limitMs = 120000)
{
    QTemporaryDir temporary;
    QFile::setPermissions(temporary.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TIDEWELL_HOME"), home);
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    environment.insert(QStringLiteral("TIDEWELL_DEMO_TOUR"), home + QStringLiteral("/main-window.png"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    ProgramRun run;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    while (process.state() != QProcess::NotRunning && clock.elapsed() < limitMs) {
        process.waitForReadyRead(100);
        run.output += process.readAllStandardOutput();
        if (run.shownSeconds < 0 && run.output.contains("Main window shown"))
            run.shownSeconds = clock.nsecsElapsed() / 1e9;
    }
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(1000))
        process.kill();
    run.finished = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.output += process.readAllStandardOutput();
    return run;
}

} // namespace tw::bench

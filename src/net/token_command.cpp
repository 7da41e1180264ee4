#include "net/token_command.h"

#include "net/errors.h"
#include "net/stringtable.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace tw {

namespace {

// The most a token helper's output is read; tokens are a few KB at most.
constexpr qint64 kMaxOutput = 1 << 20;
// The most of its error output that is kept: its first lines say what went
// wrong; the rest is read and dropped, so that a command that floods it
// cannot fill the memory.
constexpr qsizetype kMaxErrorOutputKept = 4096;

std::string firstLine(const QByteArray &bytes)
{
    const std::string text(bytes.constData(), size_t(std::min<qint64>(bytes.size(), kMaxOutput)));
    const size_t end = text.find_first_of("\r\n");
    return trimmedRight(text.substr(0, end));
}

std::string withErrorLine(std::string text, const QByteArray &errorOutput)
{
    const std::string line = firstLine(errorOutput);
    if (!line.empty())
        text += ": \"" + line + "\"";
    return text + ".";
}

} // namespace

std::string runTokenCommand(const std::string &command, int seconds, const std::function<bool()> &canceled)
{
    if (trimmed(command).empty())
        throw ESignInError("No token command is set for this mailbox.");
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    // The command and everything it starts form one process group, so that
    // a command that hangs is ended with all of its children.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    bool finished = false;
    bool tooMuch = false;
    QObject::connect(&process, &QProcess::finished, [&] { finished = true; });
    QObject::connect(&process, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finished = true;
    });
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&] {
        tooMuch = tooMuch || process.bytesAvailable() > kMaxOutput;
    });
    QByteArray errorOutput;
    const auto takeErrorOutput = [&] {
        const QByteArray more = process.readAllStandardError();
        errorOutput.append(more.left(std::max<qsizetype>(0, kMaxErrorOutputKept - errorOutput.size())));
    };
    QObject::connect(&process, &QProcess::readyReadStandardError, takeErrorOutput);
    // Wakes the wait once a second, so a cancel and the limit are seen.
    QTimer tick;
    tick.start(1000);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLocal8Bit(command.c_str())});

    bool wasCanceled = false;
    bool tooLong = false;
    waitUntil([&] {
        if (finished)
            return true;
        wasCanceled = canceled && canceled();
        tooLong = clock.elapsed() >= qint64(seconds) * 1000;
        return wasCanceled || tooLong || tooMuch;
    });
    if (!finished) {
        // The whole group goes: the shell and everything it started (only
        // a program that left the group, with setsid, is out of reach).
        if (process.processId() > 0)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.kill();
        process.waitForFinished(2000);
        takeErrorOutput();
        if (tooMuch)
            throw ESignInError("The token command printed more than an access token can be, and was stopped.");
        if (wasCanceled)
            throw ECanceledError(loadStr(57001));
        throw ESignInError(withErrorLine("The token command did not finish within " + std::to_string(seconds) +
                                             " seconds and was stopped",
                                         errorOutput));
    }
    if (process.error() == QProcess::FailedToStart)
        throw ESignInError("The token command could not be started: " + process.errorString().toStdString() + ".");
    takeErrorOutput();
    if (process.exitStatus() != QProcess::NormalExit)
        throw ESignInError(withErrorLine("The token command stopped abnormally", errorOutput));
    if (process.exitCode() != 0)
        throw ESignInError(
            withErrorLine("The token command failed with exit code " + std::to_string(process.exitCode()), errorOutput));
    const std::string token = trimmed(firstLine(process.readAllStandardOutput()));
    if (token.empty())
        throw ESignInError(withErrorLine("The token command printed no access token", errorOutput));
    return token;
}

} // namespace tw

// The user's token command: the first line it prints is the token; every
// way it can fail ends the sign-in with a text that says why, in time.
#include "fixtures/eventually.h"
#include "fixtures/peak_memory.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/token_command.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

TEST(TokenCommand, TheFirstLineOfItsOutputIsTheToken)
{
    EXPECT_EQ(runTokenCommand("printf 'ya29.token-1\\r\\nsecond line\\n'; echo noise >&2"), "ya29.token-1");
    EXPECT_EQ(runTokenCommand("echo \"$((6 * 7))\""), "42"); // a shell command line, not a program name
}

TEST(TokenCommand, AFailureQuotesTheFirstLineOfTheErrorOutput)
{
    struct Case {
        const char *command, *error;
    } cases[] = {
        {"echo 'refresh failed: consent revoked' >&2; echo more >&2; exit 1",
         "The token command failed with exit code 1: \"refresh failed: consent revoked\"."},
        {"exit 3", "The token command failed with exit code 3."},
        {"true", "The token command printed no access token."},
        {"echo '   ' ; echo 'no token today' >&2", "The token command printed no access token: \"no token today\"."},
        {"", "No token command is set for this mailbox."},
        {"kill -9 $$", "The token command stopped abnormally."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(raisedText<ESignInError>([&] { runTokenCommand(c.command); }), c.error);
    }
}

TEST(TokenCommand, ACommandThatHangsIsEndedWithinItsLimitTogetherWithWhatItStarted)
{
    QTemporaryDir dir;
    const std::string pidFile = dir.filePath("child").toStdString();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(raisedText<ESignInError>([&] {
                  runTokenCommand("echo waiting for a device >&2; sleep 60 & echo $! > " + pidFile + "; wait", 2);
              }),
              "The token command did not finish within 2 seconds and was stopped: \"waiting for a device\".");
    EXPECT_LT(clock.elapsed(), 5000);
    QFile child(QString::fromStdString(pidFile));
    ASSERT_TRUE(child.open(QIODevice::ReadOnly));
    const QString stat = QStringLiteral("/proc/") + QString::fromLatin1(child.readAll().trimmed()) + "/stat";
    const auto running = [&] {
        QFile file(stat);
        return file.open(QIODevice::ReadOnly) && !QString::fromLatin1(file.readAll()).contains(QStringLiteral(") Z "));
    };
    EXPECT_TRUE(eventually([&] { return !running(); }, 3000)); // the sleep the command started is gone too

    // A cancel ends it as well, as a cancel.
    int asked = 0;
    clock.restart();
    EXPECT_EQ(raisedText<ECanceledError>([&] { runTokenCommand("sleep 60", 30, [&] { return ++asked > 1; }); }),
              "Operation has been canceled");
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(TokenCommand, AFloodOfErrorOutputKeepsOnlyItsFirstLines)
{
    const long peakBefore = peakResidentKilobytes();
    // Gigabytes of error output in the two seconds before it is stopped.
    EXPECT_EQ(raisedText<ESignInError>([&] { runTokenCommand("yes 'token service unavailable' >&2", 2); }),
              "The token command did not finish within 2 seconds and was stopped: \"token service unavailable\".");
    EXPECT_EQ(raisedText<ESignInError>([&] {
                  runTokenCommand("echo 'consent revoked' >&2; head -c 300000000 /dev/zero >&2; exit 1", 30);
              }),
              "The token command failed with exit code 1: \"consent revoked\".");
    EXPECT_TRUE(peakGrewLessThan(peakBefore, 32 * 1024)); // what was read was not kept
}

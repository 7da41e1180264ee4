// One running program per program folder, tried with the real program: two
// starts on one folder at the same moment leave exactly one running, and
// the other says in one line that it brought the first one forward; a
// program on another folder runs beside them; the demo server does not lay
// out a folder that a running program owns.

#include "fixtures/temp_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace tw::test;

namespace {

std::unique_ptr<QProcess> startProgram(const QString &home)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TIDEWELL_HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(TIDEWELL_PROGRAM), {});
    return process;
}

// Ends a program that is still running.
void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    void TearDown() override
    {
        for (auto &process : programs)
            stop(*process);
    }
    QProcess &start(const QString &home)
    {
        programs.push_back(startProgram(home));
        EXPECT_TRUE(programs.back()->waitForStarted(5000));
        return *programs.back();
    }

    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> programs;
};

TEST_F(SingleInstanceTest, TwoStartsOnOneFolderLeaveOneAndAnotherFolderRunsBeside)
{
    const QString homeA = root.filePath(QStringLiteral("a"));
    const QString homeB = root.filePath(QStringLiteral("b"));
    QProcess &first = start(homeA);
    QProcess &second = start(homeA);
    QProcess &other = start(homeB);

    // The one that lost ends within the time it gives the owner to answer.
    QProcess *ended = nullptr;
    // Each process learns of its own end only while it is waited for.
    for (int waited = 0; waited < 100 && !ended; ++waited) {
        if (first.waitForFinished(50))
            ended = &first;
        else if (second.waitForFinished(50))
            ended = &second;
    }
    ASSERT_NE(ended, nullptr) << "both programs on one folder are still running";
    QProcess &running = ended == &first ? second : first;
    EXPECT_EQ(ended->exitCode(), 1);
    // The last line: Qt may have warned about the environment before.
    const QString said = QString::fromLocal8Bit(ended->readAllStandardError()).trimmed().split(QLatin1Char('\n')).last();
    const QString canonicalA = QDir(homeA).canonicalPath();
    EXPECT_EQ(said, QStringLiteral("Tidewell is already running for the program folder %1 and has been brought "
                                   "forward.").arg(canonicalA));
    EXPECT_FALSE(running.waitForFinished(1000)) << running.readAllStandardError().toStdString();
    EXPECT_EQ(other.state(), QProcess::Running) << other.readAllStandardError().toStdString();
}

TEST_F(SingleInstanceTest, TheDemoServerLeavesAFolderInUseAlone)
{
    const QString demo = root.filePath(QStringLiteral("demo"));
    const QString home = demo + QStringLiteral("/home");
    QProcess &program = start(home);
    // Owned once the lock is there.
    for (int waited = 0; waited < 100 && !QFile::exists(home + QStringLiteral("/tidewell.lock")); ++waited)
        program.waitForFinished(100);
    ASSERT_TRUE(QFile::exists(home + QStringLiteral("/tidewell.lock")));

    QProcess server;
    server.start(QStringLiteral(TIDEWELL_DEMO_SERVER),
                 {QStringLiteral("--source"), QString::fromStdString(sourceDir()) + QStringLiteral("/resources/demo"),
                  QStringLiteral("--demo"), demo});
    ASSERT_TRUE(server.waitForFinished(20000));
    EXPECT_EQ(server.exitCode(), 3);
    EXPECT_EQ(QString::fromLocal8Bit(server.readAllStandardError()).trimmed().split(QLatin1Char('\n')).last(),
              QStringLiteral("Tidewell is already running for the program folder %1 and has been brought forward.")
                  .arg(QDir(home).canonicalPath()));
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/tidewell.lock")));
    EXPECT_FALSE(QFile::exists(demo + QStringLiteral("/mailbox")));
    EXPECT_EQ(program.state(), QProcess::Running);
}

} // namespace

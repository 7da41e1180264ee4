// Lists Dovecot mailboxes of 200 and 2,000 generated messages (STAT, then
// LIST n and TOP n 1 for each) through a relay that delays every byte by 0
// or 25 ms each way, with TmsRemotePOP one command at a time, TmsRemotePOP
// sending its commands in windows, a client of the benchmark's own that
// sends every command at once, Python's poplib sending the same commands one
// at a time, and mpop (when installed) taking every header block through its
// filter, in alternating rounds; prints the medians beside the physical
// floor that no client can beat on that link: 2.5 round trips (the
// greeting; the login with LIST; every TOP) plus the reply bytes at the
// measured loopback rate. Then measures the CPU the client uses while it
// waits for a silent server.
//
// Then deletes 200 marked messages with and without keeping copies
// (pop3_deletion.h).
//
//   bench_pop3 [rounds]          (3 by default)
//   bench_pop3 [rounds] deletion the deletion case alone
//   TIDEWELL_BENCH_QUICK=1       skips the one-command-at-a-time clients on
//                                2,000 messages at 25 ms (about 200 s each)
#include "bench_measures.h"
#include "delay_proxy.h"
#include "fixtures/dovecot_server.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "net/pop3_limits.h"
#include "pop3_deletion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QThread>
#include <QTcpSocket>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <sys/resource.h>

using namespace tw;

namespace {

std::string generatedMessage(int n)
{
    const std::string number = std::to_string(n);
    std::string text = "Return-Path: <sender" + number + "@example.org>\r\n"
                       "Received: from relay.example.org by mx.example.net; Tue, 5 Dec 2000 14:03:22 +0000\r\n"
                       "From: \"Sender " + number + "\" <sender" + number + "@example.org>\r\n"
                       "To: tester@example.net\r\n"
                       "Subject: Generated message number " + number + "\r\n"
                       "Date: Tue, 5 Dec 2000 14:03:22 +0000\r\n"
                       "Message-ID: <" + number + "@example.org>\r\n"
                       "MIME-Version: 1.0\r\n"
                       "Content-Type: text/plain; charset=us-ascii\r\n"
                       "\r\n";
    for (int line = 0; line < 30; ++line)
        text += "Line " + std::to_string(line) + " of the body of message " + number + ", long enough to matter.\r\n";
    return text;
}

struct Figures {
    double wall = 0, cpu = 0;
};

// The part of a message that a listing transfers: the header block, its
// empty line and the first body line (TOP n 1).
std::string listedPart(const std::string &message)
{
    const size_t body = message.find("\r\n\r\n") + 4;
    return message.substr(0, message.find("\r\n", body) + 2);
}

Figures listWithTidewell(quint16 port, int expected, bool pipelined)
{
    TmsRemotePOP pop;
    pop.Server = "127.0.0.1:" + std::to_string(port);
    pop.UserName = test::DovecotServer::UserName;
    pop.Password = test::DovecotServer::Password;
    pop.Pipelining = pipelined;
    pop.SetTimeOut(60);
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    pop.UpdateInfo();
    Figures figures{clock.nsecsElapsed() / 1e9, cpuSeconds() - cpuBefore};
    if (pop.RemoteInfo().Count() != expected)
        std::fprintf(stderr, "listed %d messages instead of %d\n", pop.RemoteInfo().Count(), expected);
    return figures;
}

// The reference client times only its dialogue, not the interpreter's start.
const char *ReferenceScript = R"(
import poplib, sys, time
host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
wall0, cpu0 = time.perf_counter(), time.process_time()
pop = poplib.POP3(host, port, timeout=60)
pop.user(user)
pop.pass_(password)
count, size = pop.stat()
for n in range(1, count + 1):
    pop.list(n)
    pop.top(n, 1)
pop.quit()
print(time.perf_counter() - wall0, time.process_time() - cpu0, count)
)";

// Reads one line of Socket into Line (without its line end); false when
// none came within five seconds.
bool readLine(QTcpSocket &socket, QByteArray &line)
{
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(5000))
            return false;
    line = socket.readLine();
    line.chop(line.endsWith("\r\n") ? 2 : 1);
    return true;
}

// The fastest a client can be: after the greeting the login and STAT go out
// in one write, and after their replies every TOP n 1 and the QUIT in
// another, the replies read as they arrive. No limits, no checks: a yardstick,
// not a client to use.
Figures listAllAtOnce(quint16 port, int expected)
{
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray line;
    if (!socket.waitForConnected(5000) || !readLine(socket, line))
        return {};
    socket.write(QByteArray("USER ") + test::DovecotServer::UserName + "\r\nPASS " + test::DovecotServer::Password +
                 "\r\nSTAT\r\n");
    int count = -1;
    for (int reply = 0; reply < 3; ++reply)
        if (!readLine(socket, line))
            return {};
    std::sscanf(line.constData(), "+OK %d", &count);
    QByteArray commands;
    for (int n = 1; n <= count; ++n)
        commands += "TOP " + QByteArray::number(n) + " 1\r\n";
    socket.write(commands + "QUIT\r\n");
    int listed = 0;
    for (int n = 1; n <= count; ++n) {
        if (!readLine(socket, line) || !line.startsWith("+OK"))
            return {};
        while (readLine(socket, line) && line != ".") {
        }
        ++listed;
    }
    readLine(socket, line); // the reply to QUIT
    Figures figures{clock.nsecsElapsed() / 1e9, cpuSeconds() - cpuBefore};
    if (listed != expected)
        std::fprintf(stderr, "all at once listed %d messages instead of %d\n", listed, expected);
    return figures;
}

// Processor time of the child processes waited for so far (mpop and its filters).
double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// mpop's own dialogue (pipelined, as it does by default): it hands every
// message's header block (TOP n 0) to a filter, which here skips the
// message, so it lists like us and neither fetches nor deletes anything.
// The filter is a process per message, which is how mpop works; its time
// counts. Times the whole mpop process; empty figures when mpop is missing.
Figures listWithMpop(quint16 port, int expected)
{
    QTemporaryDir folder;
    QProcess mpop;
    mpop.setProcessChannelMode(QProcess::MergedChannels);
    const QString uidls = folder.filePath(QStringLiteral("uidls"));
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    mpop.start("mpop", {"--host=127.0.0.1", "--port=" + QString::number(port), "--auth=user", "--tls=off",
                        QString("--user=") + test::DovecotServer::UserName,
                        QString("--passwordeval=echo ") + test::DovecotServer::Password, "--keep", "--only-new=off",
                        "--filter=cat >/dev/null; exit 2", "--uidls-file=" + uidls, "--delivery=mbox,/dev/null", "--quiet"});
    if (!mpop.waitForFinished(900000) || mpop.exitStatus() != QProcess::NormalExit || mpop.exitCode() != 0) {
        std::fprintf(stderr, "mpop failed: %s\n", mpop.readAll().constData());
        return {};
    }
    (void)expected; // mpop does not say how many it skipped
    return {clock.nsecsElapsed() / 1e9, childrenCpuSeconds() - cpuBefore};
}

bool mpopInstalled() { return !QStandardPaths::findExecutable(QStringLiteral("mpop")).isEmpty(); }

Figures listWithPoplib(quint16 port, int expected)
{
    QProcess python;
    python.start("python3", {"-c", ReferenceScript, "127.0.0.1", QString::number(port),
                             test::DovecotServer::UserName, test::DovecotServer::Password});
    if (!python.waitForFinished(900000) || python.exitCode() != 0) {
        std::fprintf(stderr, "reference client failed: %s\n", python.readAllStandardError().constData());
        return {};
    }
    Figures figures;
    int count = 0;
    std::sscanf(python.readAllStandardOutput().constData(), "%lf %lf %d", &figures.wall, &figures.cpu, &count);
    if (count != expected)
        std::fprintf(stderr, "reference listed %d messages\n", count);
    return figures;
}

// The round with the median wall time.
Figures median(std::vector<Figures> rounds)
{
    std::sort(rounds.begin(), rounds.end(), [](const Figures &a, const Figures &b) { return a.wall < b.wall; });
    return rounds[rounds.size() / 2];
}

// Sends Line (nothing when empty) and waits for one whole reply line; the
// seconds it took, or a negative number when no reply came.
double exchange(QTcpSocket &socket, const char *line)
{
    QElapsedTimer clock;
    clock.start();
    if (*line)
        socket.write(QByteArray(line) + "\r\n");
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(5000))
            return -1;
    socket.readLine();
    return clock.nsecsElapsed() / 1e9;
}

// The median of a few NOOP round trips through the relay, logged in, in
// seconds (0 when the server did not answer).
double measuredRoundTrip(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000) || exchange(socket, "") < 0)
        return 0;
    exchange(socket, (std::string("USER ") + test::DovecotServer::UserName).c_str());
    exchange(socket, (std::string("PASS ") + test::DovecotServer::Password).c_str());
    std::vector<double> trips;
    for (int i = 0; i < 7; ++i)
        trips.push_back(exchange(socket, "NOOP"));
    exchange(socket, "QUIT");
    std::sort(trips.begin(), trips.end());
    return std::max(0.0, trips[trips.size() / 2]);
}

// Bytes per second one loopback connection carries: 64 MB into a reader
// that throws them away, in a thread of its own.
double loopbackBytesPerSecond()
{
    constexpr qint64 total = 64LL << 20;
    std::atomic<qint64> received{0};
    QThread thread;
    thread.start();
    QObject context;
    context.moveToThread(&thread);
    QTcpServer *sink = nullptr;
    QMetaObject::invokeMethod(&context, [&] {
        sink = new QTcpServer;
        sink->listen(QHostAddress::LocalHost, 0);
        QObject::connect(sink, &QTcpServer::newConnection, sink, [&] {
            QTcpSocket *reader = sink->nextPendingConnection();
            QObject::connect(reader, &QTcpSocket::readyRead, reader, [&, reader] { received += reader->readAll().size(); });
        });
    }, Qt::BlockingQueuedConnection);
    QTcpSocket writer;
    writer.connectToHost(QHostAddress::LocalHost, sink->serverPort());
    writer.waitForConnected(5000);
    const QByteArray block(1 << 20, 'x');
    QElapsedTimer clock;
    clock.start();
    for (qint64 sent = 0; sent < total; sent += block.size()) {
        writer.write(block);
        writer.waitForBytesWritten(5000);
    }
    while (received < total && clock.elapsed() < 30000)
        QThread::usleep(100);
    const double seconds = clock.nsecsElapsed() / 1e9;
    QMetaObject::invokeMethod(&context, [&] { delete sink; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    return double(total) / seconds;
}

void printRow(const char *client, int messages, int delayMs, const Figures &figures, const char *note = "")
{
    std::printf("%-24s %8d %6d ms %10.3f %10.3f %s\n", client, messages, delayMs, figures.wall, figures.cpu, note);
}

// CPU used while ReadLine waits Seconds for a server that never answers.
double cpuWhileWaitingForSilence(int seconds)
{
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    TagSocket socket;
    socket.Server = "127.0.0.1:" + std::to_string(silent.serverPort());
    socket.SetTimeOut(seconds);
    socket.ResetState();
    socket.Open();
    socket.Connect();
    const double cpuBefore = cpuSeconds();
    try {
        socket.ReadLine();
    } catch (const ETimedOutError &) {
    }
    return cpuSeconds() - cpuBefore;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool quick = qEnvironmentVariableIntValue("TIDEWELL_BENCH_QUICK") != 0;
    if (argc > 2 && std::string(argv[2]) == "deletion") {
        bench::deletionCase(rounds);
        return 0;
    }
    const double rate = loopbackBytesPerSecond();
    std::printf("loopback transfer rate: %.0f MB/s\n", rate / 1e6);
    std::printf("floor = 2.5 round trips (greeting; login with LIST; every TOP) + reply bytes / rate\n");
    std::printf("%-24s %8s %9s %10s %10s\n", "client", "messages", "delay", "wall s", "cpu s");
    const bool withMpop = mpopInstalled();
    if (!withMpop)
        std::printf("(mpop is not installed: its rows are left out)\n");

    for (const int count : {200, 2000}) {
        std::vector<std::string> messages;
        long long listedBytes = 0;
        for (int n = 1; n <= count; ++n) {
            messages.push_back(generatedMessage(n));
            // The TOP reply's status line and final dot, and the message's line of the one LIST.
            listedBytes += qint64(listedPart(messages.back()).size()) + 40 + 12;
        }
        test::DovecotServer server(messages);
        if (!server.started()) {
            std::fprintf(stderr, "Dovecot did not start: %s\n", server.failure().c_str());
            return 1;
        }
        const quint16 dovecotPort = quint16(std::stoi(server.hostAndPort().substr(server.hostAndPort().rfind(':') + 1)));
        bench::DelayProxy relay(dovecotPort, 0);
        listWithTidewell(relay.port(), count, true); // the server indexes the new mailbox once

        for (const int delayMs : {0, 25}) {
            relay.setDelay(delayMs);
            const double rtt = measuredRoundTrip(relay.port());
            const double floor = 2.5 * rtt + double(listedBytes) / rate;
            const bool slowOnce = delayMs > 0 && count >= 2000;
            std::vector<std::string> order{"windows", "all at once", "one by one", "poplib"};
            if (withMpop)
                order.push_back("mpop");
            std::map<std::string, std::vector<Figures>> taken;
            for (int round = 1; round <= rounds; ++round) {
                // Alternate who goes first, so no client profits from the order.
                std::rotate(order.begin(), order.begin() + 1, order.end());
                for (const std::string &client : order) {
                    const bool oneAtATime = client == "one by one" || client == "poplib";
                    if (oneAtATime && slowOnce && (quick || round > 1))
                        continue;
                    if (client == "windows")
                        taken[client].push_back(listWithTidewell(relay.port(), count, true));
                    else if (client == "all at once")
                        taken[client].push_back(listAllAtOnce(relay.port(), count));
                    else if (client == "one by one")
                        taken[client].push_back(listWithTidewell(relay.port(), count, false));
                    else if (client == "poplib")
                        taken[client].push_back(listWithPoplib(relay.port(), count));
                    else
                        taken[client].push_back(listWithMpop(relay.port(), count));
                }
            }
            const Figures windows = median(taken["windows"]);
            const std::vector<std::pair<const char *, const char *>> shown = {
                {"windows", "TmsRemotePOP windows"}, {"all at once", "all at once"},
                {"one by one", "TmsRemotePOP one by one"}, {"poplib", "python3 poplib"}, {"mpop", "mpop"}};
            for (const auto &[client, caption] : shown) {
                if (taken[client].empty())
                    continue;
                const bool once = taken[client].size() == 1 && rounds > 1;
                printRow(caption, count, delayMs, median(taken[client]), once ? "(one round)" : "");
            }
            std::printf("%-24s %8d %6d ms %10.3f            (RTT %.2f ms, %lld bytes)\n", "floor", count, delayMs,
                        floor, rtt * 1000, listedBytes);
            std::printf("%-24s %8d %6d ms %10.2f x floor\n", "windows / floor", count, delayMs, windows.wall / floor);
            std::printf("%-24s %8d %6d ms %10.2f\n", "windows / all at once", count, delayMs,
                        windows.wall / median(taken["all at once"]).wall);
            if (!taken["poplib"].empty())
                std::printf("%-24s %8d %6d ms %10.2f\n", "windows / poplib", count, delayMs,
                            windows.wall / median(taken["poplib"]).wall);
        }
    }

    bench::deletionCase(rounds);

    const int silence = 3;
    std::printf("CPU while waiting %d s for a silent server: %.3f s\n", silence, cpuWhileWaitingForSilence(silence));
    return 0;
}

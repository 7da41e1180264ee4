// Lists a Dovecot mailbox of 2,000 generated messages (STAT, then LIST n and
// TOP n 1 for each) with TmsRemotePOP and with Python's poplib sending the
// same commands to the same server, and prints wall and CPU time of both.
// Then measures the CPU the client uses while it waits for a silent server.
#include "fixtures/dovecot_server.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace tw;

namespace {

constexpr int MessageCount = 2000;
constexpr int Rounds = 5;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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

Figures listWithTidewell(const std::string &server)
{
    TmsRemotePOP pop;
    pop.Server = server;
    pop.UserName = test::DovecotServer::UserName;
    pop.Password = test::DovecotServer::Password;
    pop.SetTimeOut(60);
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    pop.UpdateInfo();
    Figures figures{clock.nsecsElapsed() / 1e9, cpuSeconds() - cpuBefore};
    if (pop.RemoteInfo().Count() != MessageCount)
        std::fprintf(stderr, "listed %d messages instead of %d\n", pop.RemoteInfo().Count(), MessageCount);
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

Figures listWithPoplib(int port)
{
    QProcess python;
    python.start("python3", {"-c", ReferenceScript, "127.0.0.1", QString::number(port),
                             test::DovecotServer::UserName, test::DovecotServer::Password});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        std::fprintf(stderr, "reference client failed: %s\n", python.readAllStandardError().constData());
        return {};
    }
    Figures figures;
    int count = 0;
    std::sscanf(python.readAllStandardOutput().constData(), "%lf %lf %d", &figures.wall, &figures.cpu, &count);
    if (count != MessageCount)
        std::fprintf(stderr, "reference listed %d messages\n", count);
    return figures;
}

void printRow(int round, const char *client, const Figures &figures)
{
    std::printf("%-10s %-22s %10.3f %10.3f %7.1f%%\n", round ? std::to_string(round).c_str() : "", client,
                figures.wall, figures.cpu, 100.0 * figures.cpu / figures.wall);
}

// The round with the median wall time.
Figures median(std::vector<Figures> rounds)
{
    std::sort(rounds.begin(), rounds.end(), [](const Figures &a, const Figures &b) { return a.wall < b.wall; });
    return rounds[rounds.size() / 2];
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
    std::vector<std::string> messages;
    for (int n = 1; n <= MessageCount; ++n)
        messages.push_back(generatedMessage(n));
    test::DovecotServer server(messages);
    if (!server.started()) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", server.failure().c_str());
        return 1;
    }
    const int port = std::stoi(server.hostAndPort().substr(server.hostAndPort().rfind(':') + 1));

    listWithTidewell(server.hostAndPort()); // the server indexes the new mailbox once
    std::printf("Listing %d messages (LIST n and TOP n 1 each), %d rounds\n", MessageCount, Rounds);
    std::printf("%-10s %-22s %10s %10s %8s\n", "round", "client", "wall s", "cpu s", "cpu %");
    std::vector<Figures> ours, reference;
    for (int round = 1; round <= Rounds; ++round) {
        // Alternate who goes first, so neither profits from the order.
        if (round % 2) {
            ours.push_back(listWithTidewell(server.hostAndPort()));
            reference.push_back(listWithPoplib(port));
        } else {
            reference.push_back(listWithPoplib(port));
            ours.push_back(listWithTidewell(server.hostAndPort()));
        }
        printRow(round, "TmsRemotePOP", ours.back());
        printRow(round, "python3 poplib", reference.back());
    }
    const Figures oursMedian = median(ours), referenceMedian = median(reference);
    printRow(0, "TmsRemotePOP median", oursMedian);
    printRow(0, "poplib median", referenceMedian);
    std::printf("median wall time, ours / reference: %.2f\n", oursMedian.wall / referenceMedian.wall);

    const int silence = 3;
    std::printf("CPU while waiting %d s for a silent server: %.3f s\n", silence, cpuWhileWaitingForSilence(silence));
    return 0;
}

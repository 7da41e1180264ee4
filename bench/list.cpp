// Times the real program's check of a large mailbox on loopback: a Dovecot
// mailbox of 2,000, 20,000 and 100,000 real messages (the corpus under
// TIDEWELL_CORPUS, default /work/corpus/raw, taken in turn and repeated; or
// generated messages when there is none), checked by the program itself on a
// program folder with a few rules of each kind (the demo tour: offscreen,
// Check, a picture, the end). For each size it prints, as medians of its
// rounds: the time from Check to the last row listed and classified, the
// program's processor time in that check, the longest the interface thread
// went without handling its events, and the peak memory, also per message
// beyond the header block itself (against a check of an empty mailbox).
//
//   bench_list [count ...] [--rounds N]   (default: 2000 20000 100000, 3 rounds)
#include "demo-pop3/demo_home.h"
#include "fixtures/dovecot_server.h"
#include "net/mspop3.h"
#include "program_run.h"
#include "settings/spam_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace tw;

namespace {

std::vector<std::string> corpusMessages()
{
    const QString root = qEnvironmentVariableIsSet("TIDEWELL_CORPUS") ? qEnvironmentVariable("TIDEWELL_CORPUS")
                                                                      : QStringLiteral("/work/corpus/raw");
    QStringList files;
    QDirIterator walk(root, {QStringLiteral("*.eml")}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext())
        files << walk.next();
    files.sort();
    std::vector<std::string> messages;
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            messages.push_back(file.readAll().toStdString());
    }
    return messages;
}

// The bytes of the header block the program keeps of Message: its lines up
// to the empty one, without their line ends.
long long headerBlockBytes(const std::string &message)
{
    long long bytes = 0;
    size_t at = 0;
    while (at < message.size()) {
        size_t end = message.find('\n', at);
        if (end == std::string::npos)
            end = message.size();
        size_t length = end - at;
        if (length > 0 && message[at + length - 1] == '\r')
            --length;
        if (length == 0)
            break;
        bytes += (long long)length;
        at = end + 1;
    }
    return bytes;
}

void addRule(RuleTable &table, int firstColumn, std::initializer_list<const char *> cells)
{
    const int row = table.rowForNewRule();
    int column = firstColumn;
    for (const char *text : cells)
        table.setCell(column++, row, text);
}

// Mailbox 1 on Server, and rules of every kind, as a user who has used the
// program for a while has them.
void setUpHome(const QString &home, const std::string &server)
{
    qputenv("TIDEWELL_HOME", home.toLocal8Bit());
    demo::storeTryOutMailbox(server, test::DovecotServer::UserName, test::DovecotServer::Password);
    SpamSettingsModel spam;
    spam.readSettings();
    RuleTables &rules = spam.rules;
    for (const char *word : {"viagra", "mortgage", "casino", "lottery", "pills", "replica", "bitcoin", "loan"})
        addRule(rules.subject, col::What, {"Contains (whole word)", word, "No", "Yes", "0"});
    addRule(rules.subject, col::What, {"Contains", "FREE", "Yes", "No", "0"});
    addRule(rules.subject, col::What, {"Is UPPERCASE", "", "No", "No", "0"});
    for (const char *domain : {".click", ".top", ".biz", ".ru"})
        addRule(rules.sender, col::What, {"Domain name", "Ends with", domain, "Yes", "0"});
    addRule(rules.sender, col::What, {"E-mail address", "50% numeric", "", "No", "0"});
    addRule(rules.header, col::What, {"To does not contain", "tester@example.net - MailBox #1", "No", "No", "0"});
    addRule(rules.header, col::What, {"Contains", "X-Mailer: MassBlaster", "No", "Yes", "0"});
    addRule(rules.header, col::What, {"Sender", "does not match Reply-to", "No", "No", "0"});
    addRule(rules.exceptions, col::ExceptWhat, {"Domain name", "Equals", "spamassassin.taint.org", "No", "0", "", "5"});
    addRule(rules.exceptions, col::ExceptWhat, {"Subject", "Contains", "[SAtalk]", "No", "0", "", "3"});
    spam.tests.cbAscii = true;
    spam.Savesettings();
}

struct Figures {
    double wall = -1, processor = -1, peakMb = -1;
    long long stallMs = -1;
    int listed = -1;
};

// The figures of one check, read from the tour's lines.
Figures checkOnce(const std::string &server)
{
    QTemporaryDir home;
    setUpHome(home.path(), server);
    const bench::ProgramRun run = bench::runProgramTour(QStringLiteral(TIDEWELL_PROGRAM), home.path(), 900000);
    Figures figures;
    std::sscanf(run.line("Listed ").c_str(), "Listed %d", &figures.listed);
    std::sscanf(run.line("Check to last row: ").c_str(),
                "Check to last row: %lf s, processor %lf s; longest wait for the window's events: %lld ms; "
                "peak memory: %lf MB",
                &figures.wall, &figures.processor, &figures.stallMs, &figures.peakMb);
    if (!run.finished)
        std::fprintf(stderr, "the program did not end its tour cleanly; it printed:\n%s\n", run.output.constData());
    return figures;
}

template <class T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Figures medians(const std::vector<Figures> &rounds)
{
    std::vector<double> wall, processor, peak;
    std::vector<long long> stall;
    for (const Figures &f : rounds) {
        wall.push_back(f.wall);
        processor.push_back(f.processor);
        peak.push_back(f.peakMb);
        stall.push_back(f.stallMs);
    }
    return {median(wall), median(processor), median(peak), median(stall), rounds.front().listed};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty())
        counts = {2000, 20000, 100000};

    const std::vector<std::string> corpus = corpusMessages();
    std::printf("messages: %s\n", corpus.empty() ? "generated" : (std::to_string(corpus.size()) + " of the corpus, repeated").c_str());

    // The program's memory after checking an empty mailbox.
    double emptyPeakMb = 0;
    {
        test::DovecotServer empty;
        if (!empty.started()) {
            std::fprintf(stderr, "Dovecot did not start: %s\n", empty.failure().c_str());
            return 1;
        }
        emptyPeakMb = checkOnce(empty.hostAndPort()).peakMb;
    }
    std::printf("peak memory after checking an empty mailbox: %.1f MB\n", emptyPeakMb);
    std::printf("%9s %8s %10s %12s %10s %10s %16s\n", "messages", "listed", "check s", "processor s", "stall ms",
                "peak MB", "KB/msg beyond hb");

    for (const int count : counts) {
        test::DovecotServer server;
        if (!server.started()) {
            std::fprintf(stderr, "Dovecot did not start: %s\n", server.failure().c_str());
            return 1;
        }
        long long headerBytes = 0;
        for (int n = 0; n < count; ++n) {
            const std::string message = corpus.empty() ? bench::shortGeneratedMessage(n + 1) : corpus[size_t(n) % corpus.size()];
            headerBytes += headerBlockBytes(message);
            server.addMessage(message);
        }
        { // The server indexes a new mailbox once; that is not the program's time.
            TmsRemotePOP pop;
            pop.Server = server.hostAndPort();
            pop.UserName = test::DovecotServer::UserName;
            pop.Password = test::DovecotServer::Password;
            pop.SetTimeOut(600);
            pop.UpdateInfo();
        }
        std::vector<Figures> taken;
        for (int round = 0; round < rounds; ++round)
            taken.push_back(checkOnce(server.hostAndPort()));
        const Figures f = medians(taken);
        const double beyondKb = ((f.peakMb - emptyPeakMb) * 1024.0 * 1024.0 - double(headerBytes)) / count / 1024.0;
        std::printf("%9d %8d %10.3f %12.3f %10lld %10.1f %16.2f\n", count, f.listed, f.wall, f.processor, f.stallMs,
                    f.peakMb, beyondKb);
        std::fflush(stdout);
    }
    return 0;
}

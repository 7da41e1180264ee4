// Classifies 10,000 generated messages against 1,000 subject rules, 1,000
// sender rules, 200 header rules, 1,000 exceptions and a 100,000-entry
// blacklist (unknown-domain test off) and prints the time and peak memory.

#include "classify/classifier.h"

#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

using namespace tw;

namespace {

constexpr int kMessages = 10'000;
constexpr int kSubjectRules = 1'000;
constexpr int kSenderRules = 1'000;
constexpr int kHeaderRules = 200;
constexpr int kExceptions = 1'000;
constexpr int kBlacklist = 100'000;

std::mt19937 rng(20001205);

std::string word(int minLength = 3, int maxLength = 9)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<int> letter(0, 25);
    std::string w;
    for (int i = length(rng); i > 0; --i)
        w += letters[letter(rng)];
    return w;
}

std::string domain() { return word() + "." + (rng() % 2 ? "example" : "test"); }
std::string address() { return word() + "@" + domain(); }

template <typename T> const T &pick(const std::vector<T> &from) { return from[rng() % from.size()]; }

void addRule(RuleTable &table, const std::vector<std::string> &cells, int firstCol = 1)
{
    const int row = table.rowForNewRule();
    for (size_t c = 0; c < cells.size(); ++c)
        table.setCell(firstCol + static_cast<int>(c), row, cells[c]);
}

void buildRules(RuleTables &rules)
{
    const std::vector<std::string> subjectOps = {"Contains (whole word)", "Contains (whole word)", "Contains",
                                                 "Starts with", "Ends with", "Equals"};
    for (int i = 0; i < kSubjectRules; ++i)
        addRule(rules.subject, {pick(subjectOps), word(4, 10), rng() % 4 ? "No" : "Yes", rng() % 3 ? "Yes" : "No", "0"});

    const std::vector<std::string> senderOps = {"Equals", "Ends with", "Contains", "Starts with", "All numeric"};
    for (int i = 0; i < kSenderRules; ++i) {
        const std::string &op = pick(senderOps);
        addRule(rules.sender, {rng() % 2 ? "Domain name" : "E-mail address", op, op == "All numeric" ? "" : domain(),
                               rng() % 3 ? "Yes" : "No", "0"});
    }
    for (int i = 0; i < kHeaderRules; ++i)
        addRule(rules.header, {rng() % 2 ? "Contains" : "Starts with", "X-Mailer: " + word(), "No",
                               rng() % 2 ? "Yes" : "No", "0"});

    const std::vector<std::string> exceptionKinds = {"E-mail address", "E-mail address", "Domain name", "Subject:",
                                                     "To:"};
    for (int i = 0; i < kExceptions; ++i) {
        const std::string &kind = pick(exceptionKinds);
        const bool addressKind = kind == "E-mail address" || kind == "Domain name";
        addRule(rules.exceptions,
                {kind, addressKind ? "Equals" : "Contains", addressKind ? address() : word(6, 12), "No", "0", "", "3"},
                0);
    }
}

std::string writeBlacklist(const QTemporaryDir &dir)
{
    const std::string path = dir.filePath("known.lst").toStdString();
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < kBlacklist; ++i)
        out << (i % 3 ? address() : domain()) << "\r\n";
    return path;
}

void buildMessages(WaitingMessages &messages, TmsRemoteInfo &info)
{
    for (int i = 0; i < kMessages; ++i) {
        TmsRemoteInfoItem &item = info.Add();
        item.Size = static_cast<int>(rng() % 60000);
        const std::string from = address();
        std::string subject;
        for (int w = 0; w < 6; ++w)
            subject += word() + " ";
        TmsHeaders &h = item.Headers;
        for (int r = 0; r < 6; ++r)
            h.Add("Received: from " + domain() + " by " + domain() + " with SMTP id " + word(12, 16));
        h.Add("From: \"" + word() + " " + word() + "\" <" + from + ">");
        h.Add("To: " + address());
        h.Add("Subject: " + subject);
        h.Add("Date: Tue, 5 Dec 2000 14:03:22 EST");
        h.Add("Message-ID: <" + word(10, 20) + "@" + domain() + ">");
        h.Add("X-Mailer: " + word());
        h.Add("MIME-Version: 1.0");
        h.Add("Content-Type: text/plain; charset=us-ascii");
        TWaitingMessage row;
        row.subject = h.GetFieldBody("Subject");
        row.senderAddress = from;
        row.sizeText = std::to_string(item.Size);
        messages.add(row);
    }
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time used so far; on a busy machine it shows the work apart
// from the waiting.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    RuleTables rules;
    buildRules(rules);
    const std::string blacklistPath = writeBlacklist(dir);
    WaitingMessages messages;
    TmsRemoteInfo info;
    buildMessages(messages, info);

    SpamTestSettings settings;
    settings.cbValid = false;
    KnownSpammers known;
    UnknownDomains domains;
    WhyLog why;
    Classifier classifier(messages, info, rules, settings, known, domains, why);

    auto start = std::chrono::steady_clock::now();
    double cpuStart = cpuSeconds();
    known.LoadUpKnownList(blacklistPath);
    const double loadSeconds = secondsSince(start);
    const double loadCpu = cpuSeconds() - cpuStart;

    start = std::chrono::steady_clock::now();
    cpuStart = cpuSeconds();
    classifier.MarkForDeletion(-1);
    const double classifySeconds = secondsSince(start);
    const double classifyCpu = cpuSeconds() - cpuStart;

    int marks[15 + 1] = {};
    for (int i = 0; i < messages.count(); ++i)
        ++marks[messages.row(i).mark + 1];

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("blacklist load (%d unsorted entries): %.3f s (CPU %.3f s)\n", known.count(), loadSeconds, loadCpu);
    std::printf("classification of %d messages: %.3f s (CPU %.3f s)\n", messages.count(), classifySeconds,
                classifyCpu);
    std::printf("load + classification: %.3f s (CPU %.3f s)\n", loadSeconds + classifySeconds, loadCpu + classifyCpu);
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    std::printf("marks: none %d, check %d, question %d, blacklist %d, exception %d\n", marks[0], marks[1], marks[2],
                marks[3], messages.count() - marks[0] - marks[1] - marks[2] - marks[3]);
    return 0;
}

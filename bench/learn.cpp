// The learned score on real mail, header blocks only: 5-fold
// cross-validation and a split by time (trained on the older half of each
// class, tested on the newer half), each as a table of the share of ordinary
// mail marked and the share of spam caught at the cutoffs 0.5, 0.9 and 0.99.
// Then the speed: scoring one message, training 6,000 messages from their
// text, and loading a store of 200,000 tokens.
//
//   bench_learn DIR
//
// DIR holds one folder per group of messages, one raw message per .eml file;
// groups whose names begin with "spam" are spam, all others ordinary mail
// (the public SpamAssassin corpus unpacked this way: easy-ham-1, easy-ham-2,
// hard-ham-1, spam-1, spam-2).

#include "bench_measures.h"
#include "classify/learned_score.h"
#include "classify/learned_store.h"
#include "classify/message_sources.h"
#include "platform/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace tw;

namespace {

struct Sample {
    TmsHeaders headers;
    bool spam = false;
    double date = 0; // from the Date header; 0 when unreadable
};

constexpr std::array<double, 3> kCutoffs{0.5, 0.9, 0.99};

std::vector<Sample> readCorpus(const QString &root)
{
    std::vector<Sample> samples;
    const QDir dir(root);
    for (const QString &group : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const bool spam = group.startsWith(QStringLiteral("spam"), Qt::CaseInsensitive);
        readMessageSource((root + "/" + group).toStdString(), [&](const TmsHeaders &headers) {
            Sample sample;
            sample.headers = headers;
            sample.spam = spam;
            try {
                sample.date = ParseDate(headers.GetFieldBody("Date")).value;
            } catch (const std::exception &) {
            }
            samples.push_back(std::move(sample));
        });
    }
    return samples;
}

struct Tally {
    long ham = 0, hamMarked[kCutoffs.size()] = {}, spam = 0, spamCaught[kCutoffs.size()] = {};
    void count(const Sample &sample, double score)
    {
        (sample.spam ? spam : ham) += 1;
        for (size_t c = 0; c < kCutoffs.size(); ++c)
            if (score >= kCutoffs[c])
                (sample.spam ? spamCaught[c] : hamMarked[c]) += 1;
    }
};

void printTable(const char *title, const Tally &tally)
{
    std::printf("%s: %ld ordinary, %ld spam tested\n", title, tally.ham, tally.spam);
    std::printf("  cutoff   ordinary mail marked     spam caught\n");
    for (size_t c = 0; c < kCutoffs.size(); ++c)
        std::printf("  %.2f     %6.2f%% (%4ld)          %6.2f%% (%4ld)\n", kCutoffs[c],
                    tally.ham ? 100.0 * tally.hamMarked[c] / tally.ham : 0.0, tally.hamMarked[c],
                    tally.spam ? 100.0 * tally.spamCaught[c] / tally.spam : 0.0, tally.spamCaught[c]);
}

void train(TrainedCounts &counts, const Sample &sample) { trainCounts(counts, sample.headers, sample.spam, 1, 1); }

Tally crossValidation(const std::vector<Sample> &samples, int folds)
{
    // Stratified: each class is shuffled (with a fixed seed) and dealt round the folds.
    std::vector<int> fold(samples.size());
    std::mt19937 random(20240607);
    for (bool spam : {false, true}) {
        std::vector<size_t> members;
        for (size_t i = 0; i < samples.size(); ++i)
            if (samples[i].spam == spam)
                members.push_back(i);
        std::shuffle(members.begin(), members.end(), random);
        for (size_t k = 0; k < members.size(); ++k)
            fold[members[k]] = int(k % size_t(folds));
    }
    Tally tally;
    for (int f = 0; f < folds; ++f) {
        TrainedCounts counts;
        for (size_t i = 0; i < samples.size(); ++i)
            if (fold[i] != f)
                train(counts, samples[i]);
        for (size_t i = 0; i < samples.size(); ++i)
            if (fold[i] == f)
                tally.count(samples[i], learnedScore(counts, samples[i].headers));
    }
    return tally;
}

Tally timeSplit(const std::vector<Sample> &samples)
{
    TrainedCounts counts;
    std::vector<const Sample *> newer;
    for (bool spam : {false, true}) {
        std::vector<const Sample *> members;
        for (const Sample &sample : samples)
            if (sample.spam == spam)
                members.push_back(&sample);
        std::stable_sort(members.begin(), members.end(),
                         [](const Sample *a, const Sample *b) { return a->date < b->date; });
        const size_t half = members.size() / 2;
        for (size_t k = 0; k < members.size(); ++k) {
            if (k < half)
                train(counts, *members[k]);
            else
                newer.push_back(members[k]);
        }
    }
    Tally tally;
    for (const Sample *sample : newer)
        tally.count(*sample, learnedScore(counts, sample->headers));
    return tally;
}

using Clock = std::chrono::steady_clock;

// Scoring every message against a store trained on all of them.
void timeScoring(const std::vector<Sample> &samples)
{
    TrainedCounts counts;
    for (const Sample &sample : samples)
        train(counts, sample);
    double checksum = 0;
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round)
        for (const Sample &sample : samples)
            checksum += learnedScore(counts, sample.headers);
    const double perMessage = 1e6 / double(samples.size() * kRounds);
    std::printf("Scoring: %.1f us per message of processor time (%.1f us wall; %zu messages, %d rounds, "
                "store of %zu tokens; checksum %.1f)\n",
                (cpuSeconds() - cpuStart) * perMessage, secondsSince(start) * perMessage, samples.size(), kRounds,
                counts.tokens.size(), checksum);
}

// Training from the text of each message's header block, as reading files does.
void timeTraining(const std::vector<Sample> &samples)
{
    std::vector<std::string> texts;
    for (const Sample &sample : samples)
        texts.push_back(sample.headers.Text() + "\r\n");
    const size_t count = std::min<size_t>(samples.size(), 6000);
    TrainedCounts counts;
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    for (size_t i = 0; i < count; ++i)
        trainCounts(counts, headerBlockOf(texts[i]), samples[i].spam, 1, 1);
    std::printf("Training: %zu messages in %.3f s of processor time (%.3f s wall)\n", count, cpuSeconds() - cpuStart,
                secondsSince(start));
}

// Loading a store of 200,000 tokens: the corpus's own tokens, topped up
// with made-up ones of the same form.
void timeLoading(const std::vector<Sample> &samples)
{
    constexpr size_t kTokens = 200000;
    LearnedData data;
    for (const Sample &sample : samples)
        trainCounts(data.counts, sample.headers, sample.spam, 1, 19000);
    for (size_t n = 0; data.counts.tokens.size() < kTokens; ++n)
        data.counts.tokens.insert("subject:made-up-" + std::to_string(n), TokenCount{1, 2, 19000});
    for (std::uint64_t n = 0; n < 6000; ++n)
        data.ledger.set(tokenHash(std::to_string(n)), n % 3 ? TrainedAs::Ham : TrainedAs::Spam, 19000);
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/" + kLearnedStoreFile;
    if (!writeLearnedStore(path, data)) {
        std::printf("Loading: cannot write %s\n", path.c_str());
        return;
    }
    std::vector<double> times, cpuTimes;
    for (int round = 0; round < 7; ++round) {
        LearnedData read;
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds();
        const LearnedStoreRead result = readLearnedStore(path, read);
        cpuTimes.push_back(cpuSeconds() - cpuStart);
        times.push_back(secondsSince(start));
        if (result.state != LearnedStoreRead::State::Read || read.counts.tokens.size() != data.counts.tokens.size()) {
            std::printf("Loading: the store did not read back\n");
            return;
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("Loading: a store of %zu tokens (%.1f MB) in %.1f ms of processor time (%.1f ms wall; medians of 7)\n",
                data.counts.tokens.size(), double(learnedStoreText(data).size()) / 1e6, cpuTimes[3] * 1e3,
                times[3] * 1e3);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        // "make bench" runs every program without arguments; without a
        // corpus there is nothing to measure, which is not a failure.
        std::printf("usage: bench_learn DIR  (one folder of .eml files per group; \"spam*\" groups are spam)\n");
        return argc == 1 ? 0 : 2;
    }
    const std::vector<Sample> samples = readCorpus(QString::fromLocal8Bit(argv[1]));
    if (samples.empty()) {
        std::printf("no messages found under %s\n", argv[1]);
        return 1;
    }
    printTable("5-fold cross-validation", crossValidation(samples, 5));
    printTable("Split by time (trained on the older half, tested on the newer)", timeSplit(samples));
    timeScoring(samples);
    timeTraining(samples);
    timeLoading(samples);
    return 0;
}

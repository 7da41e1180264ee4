#pragma once
// The deletion case of bench_pop3: 200 marked messages of real sizes (the
// public corpus, when it is unpacked; generated ones otherwise) deleted
// from a fresh Dovecot mailbox through the delaying relay, with a copy of
// each kept and without, at 0 and 25 ms each way. Timed: the whole
// deletion (re-read, RETR, writing the copies and their index, DELE, QUIT).

#include "bench_measures.h"
#include "delay_proxy.h"
#include "fixtures/dovecot_server.h"
#include "keep/deletion_copy_batch.h"
#include "net/mspop3.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tw::bench {

inline std::string withCrLf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 40);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

// 100 spam and 100 ordinary messages of the corpus, or nothing when it is not there.
inline std::vector<std::string> corpusMessages(int count)
{
    std::vector<std::string> messages;
    for (const char *group : {"spam-1", "easy-ham-1"}) {
        const QDir dir(QStringLiteral("/work/corpus/raw/") + QLatin1String(group));
        const QStringList names = dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
        for (int i = 0; i < names.size() && int(messages.size()) < count * (group[0] == 's' ? 1 : 2) / 2; ++i) {
            std::ifstream file(dir.filePath(names[i]).toStdString(), std::ios::binary);
            std::stringstream bytes;
            bytes << file.rdbuf();
            messages.push_back(withCrLf(bytes.str()));
        }
    }
    return int(messages.size()) == count ? messages : std::vector<std::string>{};
}

struct DeletionFigures {
    double wall = 0, cpu = 0;
    int deleted = 0, kept = 0;
};

inline DeletionFigures deleteAll(const std::vector<std::string> &messages, int delayMs, bool withCopies)
{
    test::DovecotServer server(messages);
    if (!server.started()) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", server.failure().c_str());
        return {};
    }
    const quint16 port = quint16(std::stoi(server.hostAndPort().substr(server.hostAndPort().rfind(':') + 1)));
    DelayProxy relay(port, delayMs);
    TmsRemotePOP pop;
    pop.Server = "127.0.0.1:" + std::to_string(relay.port());
    pop.UserName = test::DovecotServer::UserName;
    pop.Password = test::DovecotServer::Password;
    pop.SetTimeOut(60);
    DeletionFigures figures;
    pop.OnDeleted = [&](QObject *, int) { ++figures.deleted; };
    pop.UpdateInfo();
    for (int i = 0; i < pop.RemoteInfo().Count(); ++i)
        pop.FlagForDeletion(i);

    QTemporaryDir folder;
    DeletedMailStore store(folder.path().toStdString() + "/deleted");
    std::vector<int> deleted;
    pop.OnDeleted = [&](QObject *, int n) { deleted.push_back(n); };
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    {
        std::unique_ptr<DeletionCopyBatch> batch;
        if (withCopies) {
            batch = std::make_unique<DeletionCopyBatch>(store, 1024 * 1024);
            for (int i = 0; i < pop.RemoteInfo().Count(); ++i)
                batch->describe(i, KeptMessage{});
        }
        pop.DeletionCopies = batch.get();
        pop.TransferData();
        if (batch)
            batch->settle(deleted);
    }
    figures.wall = clock.nsecsElapsed() / 1e9;
    figures.cpu = cpuSeconds() - cpuBefore;
    figures.deleted = int(deleted.size());
    figures.kept = int(store.load().size());
    return figures;
}

// Prints the medians of Rounds rounds, copies and none alternating first.
inline void deletionCase(int rounds)
{
    std::vector<std::string> messages = corpusMessages(200);
    const char *source = "corpus";
    if (messages.empty()) {
        source = "generated";
        for (int n = 1; n <= 200; ++n)
            messages.push_back("Subject: message " + std::to_string(n) + "\r\n\r\n" +
                               std::string(4000, 'x') + "\r\n");
    }
    long long bytes = 0;
    for (const std::string &message : messages)
        bytes += (long long)message.size();
    std::printf("\ndeletion of %zu marked messages (%s, %lld bytes in all)\n", messages.size(), source, bytes);
    std::printf("%-22s %9s %10s %10s %8s %6s\n", "deletion", "delay", "wall s", "cpu s", "deleted", "kept");
    for (const int delayMs : {0, 25}) {
        std::vector<DeletionFigures> taken[2];
        for (int round = 0; round < rounds; ++round)
            for (int i = 0; i < 2; ++i) {
                const bool copies = (i + round) % 2 == 0;
                taken[copies].push_back(deleteAll(messages, delayMs, copies));
            }
        double wall[2];
        for (const bool copies : {false, true}) {
            std::vector<DeletionFigures> &list = taken[copies];
            std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.wall < b.wall; });
            const DeletionFigures &median = list[list.size() / 2];
            wall[copies] = median.wall;
            std::printf("%-22s %6d ms %10.3f %10.3f %8d %6d\n", copies ? "with copies" : "without copies", delayMs,
                        median.wall, median.cpu, median.deleted, median.kept);
        }
        std::printf("%-22s %6d ms %10.2f x\n", "with / without", delayMs, wall[1] / wall[0]);
    }
}

} // namespace tw::bench

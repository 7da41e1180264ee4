// Decodes every file of a folder (one raw message per file, sub-folders
// included) as "View body of one message" does: LoadFromStream, then the body
// converted for display. Prints messages per second, the slowest message,
// how many took longer than 50 ms, how many were reported as undecodable, and
// the peak memory. An error that escapes the decoder is counted and named.
//
//   bench_mime DIR

#include "net/message_text.h"
#include "net/msmsg.h"
#include "platform/text_file.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>

#include <cstdio>
#include <string>
#include <sys/resource.h>

using namespace tw;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        // "make bench" runs every program without arguments; there is no
        // corpus to decode then, which is not a failure.
        std::printf("usage: bench_mime DIR  (a folder of real mail, one raw message per file)\n");
        return argc == 1 ? 0 : 2;
    }
    constexpr qint64 kSlowNs = 50'000'000;
    long messages = 0, slow = 0, reported = 0, escaped = 0, attachments = 0;
    qint64 totalNs = 0, slowestNs = 0;
    unsigned long long bytes = 0;
    std::string slowest;

    QDirIterator files(QString::fromLocal8Bit(argv[1]), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const std::string path = files.next().toStdString();
        const std::optional<std::string> data = readWholeFile(path);
        if (!data)
            continue;
        ++messages;
        bytes += data->size();
        QElapsedTimer timer;
        timer.start();
        try {
            TmsMessage message;
            message.LoadFromStream(*data);
            const TShownMessage shown = shownMessage(message, path);
            attachments += message.Attachments.Count();
            const std::vector<std::string> lines = message.Body.lines();
            for (size_t i = 1; i < lines.size(); ++i)
                if (lines[i] == "The original message will be stored as an attachment") {
                    ++reported;
                    std::printf("reported as undecodable: %s: %s\n", path.c_str(), lines[i - 1].c_str());
                }
            (void)shown;
        } catch (const std::exception &error) {
            ++escaped;
            std::printf("error escaped on %s: %s\n", path.c_str(), error.what());
        }
        const qint64 ns = timer.nsecsElapsed();
        totalNs += ns;
        if (ns > kSlowNs)
            ++slow;
        if (ns > slowestNs) {
            slowestNs = ns;
            slowest = path;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double seconds = double(totalNs) / 1e9;
    std::printf("messages decoded:        %ld (%.1f MB)\n", messages, double(bytes) / 1e6);
    std::printf("decoding time:           %.3f s, %.0f messages/s\n", seconds, seconds > 0 ? messages / seconds : 0.0);
    std::printf("slowest message:         %.2f ms  %s\n", double(slowestNs) / 1e6, slowest.c_str());
    std::printf("over 50 ms:              %ld\n", slow);
    std::printf("attachments:             %ld\n", attachments);
    std::printf("reported undecodable:    %ld\n", reported);
    std::printf("errors escaping:         %ld\n", escaped);
    std::printf("peak memory (max RSS):   %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return escaped == 0 ? 0 : 1;
}

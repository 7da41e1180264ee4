// "View body of one message" on the messages that once froze the window for
// minutes and took gigabytes: one 50 MB line, 215 MB of base64, 100 MB of
// empty lines and 100 MB of UTF-16 text. Each is written to a file and
// viewed in a process of its own (offscreen), as the program does it: the
// file decoded, the text to show taken from it, the text window filled.
// Prints the time of each step, the text shown, and the peak memory: in all,
// before the message was read, and what the message added as a multiple of
// its size.
//
//   bench_body_view            all four
//   bench_body_view CASE FILE  one of them, on a file already written (used by the above)

#include "app/vheader.h"
#include "bench_measures.h"
#include "net/message_text.h"
#include "net/msmsg.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

using namespace tw;

namespace {

struct Case {
    const char *name;
    const char *headers;
    size_t size;
    // Writes the body to Out in pieces.
    std::function<void(std::ofstream &, size_t)> body;
};

void repeat(std::ofstream &out, const std::string &piece, size_t size)
{
    std::string block;
    while (block.size() < 1024 * 1024)
        block += piece;
    for (size_t written = 0; written < size; written += block.size())
        out.write(block.data(), std::streamsize(std::min(block.size(), size - written)));
}

const Case kCases[] = {
    {"one 50 MB line", "From: a@b.example\r\nSubject: one line\r\n", 50'000'000,
     [](std::ofstream &out, size_t size) {
         repeat(out, "x", size);
         out << "\r\n";
     }},
    {"215 MB of base64",
     "From: a@b.example\r\nSubject: base64\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n"
     "Content-Transfer-Encoding: base64\r\n",
     215'000'000,
     // "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do.\r\n" in base64, 76 to a line
     [](std::ofstream &out, size_t size) {
         repeat(out,
                "TG9yZW0gaXBzdW0gZG9sb3Igc2l0IGFtZXQsIGNvbnNlY3RldHVyIGFkaXBpc2NpbmcgZWxpdCwg\r\n"
                "c2VkIGRvLg0KTG9yZW0gaXBzdW0gZG9sb3Igc2l0IGFtZXQsIGNvbnNlY3RldHVyIGFkaXBpc2Np\r\n"
                "bmcgZWxpdCwgc2VkIGRvLg0K\r\n",
                size);
     }},
    {"100 MB of empty lines", "From: a@b.example\r\nSubject: empty lines\r\n", 100'000'000,
     [](std::ofstream &out, size_t size) { repeat(out, "\r\n", size); }},
    {"100 MB of UTF-16 text",
     "From: a@b.example\r\nSubject: UTF-16\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-16le\r\n",
     100'000'000,
     [](std::ofstream &out, size_t size) { repeat(out, std::string("H\0e\0l\0l\0o\0 \0w\0o\0r\0l\0d\0\n\0", 24), size); }},
};

int viewOne(const Case &c, const std::string &file, int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long baseline = peakMegabytes(); // the program before any message
    auto start = std::chrono::steady_clock::now();
    TmsMessage message;
    message.LoadFromFile(file);
    const double decodeSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    TShownMessage shown = shownMessage(message, file);
    const double textSeconds = secondsSince(start);
    message.Clear();
    const size_t shownBytes = shown.text.size();
    const size_t leftOut = shown.leftOut;
    start = std::chrono::steady_clock::now();
    TfrmViewHeader window(TfrmViewHeader::Mode::Body);
    window.setMessage(std::move(shown));
    window.show();
    window.memoText->moveCursor(QTextCursor::End); // lays out the whole text
    QApplication::processEvents();
    const double windowSeconds = secondsSince(start);
    const double fileMegabytes = double(c.size) / 1e6;
    std::printf("%-24s decode %5.2f s, text %4.2f s, window %4.2f s; shown %.1f MB, left out %5.1f MB; "
                "peak %4ld MB, %3ld MB before the message (%.1f x the message)\n",
                c.name, decodeSeconds, textSeconds, windowSeconds, double(shownBytes) / 1e6, double(leftOut) / 1e6,
                peakMegabytes(), baseline, double(peakMegabytes() - baseline) * 1.048576 / fileMegabytes);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3) {
        const int index = std::atoi(argv[1]);
        if (index < 0 || index >= int(std::size(kCases)))
            return 2;
        return viewOne(kCases[index], argv[2], 1, argv);
    }
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    qputenv("TIDEWELL_HOME", folder.path().toLocal8Bit()); // the text window reads and stores its size there
    int failed = 0;
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case &c = kCases[i];
        const std::string file = folder.filePath(QStringLiteral("msg_%1.eml").arg(i)).toStdString();
        {
            std::ofstream out(file, std::ios::binary);
            out << c.headers << "\r\n";
            c.body(out, c.size);
            out << ".\r\n";
        }
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QString::fromLocal8Bit(argv[0]), {QString::number(i), QString::fromStdString(file)});
        if (!run.waitForFinished(-1) || run.exitCode() != 0) {
            std::printf("%-24s failed\n", c.name);
            ++failed;
        }
        std::remove(file.c_str());
    }
    return failed == 0 ? 0 : 1;
}

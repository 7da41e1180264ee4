// The input as what a client says to the demo POP3 server, one command per
// line, against a small maildrop: every reply is a whole line (or block),
// and a session that ended without QUIT leaves every message in place.
#include "demo-pop3/pop3_session.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

using namespace tw::demo;

namespace {

const char *const kMessages[][2] = {
    {"a.eml", "From: ann@a.example\nSubject: one\n\nfirst line\n.hidden dot\nlast\n"},
    {"b.eml", "From: bob@b.example\r\nSubject: two\r\n\r\nbody\r\n"},
    {"c.eml", "From: cy@c.example\nSubject: three\n\n.\n"},
};

// The maildrop, laid out again for each input (a QUIT may have removed messages).
QString maildrop()
{
    static QTemporaryDir folder;
    for (const auto &message : kMessages) {
        QFile file(folder.filePath(QString::fromLatin1(message[0])));
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write(message[1]);
    }
    return folder.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input = tw::fuzz::inputAsText(data, size);
    const QString folder = maildrop();
    bool lock = false;
    bool quit = false;
    {
        Pop3Session session({"demo", "secret", folder}, lock);
        size_t start = 0;
        while (start < input.size() && !session.finished()) {
            size_t end = input.find('\n', start);
            if (end == std::string::npos)
                end = input.size();
            std::string line = input.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::string reply = session.handle(line);
            if (reply.size() < 2 || reply.compare(reply.size() - 2, 2, "\r\n") != 0)
                std::abort();
            start = end + 1;
        }
        quit = session.finished();
    }
    if (lock)
        std::abort(); // the ended session must release the maildrop
    if (!quit && QDir(folder).entryList(QDir::Files).size() != 3)
        std::abort();
    return 0;
}

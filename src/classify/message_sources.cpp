#include "classify/message_sources.h"

#include "classify/message_row.h"
#include "platform/bytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tw {

namespace {

// A header block larger than this is cut there (a POP3 listing refuses
// larger ones too), so a huge file is never read whole.
constexpr qint64 kMaxHeaderBytes = 1 << 20;

bool isMboxSeparator(std::string_view line) { return startsWith(line, "From "); }

std::vector<QString> sortedFiles(const QString &folder, bool emlOnly, bool recursive)
{
    std::vector<QString> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!emlOnly || path.endsWith(QStringLiteral(".eml"), Qt::CaseInsensitive))
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Reads the header blocks of Files one by one.
MessageSourceResult readFiles(const std::vector<QString> &files, const std::function<void(const TmsHeaders &)> &visit,
                              const std::function<bool(long long, long long)> &progress)
{
    MessageSourceResult result;
    const long long total = static_cast<long long>(files.size());
    for (long long i = 0; i < total; ++i) {
        if (progress && !progress(i, total)) {
            result.canceled = true;
            return result;
        }
        const std::optional<TmsHeaders> headers = headerBlockOfFile(files[size_t(i)].toStdString());
        if (!headers) {
            ++result.unreadable;
            continue;
        }
        if (headers->Count() == 0)
            continue;
        visit(*headers);
        ++result.messages;
    }
    if (progress)
        progress(total, total);
    return result;
}

MessageSourceResult readMbox(const QString &path, const std::function<void(const TmsHeaders &)> &visit,
                             const std::function<bool(long long, long long)> &progress)
{
    MessageSourceResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = "Cannot read " + path.toStdString() + ": " + file.errorString().toStdString();
        return result;
    }
    const long long total = file.size();
    // A message begins at a "From " line at the start of the file or after
    // an empty line; its header block runs to the next empty line.
    TmsHeaders headers;
    bool inHeaders = false;
    bool afterEmpty = true;
    qint64 headerBytes = 0;
    auto finish = [&] {
        if (inHeaders && headers.Count() > 0) {
            visit(headers);
            ++result.messages;
        }
        headers.Clear();
        inHeaders = false;
    };
    while (!file.atEnd()) {
        QByteArray raw = file.readLine(kMaxHeaderBytes);
        std::string_view line(raw.constData(), size_t(raw.size()));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (afterEmpty && isMboxSeparator(line)) {
            finish();
            if (progress && !progress(file.pos(), total)) {
                result.canceled = true;
                return result;
            }
            inHeaders = true;
            headerBytes = 0;
            afterEmpty = false;
            continue;
        }
        afterEmpty = line.empty();
        if (!inHeaders)
            continue;
        headerBytes += raw.size();
        if (line.empty() || headerBytes > kMaxHeaderBytes)
            finish();
        else
            headers.Add(std::string(line));
    }
    finish();
    if (progress)
        progress(total, total);
    return result;
}

} // namespace

TmsHeaders headerBlockOf(std::string_view text)
{
    if (isMboxSeparator(text)) {
        const size_t lf = text.find('\n');
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    }
    return readHeaderBlock(text).headers;
}

std::optional<TmsHeaders> headerBlockOfFile(const std::string &path, std::string *why)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = file.errorString().toStdString();
        return std::nullopt;
    }
    const QByteArray start = file.read(kMaxHeaderBytes);
    if (start.isEmpty() && file.error() != QFileDevice::NoError) {
        if (why)
            *why = file.errorString().toStdString();
        return std::nullopt;
    }
    return headerBlockOf(std::string_view(start.constData(), size_t(start.size())));
}

MessageSourceKind messageSourceKind(const std::string &path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        return MessageSourceKind::Missing;
    if (info.isDir()) {
        const QDir dir(info.filePath());
        const bool maildir = dir.exists(QStringLiteral("cur")) && dir.exists(QStringLiteral("new"));
        return maildir ? MessageSourceKind::Maildir : MessageSourceKind::EmlFolder;
    }
    QFile file(info.filePath());
    if (file.open(QIODevice::ReadOnly) && file.read(5) == "From ")
        return MessageSourceKind::Mbox;
    return MessageSourceKind::Message;
}

MessageSourceResult readMessageSource(const std::string &path, const std::function<void(const TmsHeaders &)> &visit,
                                      const std::function<bool(long long, long long)> &progress)
{
    const QString where = QString::fromStdString(path);
    switch (messageSourceKind(path)) {
    case MessageSourceKind::Missing: {
        MessageSourceResult result;
        result.error = "There is no file or folder " + path + ".";
        return result;
    }
    case MessageSourceKind::EmlFolder:
        return readFiles(sortedFiles(where, true, true), visit, progress);
    case MessageSourceKind::Maildir: {
        std::vector<QString> files = sortedFiles(where + QStringLiteral("/cur"), false, false);
        const std::vector<QString> fresh = sortedFiles(where + QStringLiteral("/new"), false, false);
        files.insert(files.end(), fresh.begin(), fresh.end());
        return readFiles(files, visit, progress);
    }
    case MessageSourceKind::Mbox:
        return readMbox(where, visit, progress);
    case MessageSourceKind::Message: {
        MessageSourceResult result = readFiles({where}, visit, progress);
        if (result.unreadable > 0)
            result.error = "Cannot read " + path + ".";
        return result;
    }
    }
    return {};
}

} // namespace tw

#include "stats/log_reader.h"

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/clock_locale.h"
#include "platform/large_pages.h"
#include "platform/text_file.h"
#include "stats/log_format.h"

#include <QLocale>
#include <algorithm>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace tw {

namespace {

const size_t kMaxLongField = 255;

// Splits the text after a stamp's day name into its date and time. A short
// date format may itself hold blanks ("d MMM yyyy"), so the date is as many
// blank-separated words as the format produces; the time is the rest.
class StampReader {
public:
    StampReader()
        : m_dateFormat(LocaleFormats::shortDate()), m_timeFormat(LocaleFormats::shortTime()),
          m_now(Clock::now())
    {
        const std::string sample = fromDisplay(m_locale.toString(QDate(2026, 12, 28), m_dateFormat));
        m_dateWords = 1 + std::count(sample.begin(), sample.end(), ' ');
    }

    // Line[From..] (0-based) = "<date> <time>": fills Date and Time. Without a date
    // the time falls back to the line's last two words.
    void split(std::string_view line, size_t from, std::string &date, std::string &time) const
    {
        size_t end = std::min(from, line.size());
        for (long words = 0; words < m_dateWords && end < line.size(); ++words) {
            const size_t blank = line.find(' ', end);
            end = blank == std::string_view::npos ? line.size() : blank + (words + 1 < m_dateWords ? 1 : 0);
        }
        date = trimmed(line.substr(std::min(from, line.size()), end - std::min(from, line.size())));
        time = end < line.size() ? trimmed(line.substr(end)) : std::string();
        if (time.empty())
            time = lastTwoWords(line);
    }

    TDateTime dateValue(const std::string &text)
    {
        auto it = m_dates.find(text);
        if (it == m_dates.end()) {
            const QDate d = m_locale.toDate(toDisplay(text), m_dateFormat);
            it = m_dates.emplace(text, d.isValid() ? toTDateTime(d) : m_now).first;
        }
        return it->second;
    }

    TDateTime timeValue(const std::string &text)
    {
        auto it = m_times.find(text);
        if (it == m_times.end()) {
            const QTime t = m_locale.toTime(toDisplay(text), m_timeFormat);
            const TDateTime value = t.isValid() ? encodeTime(t.hour(), t.minute(), t.second())
                                                : m_now - static_cast<long long>(m_now);
            it = m_times.emplace(text, value).first;
        }
        return it->second;
    }

private:
    // The text after the line's second blank from the end; the current time
    // when the line has fewer than two blanks.
    std::string lastTwoWords(std::string_view line) const
    {
        const size_t last = line.rfind(' ');
        const size_t second = last == std::string_view::npos || last == 0 ? std::string_view::npos
                                                                          : line.rfind(' ', last - 1);
        if (second == std::string_view::npos)
            return fromDisplay(m_locale.toString(toQDateTime(m_now).time(), m_timeFormat));
        return trimmed(line.substr(second + 1));
    }

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    TDateTime m_now;
    long m_dateWords = 1;
    std::unordered_map<std::string, TDateTime> m_dates;
    std::unordered_map<std::string, TDateTime> m_times;
};

// Line-by-line walk over a file's text (CR LF, LF or CR line ends).
class LineWalker {
public:
    explicit LineWalker(std::string_view text) : m_text(text) {}
    bool next(std::string_view &line)
    {
        if (m_pos >= m_text.size())
            return false;
        size_t stop = m_pos;
        while (stop < m_text.size() && m_text[stop] != '\r' && m_text[stop] != '\n')
            ++stop;
        line = m_text.substr(m_pos, stop - m_pos);
        m_pos = stop;
        if (m_pos < m_text.size() && m_text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n' && (m_pos == stop || m_text[stop] == '\r'))
            ++m_pos;
        return true;
    }
    // The next line without taking it.
    bool peek(std::string_view &line) const
    {
        LineWalker copy = *this;
        return copy.next(line);
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// Text from 1-based Position to the end of the line, at most 255 characters.
std::string restOfLine(std::string_view line, size_t position)
{
    if (position == 0 || position > line.size())
        return {};
    return std::string(line.substr(position - 1, kMaxLongField));
}

// The 1-based position Offset characters after the start of the first
// Needle in Line, or 0 when Line has no Needle.
size_t positionAfter(std::string_view line, std::string_view needle, size_t offset)
{
    const size_t at = line.find(needle);
    return at == std::string_view::npos ? 0 : at + 1 + offset;
}

// How often Needle occurs in Text: at least as many records as will be read.
size_t occurrences(std::string_view text, std::string_view needle)
{
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

// A deletion block's detail lines are indented; a line that is not starts a
// new entry (a block cut short by a crash must not swallow it).
bool isBlockLine(std::string_view line) { return line.empty() || line.front() == ' '; }

class LogParser {
public:
    explicit LogParser(ActivityLogData &data) : m_data(data) {}

    void mailCheck(std::string_view line)
    {
        // Filled where it will stay: moving a record copies its short texts.
        CheckRecord &r = m_data.checks.emplace_back();
        r.count = trimmed(getUntilCh(line, 12, ' '));
        if (const size_t p = positionAfter(line, "for \"", 5))
            r.mailbox = trimmed(getUntilCh(line, p, '"'));
        const size_t serverAt = line.find("on server ");
        if (const size_t p = positionAfter(line, "on server ", 10))
            r.server = trimmed(getUntilCh(line, p, ' '));
        // The stamp follows the first " at " after the server (a user name
        // with " at " in it cannot move it); the date begins 8 characters on,
        // after " at " and the day name with its blank.
        const size_t at = line.find(" at ", serverAt == std::string_view::npos ? 0 : serverAt);
        if (at != std::string_view::npos)
            m_stamps.split(line, at + 8, r.date, r.time);
        addMailbox(r.mailbox);
        if (r.count.empty()) {
            m_data.checks.pop_back();
            return;
        }
        r.countValue = toIntDef(r.count, 0);
        r.dateValue = m_stamps.dateValue(r.date);
        r.timeValue = m_stamps.timeValue(r.time);
    }

    // Line is the "DELETE SPAM" line; its detail lines come from Walker.
    void deletion(std::string_view line, LineWalker &walker, long long &linesRead)
    {
        DeletionRecord &r = m_data.deletions.emplace_back();
        // The date begins at position 20, after "DELETE SPAM on " and the day name.
        m_stamps.split(line, 19, r.date, r.time);
        std::string_view detail;
        for (int i = 1; i <= 4 && walker.peek(detail) && isBlockLine(detail); ++i) {
            walker.next(detail);
            ++linesRead;
            if (i == 1) {
                if (detail.find("Server:") != std::string_view::npos)
                    r.server = trimmed(getUntilCh(detail, 13, ' '));
                if (const size_t p = positionAfter(detail, "Mailbox:", 9))
                    r.mailbox = trimmed(restOfLine(detail, p));
            } else if (i == 3) {
                if (const size_t p = positionAfter(detail, "Sender:", 9))
                    r.sender = trimmed(lowerCase(restOfLine(detail, p)));
            } else if (i == 4) {
                if (const size_t p = positionAfter(detail, "Size:", 9))
                    r.size = trimmed(getUntilCh(detail, p, ' '));
            }
        }
        const size_t atSign = r.sender.find('@');
        if (atSign != std::string::npos)
            r.domain = trimmed(std::string_view(r.sender).substr(atSign + 1));
        r.dateValue = m_stamps.dateValue(r.date);
        r.timeValue = m_stamps.timeValue(r.time);
    }

private:
    void addMailbox(const std::string &mailbox)
    {
        if (m_seenMailboxes.insert(lowerCase(mailbox)).second)
            m_data.mailboxes.push_back(mailbox);
    }

    ActivityLogData &m_data;
    StampReader m_stamps;
    std::unordered_set<std::string> m_seenMailboxes;
};

} // namespace

std::optional<ActivityLogData> readInLogFile(const std::string &path, std::string &errorText,
                                             const LogReadProgress &progress, const LogReadCancelled &cancelled)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        errorText = kLogMissingError;
        return std::nullopt;
    }
    const std::optional<std::string> text = readWholeFile(path, kMaxActivityLogBytes);
    if (!text) {
        errorText = kLogUnreadableError;
        return std::nullopt;
    }

    const long long fileSize = static_cast<long long>(text->size());
    const long long progressStep = std::max(1LL, fileSize / 200);
    long long reported = -progressStep;
    long long linesRead = 0;
    bool stopped = false;
    auto report = [&] {
        const long long position = std::min(fileSize, 60 * (linesRead + 1));
        if (progress && position - reported >= progressStep) {
            progress(position, fileSize);
            reported = position;
        }
        // The estimate stops at the file size long before the end of a log
        // of long lines, so cancelling is asked by lines read instead.
        if (cancelled && linesRead % 4096 == 0)
            stopped = cancelled();
    };

    ActivityLogData data;
    // Records are large; growing the lists step by step would copy every
    // record already read again and again on a long log.
    data.checks.reserve(occurrences(*text, kMailCheckMarker));
    data.deletions.reserve(occurrences(*text, kDeleteSpamMarker));
    adviseLargePages(data.checks);
    adviseLargePages(data.deletions);
    LogParser parser(data);
    LineWalker walker(*text);
    std::string_view line;
    for (report(); !stopped && walker.next(line); report()) {
        ++linesRead;
        if (line.find(kMailCheckMarker) != std::string_view::npos)
            parser.mailCheck(line);
        else if (line.find(kDeleteSpamMarker) != std::string_view::npos)
            parser.deletion(line, walker, linesRead);
    }
    if (stopped)
        return std::nullopt;
    if (progress)
        progress(fileSize, fileSize);
    return data;
}

} // namespace tw

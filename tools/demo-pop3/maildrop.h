#pragma once
// The demo server's maildrop: a folder with one file per message. Messages
// are numbered 1..n in the order of their file names; each is served with
// CR LF line ends, and its size is the size of what is served. Deletion is
// two-step as POP3 wants it: markDeleted() only flags, commit() removes the
// flagged files, reset() forgets the flags.

#include <QString>

#include <string>
#include <vector>

namespace tw::demo {

class Maildrop {
public:
    // Reads the folder's files. Returns false (with Error) when the folder
    // or one of its files cannot be read.
    bool open(const QString &folder, std::string &error);

    int count() const { return int(m_messages.size()); }
    // Messages not marked as deleted and their total size.
    int liveCount() const;
    long long liveSize() const;

    // Message numbers are 1-based; valid() means in range and not deleted.
    bool valid(int number) const;
    long long size(int number) const;
    const std::string &text(int number) const;      // CR LF line ends
    const std::string &uniqueId(int number) const;  // the file name

    void markDeleted(int number);
    void reset();
    // Removes the files of the deleted messages; false when one could not be removed.
    bool commit();

private:
    struct Message {
        QString path;
        std::string uniqueId;
        std::string text;
        bool deleted = false;
    };
    std::vector<Message> m_messages;
};

// Bare LF and bare CR become CR LF.
std::string withCrLf(const std::string &text);

} // namespace tw::demo

#include "demo-pop3/maildrop.h"

#include <QDir>
#include <QFile>

namespace tw::demo {

std::string withCrLf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool Maildrop::open(const QString &folder, std::string &error)
{
    m_messages.clear();
    const QDir dir(folder);
    if (!dir.exists()) {
        error = "no mailbox folder " + folder.toStdString();
        return false;
    }
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            error = "cannot read " + file.fileName().toStdString();
            m_messages.clear();
            return false;
        }
        Message message;
        message.path = file.fileName();
        message.uniqueId = name.toStdString();
        message.text = withCrLf(file.readAll().toStdString());
        if (message.text.size() < 2 || message.text.compare(message.text.size() - 2, 2, "\r\n") != 0)
            message.text += "\r\n";
        m_messages.push_back(std::move(message));
    }
    return true;
}

int Maildrop::liveCount() const
{
    int live = 0;
    for (const Message &m : m_messages)
        live += m.deleted ? 0 : 1;
    return live;
}

long long Maildrop::liveSize() const
{
    long long total = 0;
    for (const Message &m : m_messages)
        total += m.deleted ? 0 : (long long)m.text.size();
    return total;
}

bool Maildrop::valid(int number) const
{
    return number >= 1 && number <= count() && !m_messages[size_t(number - 1)].deleted;
}

long long Maildrop::size(int number) const { return (long long)text(number).size(); }

const std::string &Maildrop::text(int number) const { return m_messages.at(size_t(number - 1)).text; }

const std::string &Maildrop::uniqueId(int number) const { return m_messages.at(size_t(number - 1)).uniqueId; }

void Maildrop::markDeleted(int number) { m_messages.at(size_t(number - 1)).deleted = true; }

void Maildrop::reset()
{
    for (Message &m : m_messages)
        m.deleted = false;
}

bool Maildrop::commit()
{
    bool removedAll = true;
    for (const Message &m : m_messages)
        if (m.deleted && !QFile::remove(m.path))
            removedAll = false;
    return removedAll;
}

} // namespace tw::demo

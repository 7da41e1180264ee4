#pragma once
// The bytes a connection has received and no read has handed out yet, in
// order. Reads take whole lines or blocks from its front; bytes are copied in
// once, straight from the socket, and handed out from where they lie.

#include <QIODevice>
#include <string>
#include <string_view>

namespace tw {

// Appends up to MaxBytes of what Device holds to Out, reading straight into
// Out's storage. Returns the number of bytes appended.
inline size_t appendAvailable(QIODevice &Device, std::string &Out, qint64 MaxBytes = -1)
{
    qint64 wanted = Device.bytesAvailable();
    if (MaxBytes >= 0 && wanted > MaxBytes)
        wanted = MaxBytes;
    if (wanted <= 0)
        return 0;
    const size_t before = Out.size();
    Out.resize(before + size_t(wanted));
    const qint64 got = Device.read(Out.data() + before, wanted);
    Out.resize(before + size_t(got > 0 ? got : 0));
    return Out.size() - before;
}

class TInputBuffer {
public:
    size_t size() const { return m_bytes.size() - m_start; }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return std::string_view(m_bytes).substr(m_start); }

    // Hands out the first Count bytes (they are forgotten).
    void consume(size_t Count)
    {
        m_start += Count;
        if (m_start >= m_bytes.size())
            clear();
    }
    // Takes what Device holds. The handed-out front is dropped first, so the
    // buffer never grows beyond what is still unread.
    size_t takeFrom(QIODevice &Device)
    {
        if (m_start > 0) {
            m_bytes.erase(0, m_start);
            m_start = 0;
        }
        return appendAvailable(Device, m_bytes);
    }
    // Puts Bytes back as the unread input (it held nothing unread before).
    void assign(std::string_view Bytes)
    {
        m_bytes.assign(Bytes);
        m_start = 0;
    }
    void clear()
    {
        m_bytes.clear();
        m_start = 0;
    }

private:
    std::string m_bytes;
    size_t m_start = 0;
};

} // namespace tw

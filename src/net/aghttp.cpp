#include "net/aghttp.h"

#include "net/errors.h"
#include "platform/bytes.h"

#include <QByteArray>
#include <algorithm>

namespace tw {

namespace {

constexpr int TextInvalidUrl = 57007;
constexpr int TextClosedBeforeDataComplete = 57031;
constexpr int TextReplyTooLarge = 57032;
const std::string HttpPrefix = "http://";

// A chunk-size line as a number: plain hexadecimal digits, trailing spaces
// allowed; anything else (leading spaces, a chunk extension) gives -1.
long long chunkSize(const std::string &line)
{
    const std::string digits = trimmedRight(line);
    if (digits.empty() || digits.size() > 8)
        return -1;
    long long value = 0;
    for (char c : digits) {
        const char lower = asciiLower(c);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (lower >= 'a' && lower <= 'f')
            digit = lower - 'a' + 10;
        else
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

TagHTTP::TagHTTP(QObject *parent) : TagSocket(parent)
{
    DefaultPort = 80;
    ServiceName = "http";
}

void TagHTTP::SetURL(const std::string &url)
{
    if (url.size() < HttpPrefix.size() || !sameText(url.substr(0, HttpPrefix.size()), HttpPrefix))
        ReportError(TextInvalidUrl);
    m_url = url;
    const std::string rest = url.substr(HttpPrefix.size());
    const size_t slash = rest.find('/');
    m_server = rest.substr(0, slash);
    m_path = slash == std::string::npos ? "/" : rest.substr(slash);
}

std::string TagHTTP::request() const
{
    std::string text = "GET " + (Proxy.empty() ? m_path : m_url) + " HTTP/1.0\r\n";
    text += "Host: " + m_server + "\r\n";
    text += "Accept: */*\r\n";
    if (!UserAgent.empty())
        text += "User-Agent: " + UserAgent + "\r\n";
    if (!Proxy.empty() && !ProxyUserName.empty()) {
        const QByteArray credentials = QByteArray::fromStdString(ProxyUserName + ":" + ProxyPassword).toBase64();
        text += "Proxy-Authorization: Basic " + credentials.toStdString() + "\r\n";
    }
    text += "Connection: close\r\n\r\n";
    return text;
}

int TagHTTP::Get()
{
    m_statusCode = -1;
    m_responseHeaders.Clear();
    m_body.clear();
    SetDeadline(MaxSeconds);
    try {
        ResetState();
        Server = Proxy.empty() ? m_server : Proxy;
        Open();
        Connect();
        fire(OnSending);
        SendStream(request());
        readResponseHeaders();
        readBody();
    } catch (...) {
        SetDeadline(0);
        m_body.clear(); // no document came
        Close();
        throw;
    }
    SetDeadline(0);
    Close();
    return m_statusCode;
}

void TagHTTP::readResponseHeaders()
{
    // An empty line ends the headers; so does a server that closes.
    long long bytes = 0;
    for (;;) {
        ReadLine();
        if (LastReply().empty())
            break;
        bytes += (long long)LastReply().size();
        if (m_responseHeaders.Count() >= MaxHeaderLines || bytes > MaxHeaderBytes) {
            Close();
            ReportError(TextReplyTooLarge);
        }
        m_responseHeaders.Add(LastReply());
    }
    if (m_responseHeaders.Count() > 0)
        m_statusCode = GetWordInt(m_responseHeaders.Strings(0), 1);
}

void TagHTTP::readBody()
{
    if (findText(m_responseHeaders.GetFieldBody("Transfer-Encoding"), "chunked") != std::string::npos) {
        readChunkedBody();
        return;
    }
    long long length = -1;
    if (parseInt(trimmed(m_responseHeaders.GetFieldBody("Content-Length")), length) && length >= 0) {
        readExactly(length);
        return;
    }
    // No length: the document ends with the connection, and one byte more
    // than allowed tells that it is too large.
    ReadToEnd(m_body, int(std::min<long long>(MaxBodyBytes + 1, 0x7fffffff)));
    if ((long long)m_body.size() > MaxBodyBytes) {
        Close();
        ReportError(TextReplyTooLarge);
    }
}

void TagHTTP::readChunkedBody()
{
    for (;;) {
        ReadLine();
        if (LastReply().empty())
            ReadLine(); // the line end after the previous chunk's data
        const long long size = chunkSize(LastReply());
        if (size <= 0)
            return;
        readExactly(size);
    }
}

void TagHTTP::readExactly(long long count)
{
    if ((long long)m_body.size() + count > MaxBodyBytes) {
        Close();
        ReportError(TextReplyTooLarge);
    }
    const size_t before = m_body.size();
    ReadToEnd(m_body, int(count));
    if (m_body.size() - before < size_t(count))
        ReportError(TextClosedBeforeDataComplete);
}

} // namespace tw

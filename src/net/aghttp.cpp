#include "net/aghttp.h"

#include "net/errors.h"
#include "platform/bytes.h"

#include <QByteArray>

namespace tw {

namespace {

constexpr int TextInvalidUrl = 57007;
constexpr int TextClosedBeforeDataComplete = 57031;
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
        Close();
        throw;
    }
    Close();
    return m_statusCode;
}

void TagHTTP::readResponseHeaders()
{
    // An empty line ends the headers; so does a server that closes.
    for (;;) {
        ReadLine();
        if (LastReply().empty())
            break;
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
    if (parseInt(trimmed(m_responseHeaders.GetFieldBody("Content-Length")), length) && length >= 0 &&
        length <= 0x7fffffff) {
        readExactly(int(length));
        return;
    }
    ReadToEnd(m_body, -1); // no length: the document ends with the connection
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
        readExactly(int(size));
    }
}

void TagHTTP::readExactly(int count)
{
    const size_t before = m_body.size();
    ReadToEnd(m_body, count);
    if (m_body.size() - before < size_t(count))
        ReportError(TextClosedBeforeDataComplete);
}

} // namespace tw

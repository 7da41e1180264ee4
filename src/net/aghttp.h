#pragma once
// TagHTTP: a small HTTP/1.0 client on the socket transport that fetches
// whole documents with GET into memory. Bodies may come with a length, in
// chunks, or simply end when the server closes the connection.
//
// Use: SetURL("http://host[:port]/path"), then Get(); afterwards
// StatusCode(), ResponseHeaders() and Body() describe the response. Get does
// not judge the status: an error page is returned as the body.

#include "net/agsocket.h"
#include "net/msmsgcls.h"

#include <string>

namespace tw {

class TagHTTP : public TagSocket {
    Q_OBJECT
public:
    explicit TagHTTP(QObject *parent = nullptr);

    // The absolute address of the document. The value must begin with
    // "http://" (any letter case); otherwise OnError fires with "Invalid URL",
    // ESocketError is raised and the previous value stays. After the prefix,
    // the text up to the first "/" is the server (host, or host:port), the
    // rest the path ("/" when there is none).
    const std::string &URL() const { return m_url; }
    void SetURL(const std::string &url);
    const std::string &Path() const { return m_path; }

    // Optional. With Proxy ("host[:port]") set, the request goes to the proxy
    // with the absolute URL, and ProxyUserName/ProxyPassword (when a user name
    // is set) as basic proxy credentials. UserAgent adds a User-Agent line.
    std::string Proxy, ProxyUserName, ProxyPassword, UserAgent;

    // Fired just before a request is sent.
    TNotifyEvent OnSending;

    // What one response may hold and take. A server that goes beyond them
    // is broken or hostile: the request ends with an error instead of memory
    // or time growing without bound.
    //  - MaxBodyBytes: the most a body may hold (announced, chunked or up to
    //    the close);
    //  - MaxSeconds: the whole request, from the host lookup to the end of
    //    the body, however steadily the bytes trickle in (0: no bound beyond
    //    the time-out between events).
    long long MaxBodyBytes = 1LL << 20;
    int MaxSeconds = 60;
    // The response's header lines (the status line included) and their bytes.
    static constexpr int MaxHeaderLines = 100;
    static constexpr long long MaxHeaderBytes = 64LL << 10;

    // Fetches URL and returns the response's status code, or -1 when no
    // status line came. A body that ends before its announced length or last
    // chunk raises ESocketError (57031) rather than passing for the whole
    // document; headers or a body beyond the limits above raise ESocketError
    // (57032) and a request that runs past MaxSeconds ETimedOutError. Any
    // failure closes the connection and goes on; the errors are those of
    // TagSocket. After a failure Body() is empty.
    int Get();

    int StatusCode() const { return m_statusCode; }
    // The response lines before the empty line, the status line first.
    const TmsHeaders &ResponseHeaders() const { return m_responseHeaders; }
    const std::string &Body() const { return m_body; }

private:
    std::string request() const;
    void readResponseHeaders();
    void readBody();
    void readChunkedBody();
    // Reads exactly Count bytes onto the body; a shorter read is an error,
    // and so is a body that would grow beyond MaxBodyBytes.
    void readExactly(long long count);

    std::string m_url;
    std::string m_server;
    std::string m_path = "/";
    int m_statusCode = -1;
    TmsHeaders m_responseHeaders;
    std::string m_body;
};

} // namespace tw

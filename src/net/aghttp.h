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

    // Fetches URL and returns the response's status code, or -1 when no
    // status line came. A body that ends before its announced length or last
    // chunk raises ESocketError (57031) rather than passing for the whole
    // document. Any failure closes the connection and goes on; the errors are
    // those of TagSocket.
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
    // Reads exactly Count bytes onto the body; a shorter read is an error.
    void readExactly(int count);

    std::string m_url;
    std::string m_server;
    std::string m_path = "/";
    int m_statusCode = -1;
    TmsHeaders m_responseHeaders;
    std::string m_body;
};

} // namespace tw

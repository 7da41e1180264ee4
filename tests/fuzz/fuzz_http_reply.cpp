// The input as everything a web server answers to the version check: a
// loopback server in this process sends it whole and hangs up. The client
// must end with a document or one of its errors, within its limits, and
// the document is then read as release notes.
#include "fuzz_support.h"
#include "net/aghttp.h"
#include "net/errors.h"
#include "platform/rtf_text.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdlib>

using namespace tw;

namespace {

class AnsweringServer {
public:
    AnsweringServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection()) {
                QObject::connect(client, &QTcpSocket::readyRead, client, [client] { client->readAll(); });
                QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                client->write(m_answer);
                client->disconnectFromHost();
            }
        });
    }
    void setAnswer(const QByteArray &answer) { m_answer = answer; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_server.serverPort()) + "/note.rtf"; }

private:
    QTcpServer m_server;
    QByteArray m_answer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    static AnsweringServer server;
    server.setAnswer(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    TagHTTP http;
    http.SetTimeOut(1);
    http.MaxSeconds = 5;
    http.MaxBodyBytes = 1024;
    http.SetURL(server.url());
    try {
        http.Get();
    } catch (const ETidewellError &) {
        // every failure the server can cause is one of the client's errors
    }
    if (http.IsConnected() || (long long)http.Body().size() > http.MaxBodyBytes ||
        http.ResponseHeaders().Count() > TagHTTP::MaxHeaderLines)
        std::abort();
    rtfToText(http.Body());
    return 0;
}

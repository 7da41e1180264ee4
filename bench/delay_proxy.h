#pragma once
// A TCP relay on loopback that holds every chunk of data for a set time in
// each direction, as the link to a distant mail provider does: a one-way
// delay of 25 ms makes every round trip 50 ms longer. It runs in a thread of
// its own, so a client that blocks (another process, a blocking wait) still
// sees its data relayed on time. Byte order is kept in each direction, and a
// side that closes is closed on the other side once its last data is through.

#include <QElapsedTimer>
#include <QThread>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <atomic>
#include <deque>
#include <memory>

namespace tw::bench {

class DelayProxy {
public:
    DelayProxy(quint16 upstreamPort, int oneWayMs) : m_upstreamPort(upstreamPort), m_delayMs(oneWayMs)
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(&m_context, [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~DelayProxy()
    {
        // Everything the relay made lives in the thread; it goes with it.
        QMetaObject::invokeMethod(&m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }
    void setDelay(int oneWayMs) { m_delayMs = oneWayMs; }

private:
    // One direction of one connection.
    struct Pipe {
        QTcpSocket *to = nullptr;
        QTimer timer;
        struct Chunk {
            qint64 dueMs;
            QByteArray bytes; // empty: the sending side closed
        };
        std::deque<Chunk> waiting;
    };

    void listen()
    {
        m_clock.start();
        m_server = new QTcpServer;
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *client = m_server->nextPendingConnection())
                relay(client);
        });
    }

    void relay(QTcpSocket *client)
    {
        auto *upstream = new QTcpSocket(client);
        upstream->connectToHost(QHostAddress::LocalHost, m_upstreamPort);
        join(client, upstream);
        join(upstream, client);
    }

    // Relays what From receives to To after the delay.
    void join(QTcpSocket *from, QTcpSocket *to)
    {
        auto pipe = std::make_shared<Pipe>();
        pipe->to = to;
        pipe->timer.setSingleShot(true);
        pipe->timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&pipe->timer, &QTimer::timeout, to, [this, pipe] { deliver(*pipe); });
        QObject::connect(from, &QTcpSocket::readyRead, to, [this, from, pipe] { hold(*pipe, from->readAll()); });
        QObject::connect(from, &QTcpSocket::disconnected, to, [this, pipe] { hold(*pipe, QByteArray()); });
    }

    void hold(Pipe &pipe, QByteArray bytes)
    {
        pipe.waiting.push_back({m_clock.elapsed() + m_delayMs.load(), std::move(bytes)});
        deliver(pipe);
    }

    void deliver(Pipe &pipe)
    {
        while (!pipe.waiting.empty() && pipe.waiting.front().dueMs <= m_clock.elapsed()) {
            if (pipe.waiting.front().bytes.isEmpty())
                pipe.to->disconnectFromHost();
            else
                pipe.to->write(pipe.waiting.front().bytes);
            pipe.waiting.pop_front();
        }
        if (!pipe.waiting.empty() && !pipe.timer.isActive())
            pipe.timer.start(int(std::max<qint64>(0, pipe.waiting.front().dueMs - m_clock.elapsed())));
    }

    const quint16 m_upstreamPort;
    std::atomic<int> m_delayMs;
    QThread m_thread;
    QObject m_context;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    QElapsedTimer m_clock;
};

} // namespace tw::bench

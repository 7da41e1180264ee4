#pragma once
// One running Tidewell per user. The first instance listens on a local
// socket named after the program and the user; a later start finds it, asks
// it to bring its window forward, and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace tw {

class TFirstInstance : public QObject {
    Q_OBJECT
public:
    // Key names the instance; empty uses "tidewell-" + the user name.
    explicit TFirstInstance(const QString &key = QString(), QObject *parent = nullptr);
    ~TFirstInstance() override;

    // True when another instance was found and asked to show itself: this
    // instance should end. Otherwise this instance becomes the first one.
    bool anotherInstanceRunning();

signals:
    // A later start asked this (first) instance to restore or raise its window.
    void showRequested();

private:
    QString m_key;
    QLocalServer *m_server = nullptr;
};

// Whether a first instance is listening under Key (empty: the default key),
// without asking it to show itself and without becoming one: for the
// command-line companions that must not write files the running program
// keeps open in memory.
bool firstInstanceRunning(const QString &key = QString());

} // namespace tw

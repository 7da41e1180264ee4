#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

const QByteArray kShowRequest = "show\n";
const char *const kLockName = "/tidewell.lock";

QString guardedFolder(const std::string &programFolder)
{
    const QString folder = QString::fromStdString(programFolder);
    QDir().mkpath(folder);
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Local socket names live in the temporary folder and must stay short;
// the folder's hash keeps them apart.
QString socketNameFor(const QString &folder)
{
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("tidewell-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool processRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

TFirstInstance::TFirstInstance(const std::string &programFolder, QObject *parent)
    : QObject(parent), m_folder(guardedFolder(programFolder).toStdString()),
      m_socketName(socketNameFor(QString::fromStdString(m_folder)))
{
}

TFirstInstance::~TFirstInstance() = default;

TFirstInstance::Claim TFirstInstance::claim()
{
    const std::string lockPath = m_folder + kLockName;
    // The lock is read when it is there; a pipe or a device in its place
    // would make that wait or never end. It is no lock of ours: it goes.
    struct stat st {};
    if (::lstat(lockPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        ::unlink(lockPath.c_str());
    m_lock = std::make_unique<QLockFile>(QString::fromStdString(lockPath));
    // The lock lasts as long as the program: only a dead owner makes it stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        return held ? Claim::OwnedElsewhere : Claim::Unguarded;
    }
    listen();
    return Claim::Owned;
}

void TFirstInstance::listen()
{
    // Owning the lock, a socket of this name can only be left over from an
    // owner that crashed.
    QLocalServer::removeServer(m_socketName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketName))
        return; // the folder stays owned; later starts just cannot bring this one forward
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("show"))
                    emit showRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

bool TFirstInstance::askOwnerToShow(int waitMilliseconds) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        QLocalSocket probe;
        probe.connectToServer(m_socketName);
        if (probe.waitForConnected(500)) {
            probe.write(kShowRequest);
            const bool sent = probe.waitForBytesWritten(500);
            probe.disconnectFromServer();
            return sent;
        }
        // The owner may have taken the lock and not be listening yet.
        QThread::msleep(100);
    } while (clock.elapsed() < waitMilliseconds);
    return false;
}

bool TFirstInstance::ownedElsewhere() const
{
    QLockFile lock(QString::fromStdString(m_folder) + QLatin1String(kLockName));
    qint64 pid = 0;
    QString host, application;
    return lock.getLockInfo(&pid, &host, &application) && pid != QCoreApplication::applicationPid() &&
           processRunning(pid);
}

std::string TFirstInstance::alreadyRunningText(bool broughtForward) const
{
    if (broughtForward)
        return "Tidewell is already running for the program folder " + m_folder + " and has been brought forward.";
    return "Tidewell is already running for the program folder " + m_folder +
           " but did not answer, so it could not be brought forward.";
}

} // namespace tw

#pragma once
// One running Tidewell per program folder. Two programs on one folder would
// list, mark and delete on the same mailboxes with the same rules, and a
// second start from a menu usually means "show me the one that runs".
//
// The folder is owned through a lock file in it ("tidewell.lock", holding
// the owner's process id), so exactly one of two starts at the same moment
// wins. The owner also listens on a local socket named after the user and
// the folder; a later start that finds the folder locked asks the owner
// through it to bring its window forward, and ends. A different folder
// (another TIDEWELL_HOME) is a different instance.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLocalServer;

namespace tw {

class TFirstInstance : public QObject {
    Q_OBJECT
public:
    // Guards ProgramFolder; it is created when missing, and the same folder
    // reached by another path (a trailing "/", a symbolic link) is the same.
    explicit TFirstInstance(const std::string &programFolder, QObject *parent = nullptr);
    ~TFirstInstance() override;

    enum class Claim {
        Owned,          // this instance owns the folder and listens for later starts
        OwnedElsewhere, // a running program holds the folder's lock
        Unguarded,      // no lock could be made (folder not writable): runs unguarded
    };
    // Takes the folder's lock, removing one left by a program that no longer
    // runs. Call once.
    Claim claim();

    // Asks the owner of the folder to bring its window forward, trying for
    // at most WaitMilliseconds (the owner may be starting up). True when
    // the owner got the request.
    bool askOwnerToShow(int waitMilliseconds = 5000) const;

    // Whether a running program other than this one holds the folder's lock.
    // Takes no lock: for tools that must not work on a folder in use.
    bool ownedElsewhere() const;

    // The folder as guarded (absolute, links resolved).
    const std::string &folder() const { return m_folder; }
    // The one line a second start prints: brought forward, or not reached.
    std::string alreadyRunningText(bool broughtForward) const;

signals:
    // A later start asked this (first) instance to restore or raise its window.
    void showRequested();

private:
    void listen();

    std::string m_folder;
    QString m_socketName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace tw

#pragma once
// Notifications through the desktop's notification server on the session
// bus (the org.freedesktop.Notifications interface). A notification is sent
// without waiting for the answer; an answer that does not come within
// kReplyMilliseconds, an error, or no session bus at all leave it unshown
// and change nothing else. The actions the user chooses come back as the
// server's ActionInvoked signal and reach the notification's handler.

#include "platform/notifications.h"

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <string>

namespace tw {

class DBusNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    static constexpr int kReplyMilliseconds = 5000;

    explicit DBusNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    void notify(const Notification &notification, OnAction onAction) override;

private slots:
    void actionInvoked(uint id, const QString &key);
    void notificationClosed(uint id, uint reason);

private:
    void forget(uint id);

    QDBusConnection m_bus;
    bool m_bodyMarkup = false;             // the server draws markup in bodies (its capabilities say)
    std::map<uint, OnAction> m_handlers;   // notifications shown with actions, by the server's id
    std::map<std::string, uint> m_tagged;  // the id shown last for each tag
};

} // namespace tw

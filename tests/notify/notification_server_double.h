#pragma once
// A desktop notification server for tests: it owns org.freedesktop.Notifications
// on the session bus through a connection of its own (so the program's calls
// really cross the bus), records every notification with its actions, and
// sends ActionInvoked when the test plays the user.

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace tw::test {

class NotificationServerDouble : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        uint id;
        uint replaces;
        QString summary, body;
        QStringList actions; // key, label, key, label ...
        QVariantMap hints;
    };

    NotificationServerDouble();
    ~NotificationServerDouble() override;
    // Whether it owns the name (the test fails otherwise).
    bool registered() const { return m_registered; }
    std::vector<Shown> shown;

    // The user chooses action Key of notification Id.
    void choose(uint id, const QString &key) { emit ActionInvoked(id, key); }

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }

signals:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    uint m_nextId = 1;
};

} // namespace tw::test

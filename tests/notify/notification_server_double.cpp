#include "notification_server_double.h"

namespace tw::test {

static const char *kConnectionName = "notification-server-double";

NotificationServerDouble::NotificationServerDouble()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QString::fromLatin1(kConnectionName)))
{
    m_registered = m_bus.isConnected() &&
                   m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
                   m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationServerDouble::~NotificationServerDouble()
{
    m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QString::fromLatin1(kConnectionName));
}

uint NotificationServerDouble::Notify(const QString &, uint replacesId, const QString &, const QString &summary,
                                      const QString &body, const QStringList &actions, const QVariantMap &hints, int)
{
    const uint id = replacesId != 0 ? replacesId : m_nextId++;
    shown.push_back({id, replacesId, summary, body, actions, hints});
    return id;
}

} // namespace tw::test

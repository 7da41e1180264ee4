#include "platform/notify/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace tw {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DBusNotifier::DBusNotifier(const QDBusConnection &bus, QObject *parent) : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask, kReplyMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        m_bodyMarkup = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
    });
}

void DBusNotifier::notify(const Notification &notification, OnAction onAction)
{
    if (!m_bus.isConnected())
        return;
    QStringList actions;
    for (const NotificationAction &action : notification.actions)
        actions << QString::fromStdString(action.key) << QString::fromStdString(action.label);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("tidewell")); // the installed tidewell.desktop
    const auto tagged = m_tagged.find(notification.tag);
    const uint replaces = notification.tag.empty() || tagged == m_tagged.end() ? 0 : tagged->second;

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // The body is plain text: where the server would draw markup, the
    // characters that start it are escaped (a mailbox's name is not markup).
    const QString body = QString::fromStdString(notification.body);
    call << QStringLiteral("Tidewell") << replaces << QStringLiteral("tidewell")
         << QString::fromStdString(notification.summary) << (m_bodyMarkup ? body.toHtmlEscaped() : body) << actions
         << hints << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kReplyMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, tag = notification.tag, replaces, onAction = std::move(onAction)] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError())
                    return; // no notification server: the program's other channels tell
                const uint id = reply.value();
                if (replaces != 0 && replaces != id)
                    forget(replaces);
                if (!tag.empty())
                    m_tagged[tag] = id;
                if (onAction)
                    m_handlers[id] = onAction;
            });
}

void DBusNotifier::actionInvoked(uint id, const QString &key)
{
    const auto found = m_handlers.find(id);
    if (found == m_handlers.end())
        return;
    const OnAction handler = std::move(found->second);
    m_handlers.erase(found); // one answer per notification
    handler(key.toStdString());
}

void DBusNotifier::notificationClosed(uint id, uint) { forget(id); }

void DBusNotifier::forget(uint id)
{
    m_handlers.erase(id);
    std::erase_if(m_tagged, [id](const auto &entry) { return entry.second == id; });
}

} // namespace tw

// Desktop notifications with actions: junk found by an automatic pass, and
// a hidden check that needs the user (a sign-in, a changed certificate).
// The tray icon's tip says the same in any case, so a desktop without a
// notification server, or notifications switched off, lose nothing.

#include "app/rmmain.h"
#include "platform/notifications.h"

#include <QPointer>
#include <QTimer>

namespace tw {
namespace {

constexpr const char *kReview = "review";
constexpr const char *kDeleteNow = "delete";
constexpr const char *kOpen = "open";

std::string messagesText(int count, const char *kind)
{
    return std::to_string(count) + " " + kind + (count == 1 ? " message" : " messages");
}

} // namespace

std::string TfrmMain::listFingerprint() const
{
    std::string fingerprint = std::to_string(m_loadedMailbox) + "\n" + mailClient().Server + "\n" +
                              mailClient().UserName + "\n";
    for (int row = 0; row < messages.count(); ++row)
        fingerprint += std::to_string(messages.row(row).mark) + "\t" + messages.row(row).subject + "\n";
    return fingerprint;
}

void TfrmMain::notifyJunkMarked()
{
    if (!m_general.general.Notify)
        return;
    int toDelete = 0, toLookAt = 0;
    for (int row = 0; row < messages.count(); ++row) {
        const int mark = messages.row(row).mark;
        toDelete += isMarkedForDeletion(mark);
        toLookAt += mark == mark::QuestionMark;
    }
    if (toDelete + toLookAt == 0)
        return;
    Notification notification;
    notification.summary = messagesText(toDelete + toLookAt, "junk") + " marked in " + mailClient().UserName;
    notification.body = std::to_string(toDelete) + " to delete, " + std::to_string(toLookAt) + " to look at, of " +
                        messagesText(messages.count(), "waiting") + " on " + mailClient().Server + ".";
    notification.actions.push_back({kReview, "Review"});
    // Only a deletion that would remove something is offered.
    if (toDelete > 0)
        notification.actions.push_back({kDeleteNow, "Delete now"});
    notification.tag = "mailbox " + std::to_string(m_loadedMailbox);
    // The answer comes from the event loop, perhaps after the window is gone.
    QPointer<TfrmMain> self(this);
    Notifier::current().notify(notification, [self, announced = listFingerprint()](const std::string &key) {
        QTimer::singleShot(0, self, [self, key, announced] {
            if (!self)
                return;
            if (key == kDeleteNow)
                self->deleteAnnouncedJunk(announced);
            else if (key == kReview)
                self->reviewAnnouncedList();
        });
    });
}

void TfrmMain::notifyMailboxNeedsYou(const std::string &summary, const std::string &body)
{
    const int n = m_loadedMailbox;
    if (!m_general.general.Notify || n < 1 || !m_needsYouNotified.insert(n).second)
        return;
    Notification notification{summary, body, {{kOpen, "Open"}}, "mailbox " + std::to_string(n)};
    QPointer<TfrmMain> self(this);
    Notifier::current().notify(notification, [self, n](const std::string &key) {
        if (key == kOpen)
            QTimer::singleShot(0, self, [self, n] {
                if (self)
                    self->checkMailboxFromNotification(n);
            });
    });
}

void TfrmMain::reviewAnnouncedList()
{
    playAlarmSound(false);
    trayIcon->showProgram();
}

void TfrmMain::deleteAnnouncedJunk(const std::string &announced)
{
    reviewAnnouncedList();
    // Only the messages announced, with the marks announced: a list checked
    // again or changed since is the user's to look at first.
    if (runInProgress() || passRunning || announced != listFingerprint()) {
        setStatus("The list has changed since the notification; nothing was deleted.");
        return;
    }
    btDeleteClick();
}

void TfrmMain::checkMailboxFromNotification(int n)
{
    trayIcon->showProgram();
    if (runInProgress() || passRunning)
        return; // the window is in front; the check can be started from it
    playAlarmSound(false);
    currentMailbox = n;
    synchronizeIwhich();
    GetRemotePOPSettings(n);
    automaticRun = false;
    checkLoadedMailboxAndSave();
}

} // namespace tw

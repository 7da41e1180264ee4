#pragma once
// Desktop notifications: a short message that the desktop shows outside the
// program's windows, with buttons ("actions") the user can answer with.
// Sending never waits: a desktop without a notification server shows
// nothing, and the program's other channels (the tray icon's tip, the
// activity log) still say what happened. Tests install a recording double;
// the desktop implementation (D-Bus, platform/notify) is registered by the
// program at start-up.

#include <functional>
#include <string>
#include <vector>

namespace tw {

struct NotificationAction {
    std::string key;    // what OnAction receives
    std::string label;  // the button's text
};

struct Notification {
    std::string summary;  // one line
    std::string body;     // plain text, may be empty
    std::vector<NotificationAction> actions;
    // A later notification with the same tag replaces the one still shown
    // (each mailbox shows one at a time); "" never replaces.
    std::string tag;
};

class Notifier {
public:
    // Receives the key of the action the user chose (at most once per notification).
    using OnAction = std::function<void(const std::string &key)>;

    virtual ~Notifier() = default;
    virtual void notify(const Notification &notification, OnAction onAction) = 0;

    static Notifier &current();
    static void install(Notifier *replacement); // a test's double; nullptr removes it; not owned
    static void setDesktop(Notifier *desktop);  // the desktop's; nullptr removes it; not owned
};

// Without a desktop: nothing is shown.
class SilentNotifier : public Notifier {
public:
    void notify(const Notification &, OnAction) override {}
};

// Keeps every notification with its action handler, so a test can read
// what was shown and answer as the user would.
class RecordingNotifier : public Notifier {
public:
    RecordingNotifier() { install(this); }
    ~RecordingNotifier() override { install(nullptr); }
    struct Shown {
        Notification notification;
        OnAction onAction;
    };
    std::vector<Shown> shown;
    void notify(const Notification &notification, OnAction onAction) override
    {
        shown.push_back({notification, std::move(onAction)});
    }
    // The user chooses action Key of the last notification shown.
    void choose(const std::string &key) const
    {
        if (!shown.empty() && shown.back().onAction)
            shown.back().onAction(key);
    }
};

} // namespace tw

#include "platform/notifications.h"

#include "platform/service_slot.h"

namespace tw {

static ServiceSlot<Notifier> &slot()
{
    static SilentNotifier silent;
    static ServiceSlot<Notifier> instance(silent);
    return instance;
}

Notifier &Notifier::current() { return slot().current(); }
void Notifier::install(Notifier *replacement) { slot().install(replacement); }
void Notifier::setDesktop(Notifier *desktop) { slot().setDesktop(desktop); }

} // namespace tw

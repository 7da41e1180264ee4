#include "platform/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace tw {

void waitUntil(const std::function<bool()> &done)
{
    // WaitForMoreEvents puts the thread to sleep until the next event (a
    // socket notification, a timer tick, user input) instead of looping.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void processPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace tw

#include "app/timer_pool.h"

namespace tw {

TimerPool::Handle TimerPool::add(int intervalMs)
{
    const Handle handle = m_next++;
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(intervalMs);
    connect(timer.get(), &QTimer::timeout, this, [this, handle] {
        if (OnAllTriggers)
            OnAllTriggers(handle);
    });
    timer->start();
    m_triggers[handle] = std::move(timer);
    return handle;
}

void TimerPool::setActive(Handle handle, bool on)
{
    const auto it = m_triggers.find(handle);
    if (it == m_triggers.end())
        return;
    if (on && !it->second->isActive())
        it->second->start();
    else if (!on)
        it->second->stop();
}

bool TimerPool::active(Handle handle) const
{
    const auto it = m_triggers.find(handle);
    return it != m_triggers.end() && it->second->isActive();
}

} // namespace tw

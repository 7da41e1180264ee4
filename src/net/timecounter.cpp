#include "net/timecounter.h"

namespace tw {

TTimeCounter::TTimeCounter(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TTimeCounter::tick);
}

void TTimeCounter::Start()
{
    m_remaining = TimeOut;
    m_timer.start();
}

void TTimeCounter::Stop() { m_timer.stop(); }

void TTimeCounter::tick()
{
    --m_remaining;
    if (m_remaining <= 0)
        m_timedOut = true;
    emit ticked();
}

} // namespace tw

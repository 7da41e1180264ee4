#pragma once
// TTimeCounter: the one-second countdown behind every network time-out.
// Start() loads TimeOut seconds and starts ticking; each tick counts down and
// sets TimedOut at zero; only ResetTimedOut() clears TimedOut. Ticks arrive
// through the event loop, so a wait that sleeps in the loop wakes every second.

#include <QObject>
#include <QTimer>

namespace tw {

class TTimeCounter : public QObject {
    Q_OBJECT
public:
    explicit TTimeCounter(QObject *parent = nullptr);

    int TimeOut = 60;

    void Start();
    void Stop();
    bool TimedOut() const { return m_timedOut; }
    void ResetTimedOut() { m_timedOut = false; }
    int Remaining() const { return m_remaining; }
    bool Running() const { return m_timer.isActive(); }

signals:
    void ticked();

private:
    void tick();

    QTimer m_timer;
    int m_remaining = 0;
    bool m_timedOut = false;
};

} // namespace tw

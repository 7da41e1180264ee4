#pragma once
// TimerPool: repeating millisecond triggers with one dispatch handler. A
// trigger is active when it is added; making it inactive keeps it in the
// pool so that it can be made active again with its interval.

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace tw {

class TimerPool : public QObject {
    Q_OBJECT
public:
    using Handle = int;

    explicit TimerPool(QObject *parent = nullptr) : QObject(parent) {}

    // Receives every due trigger with its handle.
    std::function<void(Handle)> OnAllTriggers;

    Handle add(int intervalMs);
    void setActive(Handle handle, bool active);
    bool active(Handle handle) const;

private:
    std::map<Handle, std::unique_ptr<QTimer>> m_triggers;
    Handle m_next = 1;
};

} // namespace tw

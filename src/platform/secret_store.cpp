#include "platform/secret_store.h"

#include "platform/event_wait.h"
#include "platform/service_slot.h"

#include <QTimer>

#include <memory>

namespace tw {

static ServiceSlot<SecretStore> &slot()
{
    static NoSecretStore none;
    static ServiceSlot<SecretStore> instance(none);
    return instance;
}

SecretStore &SecretStore::current() { return slot().current(); }
void SecretStore::install(SecretStore *replacement) { slot().install(replacement); }
void SecretStore::setDesktop(SecretStore *desktop) { slot().setDesktop(desktop); }

SecretResult TimedSecretStore::read(const std::string &key) { return run(Job::Read, key, {}); }

SecretResult TimedSecretStore::write(const std::string &key, const std::string &value)
{
    return run(Job::Write, key, value);
}

SecretResult TimedSecretStore::remove(const std::string &key) { return run(Job::Remove, key, {}); }

static std::string limitText(std::chrono::milliseconds limit)
{
    if (limit.count() % 1000 == 0)
        return std::to_string(limit.count() / 1000) + " seconds";
    return std::to_string(limit.count()) + " milliseconds";
}

SecretResult TimedSecretStore::run(Job job, const std::string &key, const std::string &value)
{
    const auto now = std::chrono::steady_clock::now();
    if (m_failedRecently && now - m_failedAt < pauseAfterFailure)
        return m_lastFailure;

    // The answer may come after the wait has given up: it then lands in
    // this shared record, which nobody reads any more.
    struct Answer {
        bool given = false;
        SecretResult result;
    };
    const auto answer = std::make_shared<Answer>();
    start(job, key, value, [answer](SecretResult result) {
        if (answer->given)
            return;
        answer->given = true;
        answer->result = std::move(result);
    });
    bool overTime = false;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // a coarse timer may end the wait half a second early
    QObject::connect(&limit, &QTimer::timeout, [&overTime] { overTime = true; });
    limit.start(timeLimit);
    waitUntil([&] { return answer->given || overTime; });

    const SecretResult result =
        answer->given ? answer->result
                      : SecretResult::failure("The desktop keyring did not answer within " + limitText(timeLimit) + ".");
    m_failedRecently = result.failed();
    if (m_failedRecently) {
        m_lastFailure = result;
        m_failedAt = std::chrono::steady_clock::now();
    }
    return result;
}

SecretResult NoSecretStore::read(const std::string &) { return SecretResult::failure(kNoKeyringText); }
SecretResult NoSecretStore::write(const std::string &, const std::string &) { return SecretResult::failure(kNoKeyringText); }
SecretResult NoSecretStore::remove(const std::string &) { return SecretResult::failure(kNoKeyringText); }

MemorySecretStore::MemorySecretStore() { install(this); }
MemorySecretStore::~MemorySecretStore() { install(nullptr); }

void MemorySecretStore::start(Job job, const std::string &key, const std::string &value,
                              std::function<void(SecretResult)> answer)
{
    static const char *names[] = {"read ", "write ", "remove "};
    jobs.push_back(names[int(job)] + key);
    if (behaviour == Behaviour::NeverAnswer)
        return;
    SecretResult result = SecretResult::failure(failure);
    if (behaviour == Behaviour::Answer) {
        switch (job) {
        case Job::Read: {
            const auto found = entries.find(key);
            result = found == entries.end() ? SecretResult::notFound() : SecretResult::done(found->second);
            break;
        }
        case Job::Write:
            entries[key] = value;
            result = SecretResult::done();
            break;
        case Job::Remove:
            entries.erase(key);
            result = SecretResult::done();
            break;
        }
    }
    // Like a real keyring, the answer comes through the event loop.
    QTimer::singleShot(0, [answer = std::move(answer), result] { answer(result); });
}

} // namespace tw

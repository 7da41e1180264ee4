#pragma once
// Secrets kept outside Tidewell's own files: the desktop's keyring (the
// Secret Service of GNOME Keyring, KWallet or KeePassXC).
//
// A keyring answers through the desktop's message bus, and it may never
// answer at all: no session bus, no keyring daemon, a locked keyring whose
// unlock prompt nobody sees. So every operation is one job whose answer
// comes through the event loop, and the caller waits for it in the event
// loop (never spinning) for at most the store's time limit. Whether the
// keyring works is learnt from each job's result; there is no separate
// question "is a keyring there?".
//
// The desktop's implementation (QtKeychain, platform/keyring) is registered
// by the program at start-up; without it, and in programs without a
// desktop, NoSecretStore answers, and tests install MemorySecretStore.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tw {

// The answer of one job.
struct SecretResult {
    enum class Status { Done, NotFound, Failed };
    Status status = Status::Failed;
    std::string value;  // a read's secret when Done
    std::string error;  // Failed: the keyring's own text, or that it did not answer in time

    bool failed() const { return status == Status::Failed; }
    static SecretResult done(std::string value = {}) { return {Status::Done, std::move(value), {}}; }
    static SecretResult notFound() { return {Status::NotFound, {}, {}}; }
    static SecretResult failure(std::string error) { return {Status::Failed, {}, std::move(error)}; }
};

class SecretStore {
public:
    virtual ~SecretStore() = default;

    // Each call returns within the store's time limit. Keys are the
    // entries' names; values are byte strings kept byte for byte.
    virtual SecretResult read(const std::string &key) = 0;  // NotFound when there is no such entry
    virtual SecretResult write(const std::string &key, const std::string &value) = 0;
    virtual SecretResult remove(const std::string &key) = 0; // Done also when there was no such entry

    // The store the program uses: a test's double, else the desktop's, else NoSecretStore.
    static SecretStore &current();
    static void install(SecretStore *replacement); // nullptr removes it; not owned
    static void setDesktop(SecretStore *desktop);  // nullptr removes it; not owned
};

// How long one keyring job may take.
inline constexpr std::chrono::seconds kSecretJobLimit{10};

// A store whose jobs answer later, through the event loop, or never. It
// waits for each within TimeLimit. After a job has failed, the jobs of the
// next PauseAfterFailure fail at once with the same text: a keyring that
// just failed (or hung for the whole limit) would most likely do so again,
// and a settings window reads two dozen entries.
class TimedSecretStore : public SecretStore {
public:
    std::chrono::milliseconds timeLimit = kSecretJobLimit;
    std::chrono::milliseconds pauseAfterFailure = std::chrono::seconds(60);

    SecretResult read(const std::string &key) override;
    SecretResult write(const std::string &key, const std::string &value) override;
    SecretResult remove(const std::string &key) override;

protected:
    enum class Job { Read, Write, Remove };
    // Starts Job. Answer is called once with its result, at once or later
    // from the event loop, or never; it stays safe to call after the wait
    // for it has given up.
    virtual void start(Job job, const std::string &key, const std::string &value,
                       std::function<void(SecretResult)> answer) = 0;

private:
    SecretResult run(Job job, const std::string &key, const std::string &value);
    SecretResult m_lastFailure;
    std::chrono::steady_clock::time_point m_failedAt{};
    bool m_failedRecently = false;
};

// No keyring at all: every job fails at once, saying so.
class NoSecretStore : public SecretStore {
public:
    SecretResult read(const std::string &key) override;
    SecretResult write(const std::string &key, const std::string &value) override;
    SecretResult remove(const std::string &key) override;
};
inline constexpr const char *kNoKeyringText = "No desktop keyring is connected to this program.";

// Test double: a keyring in memory that installs itself for its lifetime.
// It answers from the event loop (as a real keyring does), fails every job
// with Failure, or never answers.
class MemorySecretStore : public TimedSecretStore {
public:
    MemorySecretStore();
    ~MemorySecretStore() override;

    enum class Behaviour { Answer, Fail, NeverAnswer };
    Behaviour behaviour = Behaviour::Answer;
    std::string failure = "The keyring is locked.";
    std::map<std::string, std::string> entries;
    std::vector<std::string> jobs;  // "read <key>", "write <key>", "remove <key>", in order

protected:
    void start(Job job, const std::string &key, const std::string &value,
               std::function<void(SecretResult)> answer) override;
};

} // namespace tw

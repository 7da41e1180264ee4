#pragma once
// The desktop keyring through QtKeychain: entries of one service, named by
// their keys. Each job is a QtKeychain job that answers through the event
// loop; TimedSecretStore waits for it within its limit. QtKeychain's
// insecure fallback (a plain file) is never used: a keyring that fails says
// so, and the program decides what to do. A write replaces the entry whole:
// it removes what the entry held, then writes (see start).

#include "platform/secret_store.h"

#include <QString>

#include <functional>
#include <string>

namespace QKeychain {
class Job;
}

namespace tw {

class KeychainSecretStore : public TimedSecretStore {
public:
    explicit KeychainSecretStore(std::string service);

protected:
    void start(Job job, const std::string &key, const std::string &value,
               std::function<void(SecretResult)> answer) override;

private:
    // Starts one QtKeychain job; Finished is called when it has finished.
    static void startJob(const QString &service, Job job, const std::string &key, const std::string &value,
                         std::function<void(QKeychain::Job &)> finished);

    std::string m_service;
};

} // namespace tw

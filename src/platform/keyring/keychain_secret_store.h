#pragma once
// The desktop keyring through QtKeychain: entries of one service, named by
// their keys. Each job is a QtKeychain job that answers through the event
// loop; TimedSecretStore waits for it within its limit. QtKeychain's
// insecure fallback (a plain file) is never used: a keyring that fails says
// so, and the program decides what to do.

#include "platform/secret_store.h"

#include <string>

namespace tw {

class KeychainSecretStore : public TimedSecretStore {
public:
    explicit KeychainSecretStore(std::string service);

protected:
    void start(Job job, const std::string &key, const std::string &value,
               std::function<void(SecretResult)> answer) override;

private:
    std::string m_service;
};

} // namespace tw

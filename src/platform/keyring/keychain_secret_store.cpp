#include "platform/keyring/keychain_secret_store.h"

#include "platform/bytes.h"

#include <qt6keychain/keychain.h>

namespace tw {

namespace {

// A secret that is text is stored as text, so that the desktop's keyring
// tools show it; other bytes are stored as they are.
void setSecret(QKeychain::WritePasswordJob &job, const std::string &value)
{
    if (isValidUtf8(value))
        job.setTextData(QString::fromUtf8(value.data(), qsizetype(value.size())));
    else
        job.setBinaryData(QByteArray::fromStdString(value));
}

SecretResult resultOf(QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::NoError:
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(&job))
            return SecretResult::done(read->binaryData().toStdString());
        return SecretResult::done();
    case QKeychain::EntryNotFound:
        // Removing what is not there leaves it not there.
        if (qobject_cast<QKeychain::DeletePasswordJob *>(&job))
            return SecretResult::done();
        return SecretResult::notFound();
    default: {
        const QString text = job.errorString();
        return SecretResult::failure(text.isEmpty() ? "The desktop keyring failed (error " +
                                                          std::to_string(int(job.error())) + ")."
                                                    : text.toStdString());
    }
    }
}

} // namespace

KeychainSecretStore::KeychainSecretStore(std::string service) : m_service(std::move(service)) {}

void KeychainSecretStore::startJob(const QString &service, Job job, const std::string &key, const std::string &value,
                                   std::function<void(QKeychain::Job &)> finished)
{
    QKeychain::Job *started = nullptr;
    switch (job) {
    case Job::Read: started = new QKeychain::ReadPasswordJob(service); break;
    case Job::Write: {
        auto *write = new QKeychain::WritePasswordJob(service);
        setSecret(*write, value);
        started = write;
        break;
    }
    case Job::Remove: started = new QKeychain::DeletePasswordJob(service); break;
    }
    // Names are shown as every text is: UTF-8 when they are, else Latin-1.
    started->setKey(toDisplay(key));
    started->setInsecureFallback(false);
    // The job deletes itself once it has finished; one that never finishes
    // is left to QtKeychain, and its late answer goes nowhere.
    started->setAutoDelete(true);
    QObject::connect(started, &QKeychain::Job::finished, started,
                     [finished = std::move(finished)](QKeychain::Job *job) { finished(*job); });
    started->start();
}

void KeychainSecretStore::start(Job job, const std::string &key, const std::string &value,
                                std::function<void(SecretResult)> answer)
{
    const QString service = toDisplay(m_service);
    if (job != Job::Write) {
        startJob(service, job, key, {}, [answer = std::move(answer)](QKeychain::Job &done) { answer(resultOf(done)); });
        return;
    }
    // The Secret Service keeps text and other bytes as two differently
    // marked items under the same name, and a write replaces only an item
    // marked as it is; so the entry is removed first, and a read never
    // finds the value an item of the other kind held before.
    // The answers may come after this store has gone: they use copies only.
    startJob(service, Job::Remove, key, {},
             [service, key, value, answer = std::move(answer)](QKeychain::Job &removed) mutable {
                 const SecretResult result = resultOf(removed);
                 if (result.failed()) {
                     answer(result);
                     return;
                 }
                 startJob(service, Job::Write, key, value,
                          [answer = std::move(answer)](QKeychain::Job &done) { answer(resultOf(done)); });
             });
}

} // namespace tw

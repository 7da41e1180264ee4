#include "keyring_fixture.h"

#include "platform/registry.h"


namespace tw::test {

KeyringWindowTest::KeyringWindowTest()
{
    SecretStore::install(&keyring);
    savePasswordStore(PasswordStore::Keyring);
}

KeyringWindowTest::~KeyringWindowTest()
{
    progress.reset();
    window.reset();
    SecretStore::install(nullptr);
}

void KeyringWindowTest::storeGeneralWithKeyring(const std::function<void(GeneralSettings &)> &edit)
{
    storeGeneral([&edit](GeneralSettings &settings) {
        settings.PasswordStore = int(PasswordStore::Keyring);
        if (edit)
            edit(settings);
    });
}

std::string KeyringWindowTest::startUp()
{
    const std::string notMoved = general.readAtStartUp();
    start();
    return notMoved;
}

std::string KeyringWindowTest::restart()
{
    progress.reset();
    window.reset();
    general = GeneralSettingsModel();
    return startUp();
}

std::string KeyringWindowTest::registryText() const { return home.read("registry.ini"); }

std::string KeyringWindowTest::serverValue(const std::string &name)
{
    return storedServerValue(name);
}

} // namespace tw::test

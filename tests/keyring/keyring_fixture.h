#pragma once
// A main window whose mailbox secrets go through the program's own
// QtKeychain store, as the program itself runs: the keyring is chosen
// (General/PasswordStore 0), and the program starts up as it does, moving
// secrets out of the settings file first. The test program runs beside a
// keyring of its own or with no session bus at all (keyring_session.sh).

#include "../gui/main_window_fixture.h"
#include "platform/keyring/keychain_secret_store.h"

#include <string>

namespace tw::test {

class KeyringWindowTest : public MainWindowTest {
protected:
    KeyringWindowTest();
    ~KeyringWindowTest() override;

    KeychainSecretStore keyring{kKeyringService};

    // Stores General values as MainWindowTest does, with the keyring chosen.
    void storeGeneralWithKeyring(const std::function<void(GeneralSettings &)> &edit = {});
    // Start-up as the program does it: secrets move to the keyring, then the
    // window is created. Returns why not all secrets moved ("" when they did).
    std::string startUp();
    // The program ends; a new run starts with a fresh settings model.
    std::string restart();

    // registry.ini as it stands.
    std::string registryText() const;
    // A value of the Server key; "<none>" when it is missing.
    static std::string serverValue(const std::string &name);
};

} // namespace tw::test

#include "runs/mailbox_session.h"

#include "net/sign_in.h"

namespace tw {

void loadMailAccount(TmsMailBase &client, const RemotePOPAccount &account)
{
    client.Server = account.server;
    client.UserName = account.userName;
    client.Password = account.password;
    client.Security = mailSecurityFromSetting(account.security);
    client.TrustedFingerprint = account.fingerprint;
    client.SignIn = signInMethodFromSetting(account.signIn.method);
    client.EncryptedBefore = account.encrypted;
}

void TMailboxSession::loadAccount(const RemotePOPAccount &account)
{
    loadMailAccount(m_client, account);
    loadProtocolSettings(account);
}

} // namespace tw

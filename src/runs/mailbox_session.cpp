#include "runs/mailbox_session.h"

#include "net/sign_in.h"

namespace tw {

void TMailboxSession::loadAccount(const RemotePOPAccount &account)
{
    m_client.Server = account.server;
    m_client.UserName = account.userName;
    m_client.Password = account.password;
    m_client.Security = mailSecurityFromSetting(account.security);
    m_client.TrustedFingerprint = account.fingerprint;
    m_client.SignIn = signInMethodFromSetting(account.signIn.method);
    m_client.EncryptedBefore = account.encrypted;
    loadProtocolSettings(account);
}

} // namespace tw

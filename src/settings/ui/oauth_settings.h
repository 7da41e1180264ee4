#pragma once
// TfrmOAuthSettings: "OAuth2 settings", one mailbox's own values for its
// browser sign-in: client id, authorization URL, token URL and scope
// (OAuthClientId<n>, OAuthAuthorizeUrl<n>, OAuthTokenUrl<n>, OAuthScope<n>).
// A field left empty takes the known provider's value, which it shows
// greyed. Under the fields a line says what the sign-in still lacks and,
// for a client id, what to register at the provider and where.

#include "net/oauth_providers.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tw {

class TfrmOAuthSettings : public QDialog {
    Q_OBJECT
public:
    // Mailbox N on Server (as its row shows it now), speaking IMAP when
    // ForImap, with its own values so far.
    TfrmOAuthSettings(int n, const std::string &server, bool forImap, const TOAuthOverrides &own,
                      QWidget *parent = nullptr);

    // The values as typed (blanks around them dropped).
    TOAuthOverrides values() const;

    QLineEdit *edClientId, *edAuthorizeUrl, *edTokenUrl, *edScope;
    QLabel *lblAdvice;
    QPushButton *btOK, *btCancel;

private:
    void updateAdvice();

    std::string m_server;
    bool m_forImap;
};

} // namespace tw

#pragma once
// TfrmAddFromAddress: "Add from address", the dialog that finds a mailbox's
// servers from its e-mail address (net/mail_discovery.h) and shows what it
// found, with where it came from and what the provider asks of the user
// first. Nothing is used until the user picks a server and confirms with
// "Use these settings". The search asks DNS and may probe a guessed server;
// while it runs the window stays live, says which step it is at and can
// be canceled, and every step is bounded in time.

#include "net/mail_discovery.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tw {

class TfrmAddFromAddress : public QDialog {
    Q_OBJECT
public:
    // Discover: the search (discoverMailSettings unless a test gives another).
    using Discovery = std::function<TDiscoveryResult(const std::string &address, const TDiscoveryOptions &options)>;
    explicit TfrmAddFromAddress(QWidget *parent = nullptr, Discovery discover = discoverMailSettings);

    // The server chosen when the dialog was confirmed, with the address typed.
    std::optional<TDiscoveredServer> chosen() const { return m_chosen; }
    std::string address() const;

    // --- controls (objectName = member name) ---
    QLineEdit *edAddress;
    QPushButton *btFind;
    QProgressBar *prgSearching; // shown while the search runs
    QLabel *lblStep;            // the step the search is at, then what it found
    QListWidget *lstFound;      // one line per server found, best first
    QLabel *lblGuidance;        // what the provider of the selected server asks first
    QPushButton *btUse, *btCancel;

    // Runs the search for the address typed and shows its result.
    void btFindClick();

protected:
    // Cancel during a search ends the search first, then closes.
    void reject() override;

private:
    void showResult(const TDiscoveryResult &result);
    void showSelected();
    void setSearching(bool searching);

    Discovery m_discover;
    TDiscoveryResult m_result;
    std::optional<TDiscoveredServer> m_chosen;
    bool m_searching = false;
    bool m_canceled = false;
};

// One line that describes Server for the user: "IMAP imap.gmail.com:993,
// TLS, sign-in by OAuth2 (from the list of known providers)".
std::string describeDiscoveredServer(const TDiscoveredServer &server);

} // namespace tw

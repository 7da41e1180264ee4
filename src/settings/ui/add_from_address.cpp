#include "settings/ui/add_from_address.h"

#include "platform/bytes.h"
#include "settings/dns_setting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

namespace {

QString shown(const std::string &text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

const char *whereFrom(TDiscoverySource source)
{
    switch (source) {
    case TDiscoverySource::SrvRecord: return "from the domain's SRV record";
    case TDiscoverySource::MxRecord: return "from the domain's MX record";
    case TDiscoverySource::Guess: return "a guess that the server confirmed";
    case TDiscoverySource::ProviderTable: break;
    }
    return "from the list of known providers";
}

} // namespace

std::string describeDiscoveredServer(const TDiscoveredServer &server)
{
    std::string text = std::string(protocolName(server.protocol)) + " " + server.serverSetting() + ", " +
                       securityName(server.security) + ", sign-in by " + signInName(server.signIn) + " as " +
                       server.userName + " (";
    if (!server.providerName.empty())
        text += server.providerName + ", ";
    return text + whereFrom(server.source) + ")";
}

TfrmAddFromAddress::TfrmAddFromAddress(QWidget *parent, Discovery discover)
    : QDialog(parent), m_discover(std::move(discover))
{
    setObjectName(QStringLiteral("frmAddFromAddress"));
    setWindowTitle(QStringLiteral("Add from address"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *intro = new QLabel(QStringLiteral(
        "Type the e-mail address of the mailbox. Tidewell looks up its servers: in its list of known providers, "
        "then in the domain's DNS records, then by asking likely servers for their greeting. Nothing else is sent, "
        "and no password."));
    intro->setWordWrap(true);
    edAddress = new QLineEdit;
    edAddress->setObjectName(QStringLiteral("edAddress"));
    edAddress->setPlaceholderText(QStringLiteral("name@example.org"));
    btFind = new QPushButton(QStringLiteral("&Find settings"));
    btFind->setObjectName(QStringLiteral("btFind"));
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(new QLabel(QStringLiteral("E-mail address:")));
    addressRow->addWidget(edAddress, 1);
    addressRow->addWidget(btFind);

    prgSearching = new QProgressBar;
    prgSearching->setObjectName(QStringLiteral("prgSearching"));
    prgSearching->setRange(0, 0); // moving: the search has no known length
    prgSearching->setTextVisible(false);
    prgSearching->hide();
    lblStep = new QLabel;
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->setTextFormat(Qt::PlainText);
    lblStep->setWordWrap(true);
    lstFound = new QListWidget;
    lstFound->setObjectName(QStringLiteral("lstFound"));
    lblGuidance = new QLabel;
    lblGuidance->setObjectName(QStringLiteral("lblGuidance"));
    lblGuidance->setTextFormat(Qt::PlainText);
    lblGuidance->setWordWrap(true);

    btUse = new QPushButton(QStringLiteral("&Use these settings"));
    btUse->setObjectName(QStringLiteral("btUse"));
    btUse->setEnabled(false);
    btCancel = new QPushButton(QStringLiteral("Cancel"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btUse);
    buttons->addWidget(btCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(addressRow);
    layout->addWidget(prgSearching);
    layout->addWidget(lblStep);
    layout->addWidget(lstFound, 1);
    layout->addWidget(lblGuidance);
    layout->addLayout(buttons);
    resize(560, 360);

    // Return presses the default button only: Find first, and once something
    // was found, Use. A second handler on the field's Return would search and
    // then, with the same key, take the first result unseen.
    btFind->setDefault(true);
    connect(btFind, &QPushButton::clicked, this, &TfrmAddFromAddress::btFindClick);
    connect(lstFound, &QListWidget::currentRowChanged, this, &TfrmAddFromAddress::showSelected);
    connect(lstFound, &QListWidget::itemDoubleClicked, btUse, &QPushButton::click);
    connect(btUse, &QPushButton::clicked, this, [this] {
        const int row = lstFound->currentRow();
        if (row < 0 || size_t(row) >= m_result.servers.size())
            return;
        m_chosen = m_result.servers[size_t(row)];
        accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &TfrmAddFromAddress::reject);
}

std::string TfrmAddFromAddress::address() const { return trimmed(fromDisplay(edAddress->text())); }

void TfrmAddFromAddress::btFindClick()
{
    if (m_searching)
        return;
    const std::string typed = address();
    if (const std::string problem = addressProblem(typed); !problem.empty()) {
        showResult({{}, {problem}});
        return;
    }
    TDiscoveryOptions options;
    options.dns = configuredDnsServer();
    options.onStep = [this](const std::string &step) { lblStep->setText(shown(step)); };
    options.canceled = [this] { return m_canceled; };
    m_canceled = false;
    setSearching(true);
    // The search waits in the event loop: the window repaints, and Cancel
    // is heard, between its steps.
    const TDiscoveryResult result = m_discover(typed, options);
    setSearching(false);
    if (m_canceled) {
        QDialog::reject();
        return;
    }
    showResult(result);
}

void TfrmAddFromAddress::setSearching(bool searching)
{
    m_searching = searching;
    prgSearching->setVisible(searching);
    edAddress->setEnabled(!searching);
    btFind->setEnabled(!searching);
    lstFound->setEnabled(!searching);
    btUse->setEnabled(false);
    if (searching) {
        lstFound->clear();
        lblGuidance->clear();
        lblStep->setText(QStringLiteral("Looking up the servers..."));
    }
}

void TfrmAddFromAddress::showResult(const TDiscoveryResult &result)
{
    m_result = result;
    lstFound->clear();
    for (const TDiscoveredServer &server : result.servers)
        lstFound->addItem(shown(describeDiscoveredServer(server)));
    std::string said = result.found() ? "Found " + std::to_string(result.servers.size()) +
                                            " way(s) to reach the mailbox, the best first. Pick one and press "
                                            "\"Use these settings\"; you can change every setting afterwards."
                                      : "Nothing was found for this address. Ask your provider for the server's "
                                        "name, and type it into the row yourself.";
    for (const std::string &note : result.notes)
        said += "\n" + note;
    lblStep->setText(shown(said));
    if (result.found())
        lstFound->setCurrentRow(0);
    else
        lblGuidance->clear();
    btUse->setEnabled(result.found());
    if (result.found())
        btUse->setDefault(true);
}

void TfrmAddFromAddress::showSelected()
{
    const int row = lstFound->currentRow();
    if (row < 0 || size_t(row) >= m_result.servers.size())
        return lblGuidance->clear();
    lblGuidance->setText(shown(m_result.servers[size_t(row)].signInGuidance));
}

void TfrmAddFromAddress::reject()
{
    if (m_searching) {
        m_canceled = true; // the search ends at its next step and closes the window
        return;
    }
    QDialog::reject();
}

} // namespace tw

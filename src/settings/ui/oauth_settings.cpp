#include "settings/ui/oauth_settings.h"

#include "platform/bytes.h"
#include "settings/sign_in_guidance.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

namespace {

QString shown(const std::string &text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

std::string typed(const QLineEdit *field) { return trimmed(fromDisplay(field->text())); }

QLineEdit *field(const char *name, const std::string &value, const std::string &providers)
{
    auto *edit = new QLineEdit(shown(value));
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(providers.empty() ? QStringLiteral("(none)") : shown(providers));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    return edit;
}

} // namespace

TfrmOAuthSettings::TfrmOAuthSettings(int n, const std::string &server, bool forImap, const TOAuthOverrides &own,
                                     QWidget *parent)
    : QDialog(parent), m_server(server), m_forImap(forImap)
{
    setObjectName(QStringLiteral("frmOAuthSettings"));
    setWindowTitle(QStringLiteral("OAuth2 settings - Mailbox ") + QString::number(n));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // What the known provider brings, shown where the mailbox has nothing of its own.
    const TOAuthEndpoints provider = oauthEndpoints(server, {}, forImap);
    auto *intro = new QLabel(
        shown("The browser sign-in of mailbox " + std::to_string(n) + " (" +
              (trimmed(server).empty() ? std::string("no server yet") : trimmed(server)) + "), " +
              (provider.provider.empty() ? std::string("a server that Tidewell does not know: the provider's "
                                                       "documentation for mail programs gives these values.")
                                         : "at " + provider.provider +
                                               ". A field left empty takes the value Tidewell knows, shown greyed.")));
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    edClientId = field("edClientId", own.clientId, provider.clientId);
    edAuthorizeUrl = field("edAuthorizeUrl", own.authorizeUrl, provider.authorizeUrl);
    edTokenUrl = field("edTokenUrl", own.tokenUrl, provider.tokenUrl);
    edScope = field("edScope", own.scope, provider.scope);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Client id:"), edClientId);
    form->addRow(QStringLiteral("&Authorization URL:"), edAuthorizeUrl);
    form->addRow(QStringLiteral("&Token URL:"), edTokenUrl);
    form->addRow(QStringLiteral("&Scope:"), edScope);

    lblAdvice = new QLabel;
    lblAdvice->setObjectName(QStringLiteral("lblAdvice"));
    lblAdvice->setWordWrap(true);
    lblAdvice->setTextFormat(Qt::PlainText);
    lblAdvice->setTextInteractionFlags(Qt::TextSelectableByMouse); // addresses can be copied

    btOK = new QPushButton(QStringLiteral("OK"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancel"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(lblAdvice);
    layout->addStretch();
    layout->addLayout(buttons);

    for (QLineEdit *edit : {edClientId, edAuthorizeUrl, edTokenUrl, edScope})
        connect(edit, &QLineEdit::textChanged, this, &TfrmOAuthSettings::updateAdvice);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateAdvice();
}

TOAuthOverrides TfrmOAuthSettings::values() const
{
    return {typed(edAuthorizeUrl), typed(edTokenUrl), typed(edScope), typed(edClientId)};
}

void TfrmOAuthSettings::updateAdvice()
{
    const std::string advice = oauthMissingAdvice(oauthEndpoints(m_server, values(), m_forImap));
    lblAdvice->setText(advice.empty() ? QStringLiteral("Nothing is missing: \"Sign in...\" in the mailbox's row "
                                                       "opens the browser.")
                                      : shown(advice));
}

} // namespace tw

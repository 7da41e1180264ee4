#include "app/optRetrieve.h"

#include "app/resources_init.h"
#include "platform/bytes.h"
#include "platform/ui/plain_text.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace tw {

static QLabel *sunkenPanel(QWidget *parent, const char *name)
{
    auto *panel = plainLabel(new QLabel(parent));
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(220);
    return panel;
}

TfrmRetrieving::TfrmRetrieving(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRetrieving"));
    setWindowTitle(QStringLiteral("Retrieving ..."));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblTitle = plainLabel(new QLabel(QStringLiteral("Retrieving messages ... standby"), this));
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    pnlServer = sunkenPanel(this, "pnlServer");
    pnlMailbox = sunkenPanel(this, "pnlMailbox");
    imgAnimation = new QLabel(this);
    imgAnimation->setObjectName(QStringLiteral("imgAnimation"));
    imgAnimation->setFixedSize(32, 32);
    lblMessage = plainLabel(new QLabel(this));
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    btCancel = new QPushButton(QStringLiteral("Click to cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btCancel, &QPushButton::clicked, this, [this] {
        if (OnCancelClick)
            OnCancelClick();
    });

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblTitle, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Server:"), this), 1, 0);
    grid->addWidget(pnlServer, 1, 1);
    grid->addWidget(imgAnimation, 1, 2, 2, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Mailbox:"), this), 2, 0);
    grid->addWidget(pnlMailbox, 2, 1);
    grid->addWidget(lblMessage, 3, 0, 1, 3);
    grid->addWidget(ProgressBar1, 4, 0, 1, 3);
    grid->addWidget(btCancel, 5, 0, 1, 3, Qt::AlignCenter);
    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));

    m_animation.setInterval(300);
    connect(&m_animation, &QTimer::timeout, this, &TfrmRetrieving::nextFrame);
    nextFrame();
}

void TfrmRetrieving::setTitle(const std::string &text) { lblTitle->setText(toDisplay(text)); }

void TfrmRetrieving::setMessage(const std::string &text) { lblMessage->setText(toDisplay(text)); }

void TfrmRetrieving::setProgress(int maximum, int position)
{
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(position);
    ProgressBar1->show();
}

void TfrmRetrieving::hideProgress() { ProgressBar1->hide(); }

void TfrmRetrieving::showEvent(QShowEvent *event)
{
    lblMessage->clear();
    if (ServerAndMailbox) {
        const auto [server, mailbox] = ServerAndMailbox();
        pnlServer->setText(toDisplay(server));
        pnlMailbox->setText(toDisplay(mailbox));
    }
    setTitle("Retrieving messages ... standby");
    hideProgress();
    m_animation.start();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TfrmRetrieving::hideEvent(QHideEvent *event)
{
    m_animation.stop();
    QDialog::hideEvent(event);
}

void TfrmRetrieving::nextFrame()
{
    imgAnimation->setPixmap(picture(QStringLiteral("mailanim%1").arg(m_frame)));
    m_frame = (m_frame + 1) % 10;
}

} // namespace tw

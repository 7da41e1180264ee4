#include "app/About.h"

#include "app/resources_init.h"
#include "app/version.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

TfrmAbout::TfrmAbout(Page page, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("How to contact us"));
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));

    // About
    auto *about = new QWidget(pages);
    auto *aboutLayout = new QVBoxLayout(about);
    auto *product = new QLabel(QStringLiteral("Tidewell"), about);
    product->setFont(QFont(QStringLiteral("DejaVu Serif"), 20, QFont::Bold));
    product->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(kVersionText)), about);
    version->setAlignment(Qt::AlignCenter);
    auto *contact = new QLabel(QStringLiteral("Quillmarsh Software\n"
                                              "Questions, ideas and bug reports are welcome:\n"
                                              "support@quillmarsh.example\n%1")
                                   .arg(QLatin1String(kMakerWebAddress)),
                               about);
    contact->setAlignment(Qt::AlignCenter);
    contact->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *logo = new QLabel(about);
    logo->setPixmap(picture(QStringLiteral("tidewell")));
    logo->setAlignment(Qt::AlignCenter);
    aboutLayout->addWidget(logo);
    aboutLayout->addWidget(product);
    aboutLayout->addWidget(version);
    aboutLayout->addWidget(contact);
    aboutLayout->addStretch();
    pages->addTab(about, QStringLiteral("About"));

    // Bust a spam
    auto *bust = new QWidget(pages);
    auto *bustLayout = new QVBoxLayout(bust);
    auto *hint = new QLabel(QStringLiteral("Had enough junk mail today?  Hit it!"), bust);
    hint->setAlignment(Qt::AlignCenter);
    im1 = new QLabel(bust);
    im1->setObjectName(QStringLiteral("im1"));
    im1->setPixmap(picture(QStringLiteral("bust1")));
    im1->setAlignment(Qt::AlignCenter);
    im1->setCursor(Qt::PointingHandCursor);
    im1->installEventFilter(this);
    // A picture that acts as a button: named, and hit with Space as well.
    im1->setFocusPolicy(Qt::StrongFocus);
    im1->setAccessibleName(QStringLiteral("Spam to hit"));
    im1->setAccessibleDescription(QStringLiteral("Each click, or press of the Space bar, hits it for points."));
    RzLabel2 = new QLabel(bust);
    RzLabel2->setObjectName(QStringLiteral("RzLabel2"));
    RzLabel2->setAlignment(Qt::AlignCenter);
    RzLabel2->setFont(QFont(QStringLiteral("DejaVu Sans"), 14, QFont::Bold));
    RzLabel2->setToolTip(QStringLiteral("Double click, or press Delete, to reset the points"));
    RzLabel2->installEventFilter(this);
    RzLabel2->setFocusPolicy(Qt::StrongFocus);
    RzLabel2->setAccessibleName(QStringLiteral("Points"));
    RzLabel2->setAccessibleDescription(RzLabel2->toolTip());
    cbSound = new QCheckBox(QStringLiteral("Sound?"), bust);
    cbSound->setObjectName(QStringLiteral("cbSound"));
    bustLayout->addWidget(hint);
    bustLayout->addWidget(im1, 1);
    bustLayout->addWidget(RzLabel2);
    bustLayout->addWidget(cbSound, 0, Qt::AlignCenter);
    pages->addTab(bust, QStringLiteral("Bust a spam"));

    // Version Check
    auto *check = new QWidget(pages);
    auto *checkLayout = new QVBoxLayout(check);
    checkLayout->addWidget(new QLabel(QStringLiteral("You currently have version:"), check), 0, Qt::AlignCenter);
    auto *current = new QLabel(QLatin1String(kVersionText), check);
    current->setFont(QFont(QStringLiteral("DejaVu Sans"), 14, QFont::Bold));
    checkLayout->addWidget(current, 0, Qt::AlignCenter);
    btVers = new QPushButton(QStringLiteral("Click to check your version"), check);
    btVers->setObjectName(QStringLiteral("btVers"));
    checkLayout->addWidget(btVers, 0, Qt::AlignCenter);
    checkLayout->addStretch();
    pages->addTab(check, QStringLiteral("Version Check"));

    btClose = new QPushButton(QStringLiteral("Close"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    btWeb = new QPushButton(QStringLiteral("Visit our web site"), this);
    btWeb->setObjectName(QStringLiteral("btWeb"));
    btRecommend = new QPushButton(QStringLiteral("Recommend to a friend"), this);
    btRecommend->setObjectName(QStringLiteral("btRecommend"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btWeb);
    buttons->addWidget(btRecommend);
    buttons->addStretch();
    buttons->addWidget(btClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);
    resize(420, 360);

    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btWeb, &QPushButton::clicked, this, &TfrmAbout::btWebClick);
    connect(btRecommend, &QPushButton::clicked, this, &TfrmAbout::btRecommendClick);
    connect(btVers, &QPushButton::clicked, this, &TfrmAbout::btVersClick);
    m_restore.setSingleShot(true);
    m_restore.setInterval(500);
    connect(&m_restore, &QTimer::timeout, this, &TfrmAbout::Timer1Timer);

    pages->setCurrentIndex(page == Page::BustASpam ? 1 : page == Page::VersionCheck ? 2 : 0);
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    m_points = readPoints();
    m_pointsAtShow = m_points;
    showPoints();
    QDialog::showEvent(event);
}

void TfrmAbout::showPoints() { RzLabel2->setText(QStringLiteral("%1 points").arg(m_points)); }

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    const auto keyIs = [event](std::initializer_list<int> keys) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    };
    if (watched == im1 && (event->type() == QEvent::MouseButtonPress || keyIs({Qt::Key_Space, Qt::Key_Return})))
        im1Click();
    else if (watched == RzLabel2 &&
             (event->type() == QEvent::MouseButtonDblClick || keyIs({Qt::Key_Delete, Qt::Key_Backspace})))
        RzLabel2DblClick();
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::im1Click()
{
    if (cbSound->isChecked()) {
        m_points += 10;
        Sound::current().play(":/sounds/bust_hit.wav", false);
    } else {
        m_points += 1;
    }
    showPoints();
    im1->setPixmap(picture(QStringLiteral("bust2")));
    m_restore.start();
}

void TfrmAbout::Timer1Timer() { im1->setPixmap(picture(QStringLiteral("bust1"))); }

void TfrmAbout::RzLabel2DblClick()
{
    m_points = 0;
    m_pointsAtShow = 0;
    showPoints();
}

void TfrmAbout::PlayGongSound() { Sound::current().play(":/sounds/bust_gong.wav", false); }

void TfrmAbout::PlaySighSound() { Sound::current().play(":/sounds/bust_sigh.wav", false); }

void TfrmAbout::done(int result)
{
    try {
        savePoints(m_points);
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    const int gain = m_points - m_pointsAtShow;
    const bool sound = cbSound->isChecked();
    if (gain >= 60) {
        if (sound)
            PlayGongSound();
        Prompts::current().information("Wow! Take it easy partner! You might break your mouse!!");
    } else if (gain >= 30) {
        if (sound)
            PlaySighSound();
        Prompts::current().information("Sigh! Now don't you feel better now that you got that off your chest?");
    } else if (gain >= 10) {
        Prompts::current().information("Sure feels good to let off some steam.");
    }
    m_pointsAtShow = m_points;
    QDialog::done(result);
}

void TfrmAbout::btWebClick()
{
    if (!Shell::current().openUrl(kMakerWebAddress))
        Prompts::current().error("Unable to start web browser. Make sure you have it properly set-up on your system.");
}

void TfrmAbout::btRecommendClick()
{
    std::string address = "<friend's e-mail>";
    if (!Prompts::current().inputText("Enter friend's e-mail address", "E-mail address", address))
        return;
    const QString body = QStringLiteral(
                             "Hi,\n\nI use Tidewell to get rid of junk mail before my mail program downloads it. "
                             "You might like it too: %1\n")
                             .arg(QLatin1String(kMakerWebAddress));
    const QString url = QStringLiteral("mailto:%1?subject=%2&body=%3")
                            .arg(QString::fromStdString(address),
                                 QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("Software recommendation"))),
                                 QString::fromLatin1(QUrl::toPercentEncoding(body)));
    if (!Shell::current().openUrl(url.toStdString()))
        Prompts::current().error("Unable to start your mail program for the recommendation.");
}

void TfrmAbout::btVersClick()
{
    TfrmVersionCheck check(this);
    check.exec();
}

} // namespace tw

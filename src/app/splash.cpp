#include "app/splash.h"

#include "app/resources_init.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace tw {

TfrmSplash::TfrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(407, 319);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xea, 0xf3, 0xfb));
    setPalette(pal);
    setStyleSheet(QStringLiteral("#frmSplash { border: 2px solid #173a6a; }"));

    m_title = new QLabel(QStringLiteral("Tidewell"), this);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont big(QStringLiteral("DejaVu Serif"), 30, QFont::Bold);
    m_title->setFont(big);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setStyleSheet(QStringLiteral("color: #173a6a;"));

    m_picture1 = new QLabel(this);
    m_picture1->setObjectName(QStringLiteral("Image1"));
    m_picture1->setPixmap(picture(QStringLiteral("splash1")));
    m_picture1->setAlignment(Qt::AlignCenter);
    m_picture2 = new QLabel(this);
    m_picture2->setObjectName(QStringLiteral("Image2"));
    m_picture2->setPixmap(picture(QStringLiteral("splash2")));
    m_picture2->setAlignment(Qt::AlignCenter);
    m_picture2->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_title);
    layout->addWidget(m_picture1, 1);
    layout->addWidget(m_picture2, 1);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmSplash::showSecondPicture()
{
    m_picture1->hide();
    m_picture2->show();
    repaint();
}

bool TfrmSplash::showingSecondPicture() const { return !m_picture2->isHidden(); }

} // namespace tw

#include "app/tray.h"

#include "platform/bytes.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tw {

TTrayIcon::TTrayIcon(QWidget *mainWindow, QMenu *menu, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_menu(menu)
{
    m_animation.setInterval(1000);
    connect(&m_animation, &QTimer::timeout, this, [this] {
        m_secondFrame = !m_secondFrame;
        applyPicture();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_icon = new QSystemTrayIcon(this);
        m_icon->setContextMenu(m_menu);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::DoubleClick)
                showProgram();
        });
    }
    if (m_menu)
        connect(m_menu, &QMenu::aboutToShow, this, [this] {
            if (OnPopup)
                OnPopup();
        });
    applyPicture();
    setHint(m_hint);
    if (m_icon)
        m_icon->show();
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::remove()
{
    m_exists = false;
    m_animation.stop();
    if (m_icon)
        m_icon->hide();
}

void TTrayIcon::setHint(const std::string &hint)
{
    m_hint = hint.substr(0, 63);
    applyToolTip();
}

void TTrayIcon::setNotice(const std::string &notice)
{
    m_notice = notice;
    applyToolTip();
}

std::string TTrayIcon::toolTip() const { return m_notice.empty() ? m_hint : m_hint + "\n" + m_notice; }

void TTrayIcon::applyToolTip()
{
    if (m_icon)
        m_icon->setToolTip(toDisplay(toolTip()));
}

void TTrayIcon::setState(State state)
{
    m_state = state;
    if (state == State::Animated && m_exists)
        m_animation.start();
    else
        m_animation.stop();
    m_secondFrame = false;
    applyPicture();
}

QString TTrayIcon::currentPicture() const
{
    if (m_state != State::Animated)
        return QStringLiteral(":/pictures/hammer.png");
    return m_secondFrame ? QStringLiteral(":/pictures/anim2.png") : QStringLiteral(":/pictures/anim1.png");
}

void TTrayIcon::applyPicture()
{
    if (m_icon)
        m_icon->setIcon(QIcon(currentPicture()));
}

void TTrayIcon::setMenuEnabled(bool enabled)
{
    m_menuEnabled = enabled;
    if (m_menu)
        m_menu->setEnabled(enabled);
}

void TTrayIcon::showProgram()
{
    m_hidden = false;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_mainWindow)
                return;
            if (m_mainWindow->isMinimized())
                m_mainWindow->showNormal();
            else
                m_mainWindow->show();
            m_mainWindow->raise();
            m_mainWindow->activateWindow();
        },
        Qt::QueuedConnection);
}

void TTrayIcon::hideProgram()
{
    m_hidden = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window->isVisible() && window != m_menu)
                    window->hide();
        },
        Qt::QueuedConnection);
}

} // namespace tw

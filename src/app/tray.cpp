#include "app/tray.h"

#include "platform/bytes.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tw {
namespace {
std::optional<bool> g_desktopHasTray; // decided by a test; unset: ask the desktop
} // namespace

bool TTrayIcon::desktopHasTray()
{
    return g_desktopHasTray ? *g_desktopHasTray : QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::setDesktopHasTray(std::optional<bool> answer) { g_desktopHasTray = answer; }

TTrayIcon::TTrayIcon(QWidget *mainWindow, QMenu *menu, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_menu(menu)
{
    m_animation.setInterval(1000);
    connect(&m_animation, &QTimer::timeout, this, [this] {
        m_secondFrame = !m_secondFrame;
        applyPicture();
    });
    if (desktopHasTray() && QSystemTrayIcon::isSystemTrayAvailable()) {
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

void TTrayIcon::setProblem(const std::string &problem)
{
    m_problem = problem.substr(0, 300);
    applyToolTip();
}

void TTrayIcon::applyToolTip()
{
    // The problem line holds a server's words: shown as they are, never as markup.
    if (m_icon)
        m_icon->setToolTip(QStringLiteral("<qt>") +
                           toDisplay(toolTip()).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
                           QStringLiteral("</qt>"));
}

std::string TTrayIcon::toolTip() const { return m_problem.empty() ? m_hint : m_hint + "\n" + m_problem; }

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

bool TTrayIcon::isProgramWindow(const QWidget *window) const
{
    // On a tray that embeds its icons (XEmbed), the icon itself is a
    // top-level window of this program that the window manager does not
    // manage; hiding it would leave no way back to the program.
    return window != m_menu && !window->inherits("QSystemTrayIconSys") &&
           !window->windowFlags().testFlag(Qt::BypassWindowManagerHint);
}

bool TTrayIcon::programHidden() const
{
    // A window minimised in the tray's place comes back from the taskbar
    // without asking this object.
    if (m_minimizedInstead && m_mainWindow)
        return m_hidden && (m_mainWindow->isMinimized() || !m_mainWindow->isVisible());
    return m_hidden;
}

void TTrayIcon::hideProgram()
{
    m_hidden = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_minimizedInstead = !(m_exists && desktopHasTray());
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window == m_mainWindow && m_minimizedInstead)
                    window->showMinimized();
                else if (window->isVisible() && isProgramWindow(window))
                    window->hide();
            }
            if (m_minimizedInstead && OnMinimizedForLackOfTray)
                OnMinimizedForLackOfTray();
        },
        Qt::QueuedConnection);
}

} // namespace tw

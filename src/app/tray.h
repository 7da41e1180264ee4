#pragma once
// The tray icon: its hint, its state (normal, disabled, or animated by two
// alternating pictures every second), its pop-up menu, and hiding/showing
// the whole program. The state lives in plain members that exist whether or
// not the desktop offers a tray, so the program and its tests never depend
// on one; the QSystemTrayIcon only mirrors them.

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace tw {

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    enum class State { Normal, Disabled, Animated };

    // MainWindow is shown and hidden by showProgram/hideProgram.
    TTrayIcon(QWidget *mainWindow, QMenu *menu, QObject *parent = nullptr);
    ~TTrayIcon() override;

    // Removes the icon for good (the program then has no tray icon at all).
    void remove();
    bool exists() const { return m_exists; }

    // At most 63 characters are kept.
    void setHint(const std::string &hint);
    const std::string &hint() const { return m_hint; }
    // A second line under the hint that stays while the hint changes (the
    // last failed check); "" removes it. At most 300 characters are kept.
    void setProblem(const std::string &problem);
    const std::string &problem() const { return m_problem; }
    // What the icon's tip shows: the hint, and the problem on a line of its own.
    std::string toolTip() const;
    void setState(State state);
    State state() const { return m_state; }
    // The picture shown now: ":/pictures/hammer.png", anim1 or anim2.
    QString currentPicture() const;

    void setMenuEnabled(bool enabled);
    bool menuEnabled() const { return m_menuEnabled; }

    // Queued: carried out by the event loop. Hiding hides every window of
    // the program but the tray icon's own (see isProgramWindow). Where the
    // desktop shows no tray, hiding would leave a running program nobody can
    // reach: the main window is minimised to the taskbar instead (the other
    // windows are hidden as usual) and OnMinimizedForLackOfTray is called.
    void showProgram();
    void hideProgram();
    // Whether Window is one that hiding the program hides: not the tray
    // menu, and not a window the window manager does not manage (the icon
    // of a tray that embeds it).
    bool isProgramWindow(const QWidget *window) const;
    // Hidden in the tray, or minimised in its place and not restored since.
    bool programHidden() const;

    // Whether the desktop shows a system tray now. Tests decide the answer
    // with setDesktopHasTray (std::nullopt asks the desktop again).
    static bool desktopHasTray();
    static void setDesktopHasTray(std::optional<bool> answer);

    // Called when the menu is about to open (the alarm stops then).
    std::function<void()> OnPopup;
    // Called after a hiding minimised the main window for want of a tray.
    std::function<void()> OnMinimizedForLackOfTray;

private:
    void applyPicture();
    void applyToolTip();

    QWidget *m_mainWindow;
    QMenu *m_menu;
    QSystemTrayIcon *m_icon = nullptr;
    QTimer m_animation;
    bool m_exists = true;
    bool m_hidden = false;
    bool m_minimizedInstead = false; // the last hiding minimised the main window
    bool m_menuEnabled = true;
    bool m_secondFrame = false;
    State m_state = State::Normal;
    std::string m_hint = "Tidewell (right click)";
    std::string m_problem;
};

} // namespace tw

#pragma once
// The tray icon: its hint, its state (normal, disabled, or animated by two
// alternating pictures every second), its pop-up menu, and hiding/showing
// the whole program. The state lives in plain members that exist whether or
// not the desktop offers a tray, so the program and its tests never depend
// on one; the QSystemTrayIcon only mirrors them.

#include <QObject>
#include <QTimer>
#include <functional>
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
    // A notice that stays under the hint, whatever the hint becomes, until
    // it is replaced or cleared with "" (for example an expired sign-in that
    // a hidden check could not renew). Not cut to the hint's length.
    void setNotice(const std::string &notice);
    const std::string &notice() const { return m_notice; }
    // What the tray shows: the hint, and the notice on a line of its own.
    std::string toolTip() const;
    void setState(State state);
    State state() const { return m_state; }
    // The picture shown now: ":/pictures/hammer.png", anim1 or anim2.
    QString currentPicture() const;

    void setMenuEnabled(bool enabled);
    bool menuEnabled() const { return m_menuEnabled; }

    // Queued: carried out by the event loop.
    void showProgram();
    void hideProgram();
    bool programHidden() const { return m_hidden; }

    // Called when the menu is about to open (the alarm stops then).
    std::function<void()> OnPopup;

private:
    void applyPicture();
    void applyToolTip();

    QWidget *m_mainWindow;
    QMenu *m_menu;
    QSystemTrayIcon *m_icon = nullptr;
    QTimer m_animation;
    bool m_exists = true;
    bool m_hidden = false;
    bool m_menuEnabled = true;
    bool m_secondFrame = false;
    State m_state = State::Normal;
    std::string m_hint = "Tidewell (right click)";
    std::string m_notice;
};

} // namespace tw

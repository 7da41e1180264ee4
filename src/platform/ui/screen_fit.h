#pragma once
// Every window of the program within the screen it is on, also on a small
// screen or at a large scale (1920x1080 at 200% leaves 960x540 points):
// windows whose content can be large scroll it instead of growing, and a
// window shown, or restored from a stored placement, larger than the free
// area of its screen or beyond it is shrunk and moved back onto it.

#include <QObject>
#include <QScrollArea>

namespace tw {

// Page inside a frameless scroll area that lets it shrink below its own
// minimum (it scrolls then); for the pages of a window's tabs.
QScrollArea *scrollingPage(QWidget *page);

// Shrinks Window to the free area (without panels) of the screen it is
// mostly on, as far as its minimum size allows, and moves it inside.
void fitOnScreen(QWidget *window);

// Installed on the application: fits every top-level window as it is
// shown (menus, tooltips and the tray's own windows are left alone).
class ScreenFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace tw

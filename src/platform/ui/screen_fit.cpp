#include "platform/ui/screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace tw {

QScrollArea *scrollingPage(QWidget *page)
{
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    return scroll;
}

void fitOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::screenAt(window->geometry().center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    // X holds a window's size in 16 bits. Beside a minimum size, an
    // unbounded maximum makes some window managers (fluxbox) stretch the
    // window to that limit when the scale is above 1.
    const int largest = int(32767 / std::max(1.0, window->devicePixelRatioF()));
    if (window->maximumWidth() > largest || window->maximumHeight() > largest)
        window->setMaximumSize(std::min(window->maximumWidth(), largest), std::min(window->maximumHeight(), largest));
    const QRect available = screen->availableGeometry();
    // The frame (title bar, borders) is the window manager's, around the
    // geometry; before the window is first shown it is not known yet, and a
    // usual one is allowed for.
    QSize frameExtra = window->frameGeometry().size() - window->geometry().size();
    const auto plausible = [](int extra) { return extra > 0 && extra < 200; };
    if (!plausible(frameExtra.width()) || !plausible(frameExtra.height())) {
        const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
        frameExtra = QSize(2 * border, 2 * border + window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    QRect inside = window->geometry();
    inside.setWidth(std::max(window->minimumWidth(), std::min(inside.width(), available.width() - frameExtra.width())));
    inside.setHeight(
        std::max(window->minimumHeight(), std::min(inside.height(), available.height() - frameExtra.height())));
    const int left = std::clamp(inside.left(), available.left(), std::max(available.left(), available.right() + 1 -
                                                                                               inside.width() -
                                                                                               frameExtra.width()));
    const int top = std::clamp(inside.top(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - inside.height() - frameExtra.height()));
    inside.moveTo(left, top);
    if (inside != window->geometry())
        window->setGeometry(inside);
}

bool ScreenFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog) &&
            !widget->windowFlags().testFlag(Qt::BypassWindowManagerHint))
            fitOnScreen(widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tw

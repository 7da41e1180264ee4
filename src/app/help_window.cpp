#include "app/help_window.h"

#include "platform/paths.h"
#include "platform/text_file.h"

#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tw {

bool showHelp(const std::string &topic, QWidget *parent)
{
    const std::optional<std::string> text = readWholeFile(programFile("tidewell.hlp"));
    if (!text)
        return false;
    const QString html = QString::fromStdString(*text);

    // One help window at a time; a second request brings it to the topic.
    // It belongs to the window it was asked from: a modal settings window
    // blocks every window but its own, and one that stays on top would
    // cover a help window that does not.
    static QPointer<QDialog> window;
    if (window && window->parentWidget() != parent)
        delete window;
    if (!window) {
        Qt::WindowFlags flags = Qt::Window;
        if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            flags |= Qt::WindowStaysOnTopHint;
        window = new QDialog(parent, flags);
        window->setObjectName(QStringLiteral("frmHelp"));
        window->setWindowTitle(QStringLiteral("Tidewell Help"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto *browser = new QTextBrowser(window);
        browser->setObjectName(QStringLiteral("browser"));
        browser->setAccessibleName(QStringLiteral("Help text"));
        browser->setOpenExternalLinks(false);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        window->resize(560, 480);
    }
    auto *browser = window->findChild<QTextBrowser *>(QStringLiteral("browser"));
    browser->setHtml(html);
    if (!topic.empty())
        browser->scrollToAnchor(QString::fromStdString(topic));
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace tw

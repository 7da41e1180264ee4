#include "platform/ui/desktop_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tw {

bool DesktopShell::openDocument(const std::string &path)
{
    const QString file = QString::fromLocal8Bit(path.c_str());
    if (!QFileInfo::exists(file))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool DesktopShell::openUrl(const std::string &url)
{
    const QUrl parsed(QString::fromLocal8Bit(url.c_str()));
    return parsed.isValid() && QDesktopServices::openUrl(parsed);
}

} // namespace tw

#include "platform/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace tw {

static Shell *&installed()
{
    static Shell *replacement = nullptr;
    return replacement;
}

Shell &Shell::current()
{
    static DesktopShell real;
    return installed() ? *installed() : real;
}

void Shell::install(Shell *replacement) { installed() = replacement; }

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

bool DesktopShell::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    QStringList args;
    for (const std::string &a : arguments)
        args << QString::fromLocal8Bit(a.c_str());
    return QProcess::startDetached(QString::fromLocal8Bit(program.c_str()), args);
}

bool RecordingShell::openDocument(const std::string &path)
{
    calls.push_back("open: " + path);
    return succeed;
}

bool RecordingShell::openUrl(const std::string &url)
{
    calls.push_back("url: " + url);
    return succeed;
}

bool RecordingShell::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    std::string line = "start: " + program;
    for (const std::string &a : arguments)
        line += " " + a;
    calls.push_back(line);
    return succeed;
}

} // namespace tw

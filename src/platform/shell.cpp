#include "platform/shell.h"

#include "platform/service_slot.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace tw {

static ServiceSlot<Shell> &slot()
{
    static ProcessShell process;
    static ServiceSlot<Shell> instance(process);
    return instance;
}

Shell &Shell::current() { return slot().current(); }
void Shell::install(Shell *replacement) { slot().install(replacement); }
void Shell::setDesktop(Shell *desktop) { slot().setDesktop(desktop); }

QStringList toArgumentList(const std::vector<std::string> &arguments)
{
    QStringList list;
    for (const std::string &a : arguments)
        list << QString::fromLocal8Bit(a.c_str());
    return list;
}

bool ProcessShell::openDocument(const std::string &path)
{
    const QString file = QString::fromLocal8Bit(path.c_str());
    return QFileInfo::exists(file) && QProcess::QProcess::startDetached(QStringLiteral("xdg-open"), {file});
}

bool ProcessShell::openUrl(const std::string &url)
{
    const QUrl parsed(QString::fromLocal8Bit(url.c_str()));
    return parsed.isValid() && QProcess::QProcess::startDetached(QStringLiteral("xdg-open"), {parsed.toString()});
}

bool ProcessShell::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    return QProcess::startDetached(QString::fromLocal8Bit(program.c_str()), toArgumentList(arguments));
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

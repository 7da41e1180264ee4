#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tw {

static QString envPath(const char *name)
{
    const QByteArray v = qgetenv(name);
    return v.isEmpty() ? QString() : QString::fromLocal8Bit(v);
}

static QString homeSubfolder(const char *xdgVariable, const char *fallback)
{
    QString base = envPath(xdgVariable);
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
    return base + QStringLiteral("/tidewell");
}

std::string programFolder()
{
    QString folder = envPath("TIDEWELL_HOME");
    if (folder.isEmpty())
        folder = homeSubfolder("XDG_DATA_HOME", ".local/share");
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder.toStdString();
}

std::string programFile(const std::string &name) { return programFolder() + "/" + name; }

std::string registryFilePath()
{
    QString folder = envPath("TIDEWELL_HOME");
    if (folder.isEmpty())
        folder = homeSubfolder("XDG_CONFIG_HOME", ".config");
    return (folder + QStringLiteral("/registry.ini")).toStdString();
}

bool prepareProgramFolder(const std::string &shippedFolder)
{
    const QString folder = QString::fromStdString(programFolder());
    if (!QDir().mkpath(folder))
        return false;
    const QDir shipped(QString::fromStdString(shippedFolder));
    for (const QFileInfo &file : shipped.entryInfoList(QDir::Files)) {
        const QString target = folder + QLatin1Char('/') + file.fileName();
        if (!QFileInfo::exists(target) && QFile::copy(file.filePath(), target))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return true;
}

} // namespace tw

#include "platform/paths.h"

#include "platform/private_files.h"

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

void makeHomeVariableAbsolute()
{
    const QString home = envPath("TIDEWELL_HOME");
    if (!home.isEmpty() && QDir::isRelativePath(home))
        qputenv("TIDEWELL_HOME", QDir::current().absoluteFilePath(home).toLocal8Bit());
}

bool prepareProgramFolder(const std::string &shippedFolder)
{
    // The folder holds whole messages and the settings: only its owner may
    // look into it, also when an earlier version made it with the usual umask.
    const std::string folder = programFolder();
    if (!makePrivateFolders(folder))
        return false;
    narrowFolderToOwner(folder);
    const QDir shipped(QString::fromStdString(shippedFolder));
    for (const QFileInfo &file : shipped.entryInfoList(QDir::Files)) {
        const std::string target = folder + "/" + file.fileName().toStdString();
        QFile source(file.filePath());
        // Whatever is at the target already (a file, or a link planted there) stays untouched.
        if (!QFileInfo(QString::fromStdString(target)).isSymLink() && !QFileInfo::exists(QString::fromStdString(target)) &&
            source.open(QIODevice::ReadOnly))
            createPrivateFile(target, source.readAll().toStdString());
    }
    return true;
}

} // namespace tw

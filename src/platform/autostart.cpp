#include "platform/autostart.h"

#include "platform/store_error.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>

namespace tw {
namespace {

constexpr const char *kEntryName = "tidewell.desktop";

// One argument of an Exec value: quoted when it holds a reserved character,
// with the characters that stay special inside quotes escaped.
std::string execArgument(const std::string &argument)
{
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string field;
    if (argument.find_first_of(reserved) == std::string::npos && !argument.empty()) {
        field = argument;
    } else {
        field = "\"";
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                field += '\\';
            field += c;
        }
        field += '"';
    }
    // A desktop entry's values are escaped once more as strings ("\\" for a
    // backslash), and "%" starts a field code unless doubled.
    std::string value;
    for (char c : field) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '%')
            value += "%%";
        else
            value += c;
    }
    return value;
}

std::string trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string autostartFilePath()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as desktops do.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return (base + QStringLiteral("/autostart/") + QLatin1String(kEntryName)).toStdString();
}

bool startsAtLogin()
{
    const FileContents file = readFileContents(autostartFilePath());
    if (file.state != FileContents::State::Read)
        return false;
    bool inEntry = false;
    for (const std::string &line : splitLines(file.bytes)) {
        const std::string text = trimmed(line);
        if (!text.empty() && text.front() == '[') {
            inEntry = text == "[Desktop Entry]";
            continue;
        }
        const size_t equals = text.find('=');
        if (!inEntry || equals == std::string::npos)
            continue;
        const std::string key = trimmed(text.substr(0, equals));
        const std::string value = trimmed(text.substr(equals + 1));
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return false;
    }
    return true;
}

std::string autostartExecValue(const std::string &program, const std::string &home)
{
    if (home.empty())
        return execArgument(program);
    return "env " + execArgument("TIDEWELL_HOME=" + home) + " " + execArgument(program);
}

void setStartAtLogin(bool on, const std::string &program)
{
    const std::string path = autostartFilePath();
    const QString file = QString::fromStdString(path);
    if (!on) {
        if (QFile::exists(file) && !QFile::remove(file))
            throw EStoreError("Tidewell could not be kept from starting at login: " + path + " cannot be removed.",
                              QFile(file).errorString().toStdString());
        return;
    }
    const std::string home = qEnvironmentVariable("TIDEWELL_HOME").toStdString();
    if (program.find('\n') != std::string::npos || home.find('\n') != std::string::npos)
        throw EStoreError("Tidewell cannot be started at login from a path that holds a line break: " + program,
                          "line break in path");
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Tidewell\n"
                              "Comment=Junk mail filter, started at login\n"
                              "Exec=" + autostartExecValue(program, home) + "\n"
                              "Icon=tidewell\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    std::string why;
    if (!QDir().mkpath(QString::fromStdString(folderOf(path))) || !writeFileAtomically(path, entry, 0644, &why))
        throw EStoreError("Tidewell could not be set to start at login: " + path + " cannot be written" +
                              (why.empty() ? "." : " (" + why + ")."),
                          why);
}

} // namespace tw

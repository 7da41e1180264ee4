#include "settings/log_naming.h"

#include "platform/clock_locale.h"
#include "platform/private_files.h"
#include "platform/text_file.h"

#include <cstdio>

namespace tw {

std::string applyLogNaming(const std::string &path, LogNaming naming, TDateTime now)
{
    if (naming == LogNaming::AsIs)
        return path;
    const QDate date = toQDate(now);
    char twoDigitYear[8];
    std::snprintf(twoDigitYear, sizeof twoDigitYear, "%02d", date.year() % 100);
    const std::string name = naming == LogNaming::Month
                                 ? englishMonthAbbreviation(date.month()) + std::string(twoDigitYear) + ".txt"
                                 : "Q" + std::to_string((date.month() - 1) / 3 + 1) + "_" + twoDigitYear + ".txt";
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + name;
}

bool prepareLogFolder(const std::string &path)
{
    if (path.empty())
        return true;
    const std::string folder = folderOf(path);
    return !folder.empty() && makePrivateFolders(folder);
}

} // namespace tw

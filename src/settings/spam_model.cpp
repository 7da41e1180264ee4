#include "settings/spam_model.h"

#include "platform/paths.h"
#include "settings/settings_store.h"

#include <QFile>

namespace tw {

void SpamSettingsModel::readSettings()
{
    m_unreadable.reset();
    RuleKind failed{};
    try {
        loadRuleTables(rules, programFolder(), &failed);
    } catch (const ERuleFileError &) {
        m_unreadable = failed;
        throw;
    }
    tests = readSpamTestSettings();
}

void SpamSettingsModel::Savesettings()
{
    const std::string folder = programFolder();
    if (m_unreadable) {
        const QString file = QString::fromStdString(folder + "/" + ruleFileName(*m_unreadable));
        const QString backup = file + QStringLiteral(".bak");
        if (QFile::exists(file) && !QFile::exists(backup))
            QFile::copy(file, backup);
        m_unreadable.reset();
    }
    saveRuleTables(rules, folder);
    saveSpamTestSettings(tests);
}

} // namespace tw

#include "settings/spam_model.h"

#include "platform/paths.h"
#include "settings/settings_store.h"

#include <QFile>

namespace tw {

static constexpr RuleKind kReadOrder[] = {RuleKind::Subject, RuleKind::Header, RuleKind::Sender,
                                          RuleKind::Exception};

void SpamSettingsModel::readSettings()
{
    const std::string folder = programFolder();
    for (RuleKind kind : kReadOrder) {
        try {
            loadRuleFile(kind, rules.table(kind), folder + "/" + ruleFileName(kind));
            m_unreadable[size_t(kind)] = false;
        } catch (const ERuleFileError &) {
            m_unreadable[size_t(kind)] = true;
            throw;
        }
    }
    tests = readSpamTestSettings();
}

void SpamSettingsModel::Savesettings()
{
    const std::string folder = programFolder();
    for (RuleKind kind : kReadOrder) {
        const std::string path = folder + "/" + ruleFileName(kind);
        if (m_unreadable[size_t(kind)]) {
            const QString file = QString::fromStdString(path);
            const QString backup = file + QStringLiteral(".bak");
            if (QFile::exists(file) && !QFile::exists(backup))
                QFile::copy(file, backup);
            m_unreadable[size_t(kind)] = false;
        }
        saveRuleFile(rules.table(kind), path);
    }
    saveSpamTestSettings(tests);
}

} // namespace tw

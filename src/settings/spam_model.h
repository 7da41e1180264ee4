#pragma once
// The spam settings as the program works with them: the four rule tables and
// the spam-test settings. The spam settings window owns one instance and
// edits it; the classification reads it in place whether the window is
// shown or not.

#include "classify/rule_files.h"
#include "classify/spam_test_settings.h"

#include <optional>
#include <string>

namespace tw {

class SpamSettingsModel {
public:
    RuleTables rules;
    SpamTestSettings tests;

    // readSettings: the four rule files from the program folder, then the
    // ini values. A damaged rule file raises ERuleFileError (the caller shows
    // it); the files after it and the ini values are not read then.
    void readSettings();
    // Savesettings: the four rule files and the ini values. A rule file that
    // could not be read is copied to "<file>.bak" before it is first
    // overwritten, so rules in a damaged file are never lost. Raises
    // ERuleFileError or EStoreError when a file cannot be written.
    void Savesettings();

private:
    std::optional<RuleKind> m_unreadable; // the rule file whose last read failed
};

} // namespace tw

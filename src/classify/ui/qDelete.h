#pragma once
// The dialog that turns selected messages into subject and sender rules
// that delete such mail from now on.

#include "classify/rule_files.h"

#include <QDialog>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QTableWidget;

namespace tw {

class TfrmMarkForDeletion : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMessageRows = 249;

    // Rules: the tables the new rules go into. SaveSettings: writes the rule
    // files (and the rest of the spam settings); what it raises is shown as
    // an error.
    TfrmMarkForDeletion(RuleTables &rules, std::function<void()> saveSettings, QWidget *parent = nullptr);

    // Shows the messages (subject, sender address), the first 249 only.
    void setMessages(const std::vector<std::pair<std::string, std::string>> &messages);

    // OK: adds the rules of every shown message with a subject, in grid
    // order (each ahead of the rules before it), saves and closes.
    void accept() override;

    QTableWidget *StringGrid1;
    QCheckBox *cbSubject;
    QCheckBox *cbFrom;

private:
    RuleTables &m_rules;
    std::function<void()> m_saveSettings;
};

} // namespace tw

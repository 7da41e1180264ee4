#include "classify/ui/qDelete.h"

#include "classify/ui/dialog_parts.h"
#include "classify/list_command_rules.h"
#include "net/errors.h"
#include "platform/bytes.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tw {

TfrmMarkForDeletion::TfrmMarkForDeletion(RuleTables &rules, std::function<void()> saveSettings, QWidget *parent)
    : QDialog(parent)
    , StringGrid1(new QTableWidget(kMessageRows, 2, this))
    , cbSubject(new QCheckBox(QStringLiteral("Always &delete mail with these particular subject headings"), this))
    , cbFrom(new QCheckBox(QStringLiteral("&Always delete mail from these particular senders"), this))
    , m_rules(rules)
    , m_saveSettings(std::move(saveSettings))
{
    setObjectName(QStringLiteral("frmMarkForDeletion"));
    setWindowTitle(QStringLiteral("Mark e-mail for deletion"));
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Rules to add"));
    cbSubject->setObjectName(QStringLiteral("cbSubject"));
    cbFrom->setObjectName(QStringLiteral("cbFrom"));
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("Subject"), QStringLiteral("From")});
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setColumnWidth(0, 300);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    cbSubject->setChecked(true);
    cbFrom->setChecked(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("Mark these messages to delete"), this));
    layout->addWidget(StringGrid1, 1);
    layout->addWidget(cbSubject);
    layout->addWidget(cbFrom);
    layout->addWidget(makeOkCancel(this));
    resize(620, 420);
}

void TfrmMarkForDeletion::setMessages(const std::vector<std::pair<std::string, std::string>> &messages)
{
    StringGrid1->clearContents();
    const int count = std::min<int>(static_cast<int>(messages.size()), kMessageRows);
    for (int i = 0; i < count; ++i) {
        StringGrid1->setItem(i, 0, new QTableWidgetItem(toDisplay(messages[size_t(i)].first)));
        StringGrid1->setItem(i, 1, new QTableWidgetItem(toDisplay(messages[size_t(i)].second)));
    }
}

void TfrmMarkForDeletion::accept()
{
    for (int row = 0; row < kMessageRows; ++row) {
        const QTableWidgetItem *subject = StringGrid1->item(row, 0);
        if (!subject || subject->text().isEmpty())
            continue;
        const QTableWidgetItem *sender = StringGrid1->item(row, 1);
        addMarkedMessageRules(m_rules, fromDisplay(subject->text()), sender ? fromDisplay(sender->text()) : "",
                              cbSubject->isChecked(), cbFrom->isChecked());
    }
    try {
        if (m_saveSettings)
            m_saveSettings();
    } catch (const std::exception &e) {
        Prompts::current().error(e.what());
    }
    QDialog::accept();
}

} // namespace tw

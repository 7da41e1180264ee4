// The spam settings window's commands on rule rows: insert, edit, delete,
// move, print and import.

#include "settings/ui/optsmain.h"

#include "classify/ui/header.h"
#include "classify/ui/import.h"
#include "classify/ui/optalway.h"
#include "classify/ui/optfrom.h"
#include "classify/ui/optsubj.h"
#include "net/errors.h"
#include "platform/prompts.h"
#include "settings/rule_grid_ops.h"
#include "settings/ui/rule_grid_print.h"
#include "settings/ui/rule_grid_view.h"

#include <QPrinter>

namespace tw {

namespace {

constexpr const char *kNothingToEdit = "Error: nothing selected to edit";

// Runs Dialog; on OK writes it into the row Target returns via Write.
template <typename Dialog, typename Write>
bool confirmAndWrite(Dialog &dialog, RuleTable &table, const std::function<int()> &target, Write write)
{
    if (dialog.exec() != QDialog::Accepted)
        return false;
    write(dialog.fields(), table, target());
    return true;
}

} // namespace

bool TfrmOptionsMain::runRuleDialog(RuleKind kind, int row, const std::function<int()> &target)
{
    RuleTable &table = m_model.rules.table(kind);
    const bool editing = row > 0;
    switch (kind) {
    case RuleKind::Subject: {
        TfrmOptionsSubject dialog(this);
        if (editing)
            dialog.setFields(subjectFieldsFromRow(table, row, dialog.fields()));
        return confirmAndWrite(dialog, table, target, writeSubjectRow);
    }
    case RuleKind::Sender: {
        TfrmOptionsFROM dialog(this);
        dialog.setCountryButtonVisible(!editing);
        if (editing)
            dialog.setFields(senderFieldsFromRow(table, row, dialog.fields()));
        return confirmAndWrite(dialog, table, target, writeSenderRow);
    }
    case RuleKind::Header: {
        TfrmHeaders dialog(MailboxLines ? MailboxLines() : std::vector<std::string>(), this);
        dialog.setCountryButtonVisible(!editing);
        if (editing)
            dialog.setFields(headerFieldsFromRow(table, row, dialog.fields()));
        return confirmAndWrite(dialog, table, target, writeHeaderRow);
    }
    case RuleKind::Exception: {
        TfrmAlwaysAccept dialog(this);
        if (editing)
            dialog.setFields(exceptionFieldsFromRow(table, row, dialog.fields()));
        return confirmAndWrite(dialog, table, target, writeExceptionRow);
    }
    }
    return false;
}

void TfrmOptionsMain::insertRule(RuleKind kind)
{
    RuleGridView *view = grid(kind);
    RuleTable &table = m_model.rules.table(kind);
    int inserted = 0;
    const bool done = runRuleDialog(kind, 0, [&] {
        inserted = insertRuleRow(table, view->currentRuleRow());
        return inserted;
    });
    view->refresh();
    if (done)
        view->setCurrentRuleRow(inserted);
    updateCounts();
}

void TfrmOptionsMain::editRule(RuleKind kind)
{
    RuleGridView *view = grid(kind);
    RuleTable &table = m_model.rules.table(kind);
    const int row = view->currentRuleRow();
    const int keyColumn = kind == RuleKind::Exception ? col::ExceptCondition : col::What;
    if (table.cell(keyColumn, row).empty()) {
        if (kind == RuleKind::Sender)
            Prompts::current().information(kNothingToEdit);
        else
            Prompts::current().error(kNothingToEdit);
        return;
    }
    runRuleDialog(kind, row, [row] { return row; });
    view->refresh();
    view->setCurrentRuleRow(row);
    updateCounts();
}

void TfrmOptionsMain::deleteRule(RuleKind kind)
{
    RuleGridView *view = grid(kind);
    const int row = view->currentRuleRow();
    tw::deleteRule(m_model.rules.table(kind), row);
    view->refresh();
    view->setCurrentRuleRow(std::min(row, m_model.rules.table(kind).RowCount() - 1));
    updateCounts();
}

void TfrmOptionsMain::btUpSubjectClick(RuleKind kind)
{
    RuleGridView *view = grid(kind);
    const int row = moveRuleUp(m_model.rules.table(kind), view->currentRuleRow());
    view->refresh();
    view->setCurrentRuleRow(row);
}

void TfrmOptionsMain::btDownSubjectClick(RuleKind kind)
{
    RuleGridView *view = grid(kind);
    const int row = moveRuleDown(m_model.rules.table(kind), view->currentRuleRow());
    view->refresh();
    view->setCurrentRuleRow(row);
}

void TfrmOptionsMain::printRules(RuleKind kind)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!SetUpPrinter || !SetUpPrinter(printer))
        return;
    printRuleTable(printer, kind, m_model.rules.table(kind));
}

void TfrmOptionsMain::importRules(RuleKind kind)
{
    TfrmImportSpam dialog(kind == RuleKind::Exception, this);
    if (dialog.exec() == QDialog::Accepted) {
        RuleTable &table = m_model.rules.table(kind);
        if (kind == RuleKind::Exception)
            importExceptionLines(table, dialog.lines());
        else
            importSubjectLines(table, dialog.lines());
    }
    Savesettings();
    grid(kind)->refresh();
    updateCounts();
}

} // namespace tw

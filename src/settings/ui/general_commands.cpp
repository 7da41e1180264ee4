// TfrmGeneral: the commands besides OK and Cancel.

#include "settings/ui/general.h"

#include "platform/bytes.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/ui/mailSearch.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tw {
namespace {

// A file dialog starting at Current; "" when cancelled.
std::string chooseFile(QWidget *parent, QFileDialog::AcceptMode mode, const QString &filter, const QString &suffix,
                       const std::string &current)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (!current.empty())
        dialog.selectFile(toDisplay(current));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return fromDisplay(dialog.selectedFiles().front());
}

} // namespace

void TfrmGeneral::btViewClick()
{
    if (!Shell::current().openDocument(fromDisplay(Edit1->text())))
        Prompts::current().error("Unable to open log file. ");
}

void TfrmGeneral::btClearClick()
{
    if (!Prompts::current().yesNo(
            "If you answer Yes, you will lose any statistics related to this log file. Really clear out log file?"))
        return;
    const QString path = Edit1->text();
    if (QFileInfo::exists(path) && !QFile::remove(path))
        Prompts::current().error("Unable to delete " + fromDisplay(path));
}

void TfrmGeneral::btResetClick()
{
    if (Prompts::current().yesNo("Really reset spam counter?"))
        edCount->setText(QStringLiteral("0"));
}

void TfrmGeneral::btStatsClick()
{
    if (m_commands.showStatistics)
        m_commands.showStatistics();
}

void TfrmGeneral::btDeletedMailClick()
{
    if (m_commands.showDeletedMail)
        m_commands.showDeletedMail();
}

void TfrmGeneral::btLaunchClick()
{
    // The launch command starts the program this window names, saved or not.
    m_model.general.Mailer = fromDisplay(edMail->text());
    if (m_commands.launchMailProgram)
        m_commands.launchMailProgram();
}

void TfrmGeneral::btHelpClick()
{
    if (m_commands.showHelp)
        m_commands.showHelp();
}

void TfrmGeneral::sbTestClick()
{
    Sound &sound = Sound::current();
    if (sbTest->text() == QStringLiteral("Stop")) {
        sbTest->setText(QStringLiteral("Test"));
        sound.stop();
        return;
    }
    const bool repeat = cbRepeat->isChecked();
    if (repeat)
        sbTest->setText(QStringLiteral("Stop"));
    const std::string file = fromDisplay(edAlarm->text());
    if (!file.empty() && QFileInfo::exists(edAlarm->text()))
        sound.play(file, repeat);
}

void TfrmGeneral::SpeedButton1Click()
{
    const std::string chosen = chooseFile(this, QFileDialog::AcceptSave,
                                          QStringLiteral("Text files (*.txt);;All files (*)"), QStringLiteral("txt"),
                                          fromDisplay(Edit1->text()));
    if (!chosen.empty())
        Edit1->setText(toDisplay(chosen));
}

void TfrmGeneral::SpeedButton2Click()
{
    TfrmMailProgramSearch search(this);
    if (search.exec() == QDialog::Accepted && !search.Result().empty())
        edMail->setText(toDisplay(search.Result()));
}

void TfrmGeneral::SpeedButton3Click()
{
    const std::string chosen = chooseFile(this, QFileDialog::AcceptOpen,
                                          QStringLiteral("Sound files (*.wav);;All files (*)"), QStringLiteral("wav"),
                                          fromDisplay(edAlarm->text()));
    if (!chosen.empty())
        edAlarm->setText(toDisplay(chosen));
}

void TfrmGeneral::cbKillClick() { showPanels(); }

void TfrmGeneral::rbManualClick() { showPanels(); }

} // namespace tw

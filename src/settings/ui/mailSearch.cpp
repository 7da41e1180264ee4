#include "settings/ui/mailSearch.h"

#include "platform/bytes.h"
#include "settings/ui/fileSearch.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {
namespace {

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");

} // namespace

const std::vector<std::pair<std::string, std::string>> &TfrmMailProgramSearch::Entries()
{
    static const std::vector<std::pair<std::string, std::string>> entries = {
        {"Other", ""},
        {"Eudora", "eudora.exe"},
        {"Microsoft Exchange", "exchng32.exe"},
        {"Microsoft Outlook Express", "msimn.exe"},
        {"Microsoft Outlook", "outlook.exe"},
        {"Netscape", "netscape.exe"},
        {"Netscape 6", "netscp6.exe"},
        {"Thunderbird", "thunderbird"},
        {"Evolution", "evolution"},
        {"KMail", "kmail"},
        {"Claws Mail", "claws-mail"},
        {"Geary", "geary"},
        {"Sylpheed", "sylpheed"},
    };
    return entries;
}

TfrmMailProgramSearch::TfrmMailProgramSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMailProgramSearch"));
    setWindowTitle(QStringLiteral("Search for mail program"));
    auto *heading = new QLabel(QStringLiteral("Search for mail program"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);
    auto *prompt = new QLabel(QStringLiteral("Select your mail program"), this);
    lbWhich = new QListWidget(this);
    lbWhich->setObjectName(QStringLiteral("lbWhich"));
    lbWhich->setAccessibleName(QStringLiteral("Mail programs found"));
    for (const auto &entry : Entries())
        lbWhich->addItem(toDisplay(entry.first));
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(prompt);
    layout->addWidget(lbWhich, 1);
    layout->addLayout(buttons);
    resize(320, 340);

    connect(btOK, &QPushButton::clicked, this, &TfrmMailProgramSearch::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbWhich, &QListWidget::itemDoubleClicked, this, &TfrmMailProgramSearch::btOKClick);
}

void TfrmMailProgramSearch::showEvent(QShowEvent *event)
{
    lbWhich->setCurrentRow(0); // "Other"
    QDialog::showEvent(event);
}

void TfrmMailProgramSearch::btOKClick()
{
    m_result.clear();
    const int row = lbWhich->currentRow();
    if (row == 0)
        chooseOtherProgram();
    else if (row > 0 && row < int(Entries().size()))
        searchFor(Entries()[size_t(row)].second);
    accept();
}

void TfrmMailProgramSearch::chooseOtherProgram()
{
    // Programs here have no extension: the first filter lists the files that
    // may be run, the second every file.
    QFileDialog dialog(this, QStringLiteral("Mail program"), QStringLiteral("/usr/bin"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({kProgramsFilter, kAllFilesFilter});
    const QDir::Filters programs = QDir::AllDirs | QDir::Executable | QDir::Files | QDir::NoDotAndDotDot;
    dialog.setFilter(programs);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, programs](const QString &filter) {
        dialog.setFilter(filter == kProgramsFilter ? programs : QDir::AllEntries | QDir::NoDotAndDotDot);
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_result = fromDisplay(dialog.selectedFiles().front());
}

void TfrmMailProgramSearch::searchFor(const std::string &fileName)
{
    TfrmFileSearch search(this);
    search.StartFolder = StartFolder;
    search.Target = fileName;
    if (search.exec() == QDialog::Accepted)
        m_result = search.ChosenPath();
}

} // namespace tw

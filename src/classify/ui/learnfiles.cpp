#include "classify/ui/learnfiles.h"

#include "classify/file_training.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

namespace {

// The window is redrawn and the Cancel button heard this often while training.
constexpr qint64 kEventsEveryMs = 50;

template <class W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TfrmLearnFiles::TfrmLearnFiles(LearnedFilter &filter, QWidget *parent)
    : QDialog(parent)
    , edPath(named(new QLineEdit(this), "edPath"))
    , btFolder(named(new QPushButton(QStringLiteral("&Folder..."), this), "btFolder"))
    , btFile(named(new QPushButton(QStringLiteral("F&ile..."), this), "btFile"))
    , rbJunk(named(new QRadioButton(QStringLiteral("&Junk"), this), "rbJunk"))
    , rbOrdinary(named(new QRadioButton(QStringLiteral("&Ordinary mail"), this), "rbOrdinary"))
    , ProgressBar1(named(new QProgressBar(this), "ProgressBar1"))
    , lblProgress(named(new QLabel(this), "lblProgress"))
    , btTrain(named(new QPushButton(QStringLiteral("&Train"), this), "btTrain"))
    , btClose(named(new QPushButton(QStringLiteral("Close"), this), "btClose"))
    , m_filter(filter)
{
    setObjectName(QStringLiteral("frmLearnFiles"));
    setWindowTitle(QStringLiteral("Train from files"));
    auto *classes = new QButtonGroup(this);
    classes->addButton(rbJunk);
    classes->addButton(rbOrdinary);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    lblProgress->setWordWrap(true);
    btTrain->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Messages to learn from: a folder of .eml files, a Maildir folder "
                                                "or an mbox file. Only each message's header lines are used."),
                                 this));
    auto *pathRow = new QHBoxLayout;
    edPath->setAccessibleName(QStringLiteral("Folder or file to learn from"));
    pathRow->addWidget(edPath, 1);
    pathRow->addWidget(btFolder);
    pathRow->addWidget(btFile);
    layout->addLayout(pathRow);
    auto *classRow = new QHBoxLayout;
    classRow->addWidget(new QLabel(QStringLiteral("Learn them as:"), this));
    classRow->addWidget(rbJunk);
    classRow->addWidget(rbOrdinary);
    classRow->addStretch(1);
    layout->addLayout(classRow);
    layout->addWidget(ProgressBar1);
    layout->addWidget(lblProgress);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btTrain);
    buttons->addWidget(btClose);
    layout->addLayout(buttons);
    resize(520, 220);

    connect(btFolder, &QPushButton::clicked, this, [this] { chooseFolder(); });
    connect(btFile, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(btTrain, &QPushButton::clicked, this, [this] { btTrainClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });
    connect(edPath, &QLineEdit::textChanged, this, [this] { updateEnabling(); });
    connect(rbJunk, &QRadioButton::toggled, this, [this] { updateEnabling(); });
    connect(rbOrdinary, &QRadioButton::toggled, this, [this] { updateEnabling(); });
    updateEnabling();
}

void TfrmLearnFiles::updateEnabling()
{
    for (QWidget *w : std::initializer_list<QWidget *>{edPath, btFolder, btFile, rbJunk, rbOrdinary})
        w->setEnabled(!m_training);
    btTrain->setEnabled(!m_training && !edPath->text().trimmed().isEmpty() &&
                        (rbJunk->isChecked() || rbOrdinary->isChecked()));
    btClose->setText(m_training ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void TfrmLearnFiles::chooseFolder()
{
    QFileDialog dialog(this, QStringLiteral("Folder of .eml files or Maildir"), edPath->text());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edPath->setText(dialog.selectedFiles().first());
}

void TfrmLearnFiles::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Mbox file or message"), edPath->text());
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edPath->setText(dialog.selectedFiles().first());
}

void TfrmLearnFiles::btTrainClick()
{
    if (m_training || !btTrain->isEnabled())
        return;
    const TrainedAs as = rbJunk->isChecked() ? TrainedAs::Spam : TrainedAs::Ham;
    m_training = true;
    m_cancel = false;
    updateEnabling();
    lblProgress->setText(QStringLiteral("Reading ..."));
    ProgressBar1->setRange(0, 0);
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    int message = 0;
    const FileTraining result =
        trainFromSource(m_filter, fromDisplay(edPath->text().trimmed()), as, [&](long long done, long long total) {
            // Called before each message, and once more at the end. The
            // window is redrawn before the first message too, so a Cancel
            // given at once is heard at once.
            if (done < total)
                ++message;
            if (message == 1 || sinceEvents.elapsed() >= kEventsEveryMs) {
                // The bar counts in thousandths: an mbox's total is its size in bytes.
                ProgressBar1->setRange(0, 1000);
                ProgressBar1->setValue(total > 0 ? int(done * 1000 / total) : 0);
                lblProgress->setText(QStringLiteral("Reading message %1 ...").arg(message));
                processPendingEvents();
                sinceEvents.restart();
            }
            return !m_cancel;
        });
    std::string text = fileTrainingText(result, as);
    std::string why;
    if (!m_filter.save(&why))
        text += " The store could not be saved: " + why + ".";
    m_training = false;
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setValue(result.canceled ? ProgressBar1->value() : 1000);
    lblProgress->setText(toDisplay(text));
    updateEnabling();
}

void TfrmLearnFiles::btCloseClick()
{
    if (m_training) {
        m_cancel = true;
        return;
    }
    accept();
}

void TfrmLearnFiles::reject()
{
    if (m_training) {
        m_cancel = true;
        return;
    }
    QDialog::reject();
}

} // namespace tw

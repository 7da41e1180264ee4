#include "settings/ui/fileSearch.h"

#include "platform/bytes.h"
#include "platform/prompts.h"
#include "platform/ui/plain_text.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>

namespace tw {
namespace {

// The status shows the folder being walked; more often than this would only
// flood the window with repaints.
constexpr auto kStatusInterval = std::chrono::milliseconds(50);

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string nameOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TfrmFileSearch::TfrmFileSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileSearch"));
    setWindowTitle(QStringLiteral("File Search"));
    resize(560, 360);

    auto *caption = new QLabel(QStringLiteral("File Search:"), this);
    lblFileName = plainLabel(new QLabel(this));
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setCursor(Qt::PointingHandCursor);
    lblFileName->setToolTip(QStringLiteral("Click to search for another file name"));
    QFont bold = lblFileName->font();
    bold.setBold(true);
    bold.setUnderline(true);
    lblFileName->setFont(bold);
    lblFileName->installEventFilter(this);
    Animate1 = new QProgressBar(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setTextVisible(false);
    Animate1->setRange(0, 1);
    Animate1->setMaximumWidth(90);

    btStart = new QPushButton(QStringLiteral("&Start search"), this);
    btStart->setObjectName(QStringLiteral("btStart"));
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btClose = new QPushButton(QStringLiteral("&Close"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    btSource = new QPushButton(this);
    btSource->setObjectName(QStringLiteral("btSource"));
    for (QPushButton *button : {btStart, btCancel, btClose, btSource})
        button->setAutoDefault(false);

    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setAccessibleName(QStringLiteral("Files found"));
    ListBox->setUniformItemSizes(true);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto *target = new QHBoxLayout;
    target->addWidget(caption);
    target->addWidget(lblFileName, 1);
    target->addWidget(Animate1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btStart);
    buttons->addWidget(btCancel);
    buttons->addWidget(btClose);
    buttons->addWidget(btSource, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(target);
    layout->addLayout(buttons);
    layout->addWidget(ListBox, 1);
    layout->addWidget(StatusBar1);

    connect(btStart, &QPushButton::clicked, this, &TfrmFileSearch::btStartClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmFileSearch::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmFileSearch::btCloseClick);
    connect(btSource, &QPushButton::clicked, this, &TfrmFileSearch::btSourceClick);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, &TfrmFileSearch::ListBoxDblClick);

    m_iterator.SetOptions(fiPath | fiDetails | fiRecurseFolders);
    m_iterator.OnActivate = [this](QObject *) {
        QMetaObject::invokeMethod(this, [this] { IteratorActivate(); }, Qt::QueuedConnection);
    };
    m_iterator.OnAddFileQuery = [this](QObject *, const std::string &fileName, const TFileInfo &, bool &canAdd) {
        IteratorAddFileQuery(fileName, canAdd);
    };
    m_iterator.OnAddFile = [this](QObject *, const std::string &fileName, const TFileInfo &) {
        QMetaObject::invokeMethod(this, [this, fileName] { IteratorAddFile(fileName); }, Qt::QueuedConnection);
    };
    m_iterator.OnTerminate = [this](QObject *) {
        QMetaObject::invokeMethod(this, [this] { IteratorTerminate(); }, Qt::QueuedConnection);
    };
    showSource();
    UpdateButtons();
}

TfrmFileSearch::~TfrmFileSearch() { stopAndWait(); }

void TfrmFileSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    lblFileName->setText(toDisplay(Target));
    showSource();
    btStartClick(); // the search starts as soon as the window is up
}

void TfrmFileSearch::showSource() { btSource->setText(QStringLiteral("Source: ") + toDisplay(StartFolder)); }

void TfrmFileSearch::btStartClick()
{
    if (m_searching)
        return;
    if (StartFolder.empty()) {
        Prompts::current().error("Invalid Source");
        return;
    }
    stopAndWait(); // the previous walk may still be leaving
    m_iterator.SetRootFolder(StartFolder);
    m_walkTarget = Target;
    showSource();
    m_searching = true;
    TFileIteratorThread::Start(m_iterator);
    UpdateButtons();
}

void TfrmFileSearch::btCancelClick()
{
    m_iterator.Stop();
    UpdateButtons();
}

void TfrmFileSearch::btCloseClick()
{
    QListWidgetItem *selected = ListBox->currentItem();
    m_chosenPath = selected && selected->isSelected() ? fromDisplay(selected->text()) : std::string();
    accept();
}

void TfrmFileSearch::btSourceClick()
{
    QFileDialog dialog(this, QStringLiteral("Select starting drive/folder"), toDisplay(StartFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    StartFolder = fromDisplay(dialog.selectedFiles().front());
    showSource();
}

void TfrmFileSearch::ListBoxDblClick()
{
    if (QListWidgetItem *item = ListBox->currentItem()) {
        m_chosenPath = fromDisplay(item->text());
        accept();
    }
}

void TfrmFileSearch::lblFileNameClick()
{
    std::string name = Target;
    if (Prompts::current().inputText("Filename search", "Filename to search (no wildcards allowed):", name) &&
        !name.empty()) {
        Target = name;
        lblFileName->setText(toDisplay(Target));
    }
}

void TfrmFileSearch::IteratorActivate()
{
    // Additions are painted together once per pass of the event loop, so
    // thousands of found files never repaint the list one by one.
    ListBox->clear();
    m_count = 0;
    UpdateButtons();
    Animate1->setRange(0, 0); // busy
}

void TfrmFileSearch::IteratorAddFileQuery(const std::string &fileName, bool &canAdd)
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastStatus >= kStatusInterval) {
        m_lastStatus = now;
        QMetaObject::invokeMethod(
            this, [this, folder = folderOf(fileName)] { StatusBar1->showMessage(toDisplay(folder)); },
            Qt::QueuedConnection);
    }
    canAdd = sameText(nameOf(fileName), m_walkTarget);
}

void TfrmFileSearch::IteratorAddFile(const std::string &fileName)
{
    ListBox->addItem(toDisplay(fileName));
    ++m_count;
    UpdateButtons();
}

void TfrmFileSearch::IteratorTerminate()
{
    m_searching = false;
    UpdateButtons();
    Animate1->setRange(0, 1);
    StatusBar1->showMessage(QStringLiteral("Files found: %1").arg(m_count));
    if (ListBox->count() > 0) {
        ListBox->setCurrentRow(0);
        ListBox->setFocus();
    }
}

void TfrmFileSearch::UpdateButtons()
{
    const bool idle = !m_searching;
    btStart->setEnabled(idle);
    btCancel->setEnabled(!idle && !m_iterator.StopRequested());
    btClose->setEnabled(idle);
    btSource->setEnabled(idle);
    btClose->setText(ListBox->count() > 0 ? QStringLiteral("Select") : QStringLiteral("&Close"));
}

void TfrmFileSearch::stopAndWait()
{
    m_iterator.Stop();
    while (!m_iterator.Idle())
        QThread::msleep(5);
}

void TfrmFileSearch::done(int result)
{
    stopAndWait();
    QDialog::done(result);
}

void TfrmFileSearch::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_searching)
            btCancelClick();
        else
            btCloseClick();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_searching)
            btStartClick();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool TfrmFileSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblFileName && event->type() == QEvent::MouseButtonRelease) {
        lblFileNameClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tw

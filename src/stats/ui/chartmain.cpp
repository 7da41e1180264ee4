#include "stats/ui/chartmain.h"

#include "platform/bytes.h"
#include "platform/prompts.h"
#include "settings/settings_store.h"
#include "stats/activity_log.h"
#include "stats/ui/chartit.h"
#include "stats/ui/widget_names.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPromise>
#include <QShowEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace tw {

namespace {

bool g_viewing = false;
int g_launchers = 0;
const int kProgressSteps = 1000;

// Runs on a pool thread: nothing here may touch a window.
void readLog(QPromise<LogReadResult> &promise, const std::string &path)
{
    promise.setProgressRange(0, kProgressSteps);
    LogReadResult result;
    result.data = readInLogFile(
        path, result.error,
        [&promise](long long position, long long size) {
            promise.setProgressValue(size > 0 ? int(position * kProgressSteps / size) : kProgressSteps);
        },
        [&promise] { return promise.isCanceled(); });
    promise.addResult(std::move(result));
}

} // namespace

TfrmChartMain::TfrmChartMain(QWidget *parent) : QDialog(parent)
{
    ++g_launchers;
    setObjectName(QStringLiteral("frmChartMain"));
    setWindowTitle(QStringLiteral("Activity Log Statistics for Tidewell"));
    lblLogFile = named(new QLabel(QStringLiteral("Open existing activity log:")), "lblLogFile");
    edLogFile = named(new QLineEdit, "edLogFile");
    edLogFile->setMinimumWidth(360);
    lblLogFile->setBuddy(edLogFile);
    btBrowse = named(new QPushButton(QStringLiteral("...")), "btBrowse");
    btBrowse->setToolTip(QStringLiteral("Browse for log file"));
    btBrowse->setAccessibleName(btBrowse->toolTip()); // "..." says nothing read out
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
    ProgressBar1->setRange(0, kProgressSteps);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    btOK = named(new QPushButton(QStringLiteral("OK")), "btOK");
    btCancel = named(new QPushButton(QStringLiteral("Cancel")), "btCancel");
    btOK->setDefault(true);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(edLogFile, 1);
    pathRow->addWidget(btBrowse);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ProgressBar1, 1);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblLogFile);
    layout->addLayout(pathRow);
    layout->addLayout(buttons);

    connect(btBrowse, &QPushButton::clicked, this, &TfrmChartMain::btBrowseClick);
    connect(btOK, &QPushButton::clicked, this, &TfrmChartMain::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmChartMain::reject);
    connect(&m_reading, &QFutureWatcher<LogReadResult>::progressValueChanged, ProgressBar1,
            &QProgressBar::setValue);
    connect(&m_reading, &QFutureWatcher<LogReadResult>::finished, this, &TfrmChartMain::readingFinished);
}

TfrmChartMain::~TfrmChartMain()
{
    // A reading still under way finishes on its own and is thrown away.
    m_reading.cancel();
    endViewing();
    --g_launchers;
}

bool TfrmChartMain::viewingInProgress() { return g_viewing; }
bool TfrmChartMain::isOpen() { return g_launchers > 0; }

void TfrmChartMain::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        edLogFile->setText(toDisplay(readGeneralSettings().Logfile));
    QDialog::showEvent(event);
}

void TfrmChartMain::btBrowseClick()
{
    QFileDialog dialog(this, QStringLiteral("Location of Tidewell activity log file"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Activity log files (*.txt)"), QStringLiteral("All files (*)")});
    const QString current = toDisplay(resolveLogPath(fromDisplay(edLogFile->text())));
    dialog.setDirectory(QFileInfo(current).absolutePath());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edLogFile->setText(dialog.selectedFiles().front());
}

void TfrmChartMain::btOKClick()
{
    if (g_viewing)
        return;
    g_viewing = m_viewing = true;
    btOK->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    setCursor(Qt::BusyCursor);
    const std::string path = resolveLogPath(fromDisplay(edLogFile->text()));
    m_reading.setFuture(QtConcurrent::run(readLog, path));
}

void TfrmChartMain::readingFinished()
{
    QFuture<LogReadResult> future = m_reading.future();
    // Closed while reading: the user has gone, whatever the reading found.
    if (future.isCanceled() || !m_viewing)
        return;
    LogReadResult result = future.resultCount() > 0 ? future.takeResult() : LogReadResult{};
    ProgressBar1->hide();
    unsetCursor();
    if (!result.data) {
        if (!result.error.empty())
            Prompts::current().error(result.error);
        endViewing();
        accept();
        return;
    }
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        TfrmChart chart(std::move(*result.data));
        result = {};
        QApplication::restoreOverrideCursor();
        hide();
        emit chartReady(&chart);
        chart.exec();
    }
    endViewing();
    accept();
}

void TfrmChartMain::reject()
{
    m_reading.cancel();
    endViewing();
    QDialog::reject();
}

void TfrmChartMain::endViewing()
{
    if (m_viewing)
        g_viewing = m_viewing = false;
}

void showStatisticsLauncher(QWidget *parent)
{
    if (TfrmChartMain::isOpen() || TfrmChartMain::viewingInProgress())
        return;
    TfrmChartMain launcher(parent);
    launcher.exec();
}

} // namespace tw

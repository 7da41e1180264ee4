#include "stats/ui/chartit.h"

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "stats/daterange.h"
#include "stats/ui/daterange.h"
#include "stats/ui/stats_charts.h"
#include "stats/ui/stats_table_model.h"
#include "stats/ui/table_print.h"
#include "stats/ui/widget_names.h"
#include "platform/ui/plain_text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

namespace {

// The hourglass for the length of a redraw.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QPushButton *button(const char *caption, const char *name, const char *hint = nullptr)
{
    auto *b = named(new QPushButton(QString::fromLatin1(caption)), name);
    if (hint)
        b->setToolTip(QString::fromLatin1(hint));
    return b;
}

// Draws Chart scaled to fit the printer's page, keeping its proportions.
void printChart(QPrinter &printer, QGraphicsView &chart)
{
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect source = chart.viewport()->rect();
    QSize size = source.size();
    size.scale(painter.viewport().size(), Qt::KeepAspectRatio);
    chart.render(&painter, QRectF(QPointF(0, 0), size), source);
}

} // namespace

TfrmChart::TfrmChart(ActivityLogData data, QWidget *parent)
    : QDialog(parent), m_data(std::move(data)), m_range(initialStatsRange(Clock::now()))
{
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QStringLiteral("Chart of Activity"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(940, 680);

    lblTitle = named(plainLabel(new QLabel(QStringLiteral("All Mailboxes"))), "lblTitle"); // mailbox names come from the log
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);

    chartDayOfWeek = named(new WeekdayChartView, "chartDayOfWeek");
    chartHourOfDay = named(new HalfHourChartView, "chartHourOfDay");
    chartDayByDay = named(new DayChartView, "chartDayByDay");
    chartPie = named(new PieChartView, "chartPie");
    chartTopDomains = named(new TopTenChartView(QStringLiteral("Top 10 Spam Domains")), "chartTopDomains");
    chartTopSpammers = named(new TopTenChartView(QStringLiteral("Top 10 Spammers")), "chartTopSpammers");
    // Drawn charts: a screen reader gets their subject and how to move them;
    // the Traffic and Spam tables hold the same figures as text.
    const QString moving = QStringLiteral(" + and - zoom, the arrow keys move the chart, Home resets it; the "
                                          "Traffic and Spam pages list the figures.");
    const std::pair<QChartView *, QString> charts[] = {
        {chartDayOfWeek, QStringLiteral("Messages by day of the week")},
        {chartHourOfDay, QStringLiteral("Messages by half-hour of the day")},
        {chartDayByDay, QStringLiteral("Messages day by day")},
        {chartPie, QStringLiteral("Share of junk")},
        {chartTopDomains, QStringLiteral("Top 10 spam domains")},
        {chartTopSpammers, QStringLiteral("Top 10 spammers")},
    };
    for (const auto &[chart, name] : charts) {
        chart->setAccessibleName(name);
        chart->setAccessibleDescription(QStringLiteral("Chart of ") + name.toLower() + QLatin1Char('.') + moving);
    }
    modelTraffic = new StatsTableModel(StatsTableModel::Kind::Traffic, this);
    modelSpam = new StatsTableModel(StatsTableModel::Kind::Spam, this);
    gridTraffic = table(modelTraffic, "gridTraffic", {90, 80, 170, 170, 70});
    gridSpam = table(modelSpam, "gridSpam", {90, 80, 150, 130, 70, 220, 160});
    gridTraffic->setAccessibleName(QStringLiteral("Traffic by day"));
    gridSpam->setAccessibleName(QStringLiteral("Junk by day"));

    PageControl1 = named(new QTabWidget, "PageControl1");
    PageControl1->addTab(chartDayOfWeek, QStringLiteral("Day of week"));
    PageControl1->addTab(chartPage(chartHourOfDay, &sbTime, {&cbFoundHour, &cbDeletedHour, &cbCheckedHour},
                                   chartHourOfDay, "sbTime", {"cbFoundHour", "cbDeletedHour", "cbCheckedHour"}),
                         QStringLiteral("Hour of day"));
    PageControl1->addTab(chartPage(chartDayByDay, &sbDayDay, {&cbFound, &cbDeleted, &cbChecked}, chartDayByDay,
                                   "sbDayDay", {"cbFound", "cbDeleted", "cbChecked"}),
                         QStringLiteral("Day by day"));
    PageControl1->addTab(chartPie, QStringLiteral("% Deleted"));
    PageControl1->addTab(chartTopDomains, QStringLiteral("Top 10 Spam Domains"));
    PageControl1->addTab(chartTopSpammers, QStringLiteral("Top 10 Spammers"));
    PageControl1->addTab(gridTraffic, QStringLiteral("Email traffic"));
    PageControl1->addTab(gridSpam, QStringLiteral("Spam Deleted"));

    // The hints panel sits at the bottom right, above the buttons.
    pnlHints = named(new QFrame, "pnlHints");
    pnlHints->setFrameShape(QFrame::StyledPanel);
    auto *hints = new QVBoxLayout(pnlHints);
    auto *hintsTitle = new QLabel(QStringLiteral("Graph Zoom/Navigation Hints"));
    QFont bold = hintsTitle->font();
    bold.setBold(true);
    hintsTitle->setFont(bold);
    hints->addWidget(hintsTitle);
    for (const char *line : {"Left click and drag mouse from upper left to lower right to zoom",
                             "Left click and drag mouse from lower right to upper left to reset",
                             "Right click and drag mouse to move graph"})
        hints->addWidget(new QLabel(QString::fromLatin1(line)));
    btHintOK = button("OK", "btHintOK");
    hints->addWidget(btHintOK, 0, Qt::AlignRight);
    pnlHints->hide();
    auto *hintsRow = new QHBoxLayout;
    hintsRow->addStretch();
    hintsRow->addWidget(pnlHints);

    cbMailbox = named(new QComboBox, "cbMailbox");
    cbMailbox->setMinimumContentsLength(18);
    cbMailbox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const std::string &mailbox : m_data.mailboxes)
        cbMailbox->addItem(toDisplay(mailbox));
    auto *selectLabel = new QLabel(QStringLiteral("&Select :"));
    selectLabel->setBuddy(cbMailbox);
    btPlot = button("Redraw", "btPlot", "Click here after changing the mailbox to view");
    btDateRange = button("Date Range", "btDateRange");
    btHint = button("Hints", "btHint", "Hints on graph scroll/zoom");
    btPrint = button("Print", "btPrint", "Print this page");
    btSavePicture = button("Save &Picture", "btSavePicture", "Save this page as a PNG picture");
    btCopy = button("&Copy", "btCopy", "Copy this table as text, or this chart as a picture");
    btClose = button("Close", "btClose", "Return to Tidewell");
    // Two rows, so that the window fits a small screen or a large scale.
    auto *choice = new QHBoxLayout;
    choice->addWidget(selectLabel);
    choice->addWidget(cbMailbox);
    for (QPushButton *b : {btPlot, btDateRange})
        choice->addWidget(b);
    choice->addStretch();
    auto *commands = new QHBoxLayout;
    for (QPushButton *b : {btHint, btPrint, btSavePicture, btCopy})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(btClose);
    auto *bottom = new QVBoxLayout;
    bottom->addLayout(choice);
    bottom->addLayout(commands);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(hintsRow);
    layout->addLayout(bottom);

    frmSelectDateRange = new TfrmSelectDateRange(this);

    connect(btPlot, &QPushButton::clicked, this, &TfrmChart::btPlotClick);
    connect(btDateRange, &QPushButton::clicked, this, &TfrmChart::btDateRangeClick);
    connect(btHint, &QPushButton::clicked, this, &TfrmChart::btHintClick);
    connect(btHintOK, &QPushButton::clicked, pnlHints, &QWidget::hide);
    connect(btPrint, &QPushButton::clicked, this, &TfrmChart::btPrintClick);
    connect(btSavePicture, &QPushButton::clicked, this, &TfrmChart::btSavePictureClick);
    connect(btCopy, &QPushButton::clicked, this, &TfrmChart::btCopyClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    // The records were read once; what the window shows comes from them.
    fillInGrids();
    PlotReadings();
    RecomputePie();
    PageControl1->setCurrentIndex(0);
    updateTitle();
}

TfrmChart::~TfrmChart() = default;

QWidget *TfrmChart::chartPage(QWidget *chart, QScrollBar **depth, std::array<QCheckBox **, 3> boxes,
                              LineChartView *lines, const char *depthName, std::array<const char *, 3> boxNames)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart, 1);
    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Depth:")));
    *depth = named(new QScrollBar(Qt::Horizontal), depthName);
    (*depth)->setRange(5, 70);
    (*depth)->setSingleStep(5);
    (*depth)->setPageStep(5);
    (*depth)->setValue(lines->depth());
    (*depth)->setMinimumWidth(160);
    controls->addWidget(*depth);
    controls->addSpacing(20);
    const std::array<const char *, 3> captions{"Found", "Deleted", "Checked"};
    for (size_t i = 0; i < 3; ++i) {
        *boxes[i] = named(new QCheckBox(QString::fromLatin1(captions[i])), boxNames[i]);
        (*boxes[i])->setChecked(true);
        controls->addWidget(*boxes[i]);
        const auto series = LineChartView::Series(i);
        connect(*boxes[i], &QCheckBox::toggled, lines,
                [lines, series](bool on) { lines->setSeriesVisible(series, on); });
    }
    controls->addStretch();
    layout->addLayout(controls);
    // The scroll bar moves in steps of five.
    connect(*depth, &QScrollBar::valueChanged, lines, [lines, bar = *depth](int value) {
        const int stepped = (value + 2) / 5 * 5;
        if (stepped != value)
            bar->setValue(stepped);
        else
            lines->setDepth(value);
    });
    return page;
}

QTableView *TfrmChart::table(StatsTableModel *model, const char *name, const std::vector<int> &widths)
{
    auto *view = named(new QTableView, name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // A long log has hundreds of thousands of rows: one fixed row height.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    for (size_t c = 0; c < widths.size(); ++c)
        header->resizeSection(int(c), widths[c]);
    // Log order until the user picks a column.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    auto *copy = new QAction(view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TfrmChart::btCopyClick);
    view->addAction(copy);
    return view;
}

StatsFilter TfrmChart::filter() const
{
    StatsFilter f{m_range, std::nullopt};
    if (cbMailbox->currentIndex() > 0)
        f.mailbox = fromDisplay(cbMailbox->currentText());
    return f;
}

void TfrmChart::updateTitle()
{
    lblTitle->setText(toDisplay(statsTitle(fromDisplay(cbMailbox->currentText()), m_range)));
}

void TfrmChart::fillInGrids()
{
    m_tables = tw::fillInGrids(m_data, filter());
    modelTraffic->setRows(m_tables);
    modelSpam->setRows(m_tables);
}

void TfrmChart::PlotReadings()
{
    const ChartData chart = tw::PlotReadings(m_data, filter());
    chartDayOfWeek->show(chart);
    chartHourOfDay->show(chart);
    chartDayByDay->show(chart);
    chartTopDomains->show(chart.topDomains);
    chartTopSpammers->show(chart.topSpammers);
}

void TfrmChart::RecomputePie() { chartPie->show(tw::RecomputePie(m_tables, m_range)); }

void TfrmChart::btPlotClick()
{
    WaitCursor wait;
    updateTitle();
    fillInGrids();
    RecomputePie();
    PlotReadings();
}

void TfrmChart::btDateRangeClick()
{
    frmSelectDateRange->setDates(m_range);
    if (frmSelectDateRange->exec() != QDialog::Accepted)
        return;
    m_range = frmSelectDateRange->range();
    btPlotClick();
}

void TfrmChart::btHintClick() { pnlHints->show(); }

QWidget *TfrmChart::currentPageView() const
{
    switch (PageControl1->currentIndex()) {
    case 0: return chartDayOfWeek;
    case 1: return chartHourOfDay;
    case 2: return chartDayByDay;
    case 3: return chartPie;
    case 4: return chartTopDomains;
    case 5: return chartTopSpammers;
    case 6: return gridTraffic;
    default: return gridSpam;
    }
}

void TfrmChart::btPrintClick()
{
    QWidget *view = currentPageView();
    QPrinter printer(QPrinter::HighResolution);
    auto *table = qobject_cast<QTableView *>(view);
    auto print = [&](QPrinter &target) {
        if (table)
            printTable(target, table == gridTraffic ? QStringLiteral("E-mail traffic") : QStringLiteral("Deleted Spam"),
                       *table->model());
        else
            printChart(target, *static_cast<QGraphicsView *>(view));
    };
    if (!table)
        printer.setPageOrientation(QPageLayout::Landscape);
    if (SetUpPrinter) {
        if (SetUpPrinter(printer))
            print(printer);
        return;
    }
    if (table) {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted)
            print(printer);
        return;
    }
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Tidewell"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&print](QPrinter *target) { print(*target); });
    preview.exec();
}

bool TfrmChart::savePicture(const QString &path)
{
    return currentPageView()->grab().save(path, "PNG");
}

void TfrmChart::btSavePictureClick()
{
    QFileDialog dialog(this, QStringLiteral("Save picture"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PNG pictures (*.png)"));
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.selectFile(PageControl1->tabText(PageControl1->currentIndex()).remove(QLatin1Char('%')).trimmed() +
                      QStringLiteral(".png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().front();
    if (!savePicture(path))
        Prompts::current().error("Unable to write to " + fromDisplay(path));
}

void TfrmChart::btCopyClick()
{
    QWidget *view = currentPageView();
    auto *grid = qobject_cast<QTableView *>(view);
    if (!grid) {
        QApplication::clipboard()->setPixmap(view->grab());
        return;
    }
    // The selected rows, or the whole table when none is selected.
    std::vector<int> rows;
    for (const QModelIndex &index : grid->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    const auto *model = static_cast<StatsTableModel *>(grid->model());
    QApplication::clipboard()->setText(toDisplay(model->text(rows)));
}

} // namespace tw

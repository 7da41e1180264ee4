// The statistics windows driven as a user drives them: the launcher reads a
// log off the interface thread and opens the statistics window, whose charts
// and tables must show exactly what the statistics logic computes.

#include "../stats/stats_fixture.h"
#include "dialog_driver.h"
#include "fixtures/temp_home.h"
#include "main_window_fixture.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "settings/settings_store.h"
#include "stats/daterange.h"
#include "stats/table_sort.h"
#include "stats/ui/chart_style.h"
#include "stats/ui/chartit.h"
#include "stats/ui/chartmain.h"
#include "stats/ui/daterange.h"
#include "stats/ui/stats_charts.h"
#include "stats/ui/stats_table_model.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBarSeries>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDateEdit>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPieSeries>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QCheckBox>
#include <filesystem>

using namespace tw;
using namespace tw::test;

namespace {

class StatisticsWindows : public UsFormats {
protected:
    TempHome home;
    ScriptedPrompts prompts;

    // A log line by line from entries stamped at the given moments.
    struct Check {
        int count;
        const char *mailbox;
        TDateTime when;
    };
    struct Deletion {
        const char *mailbox;
        const char *sender;
        TDateTime when;
    };
    std::string logOf(const std::vector<Check> &checks, const std::vector<Deletion> &deletions,
                      const std::string &extra = "")
    {
        std::string text;
        for (const Check &c : checks)
            text += mailCheckLine(c.count, c.mailbox, "pop.example", logTimeStamp(c.when)) + kLogLineEnd;
        for (const Deletion &d : deletions) {
            const std::string sender = d.sender;
            const size_t blank = sender.find(' ');
            const DeletedMessageEntry entry{"pop.example", d.mailbox, "Offer", sender.substr(0, blank),
                                            blank == std::string::npos ? "" : sender.substr(blank + 1), "2048",
                                            "12/1/2026"};
            for (const std::string &line : deletionBlock(entry, logTimeStamp(d.when)))
                text += line + kLogLineEnd;
        }
        return text + extra;
    }

    // A small log up to the fixed today (8 December 2026): four days, two mailboxes, checks across the day and
    // deletions from a few senders.
    std::string handMadeLog()
    {
        return logOf({{12, "Alice", at(2026, 12, 8, 0, 29)},
                      {3, "bob", at(2026, 12, 8, 0, 30)},
                      {0, "ALICE", at(2026, 12, 8, 23, 59)},
                      {5, "alice", at(2026, 12, 6, 12, 0)},
                      {7, "bob", at(2026, 12, 7, 9, 15)},
                      {2, "Alice", at(2026, 11, 1, 18, 45)}},
                     {{"Alice", "win@prize.example Winner", at(2026, 12, 8, 0, 31)},
                      {"Alice", "win@prize.example Winner", at(2026, 12, 8, 0, 32)},
                      {"bob", "deal@shop.example", at(2026, 12, 7, 9, 16)},
                      {"alice", "nobody", at(2026, 12, 6, 12, 1)}});
    }

    ActivityLogData readByLogic(const std::string &path)
    {
        std::string error;
        std::optional<ActivityLogData> data = readInLogFile(path, error);
        EXPECT_TRUE(data) << error;
        return data ? std::move(*data) : ActivityLogData{};
    }

    // Opens the launcher, chooses Path and presses OK; Inspect runs while the
    // statistics window is shown, which then closes. False when no
    // statistics window came (the launcher closed after an error).
    bool view(const std::string &path, const std::function<void(TfrmChart &)> &inspect)
    {
        TfrmChartMain launcher;
        bool shown = false;
        QObject::connect(&launcher, &TfrmChartMain::chartReady, [&](TfrmChart *chart) {
            shown = true;
            QTimer::singleShot(0, chart, [&, chart] {
                inspect(*chart);
                chart->btClose->click();
            });
        });
        QTimer::singleShot(0, &launcher, [&] {
            launcher.edLogFile->setText(toDisplay(path));
            launcher.btOK->click();
        });
        // Never wait for ever on a reading that does not end.
        QTimer::singleShot(30000, &launcher, [&] {
            ADD_FAILURE() << "the statistics window did not come";
            launcher.btCancel->click();
        });
        launcher.exec();
        EXPECT_FALSE(TfrmChartMain::viewingInProgress());
        return shown;
    }

    // What every chart and table of Chart must show for Data under Filter.
    static void expectShows(TfrmChart &chart, const ActivityLogData &data, const StatsFilter &filter)
    {
        const ChartData expected = PlotReadings(data, filter);
        const StatsTables tables = fillInGrids(data, filter);

        const QList<QBarSet *> sets = chart.chartDayOfWeek->series()->barSets();
        ASSERT_EQ(sets.size(), 3);
        EXPECT_EQ(sets[0]->label(), "Number Found");
        EXPECT_EQ(sets[1]->label(), "Number Deleted");
        EXPECT_EQ(sets[2]->label(), "E-mail Check");
        for (int w = 0; w < 7; ++w) {
            EXPECT_EQ(sets[0]->at(w), expected.found[size_t(w)]) << w;
            EXPECT_EQ(sets[1]->at(w), expected.deleted[size_t(w)]) << w;
            EXPECT_EQ(sets[2]->at(w), expected.checks[size_t(w)]) << w;
        }
        EXPECT_EQ(chart.chartDayOfWeek->categories()->at(0), "Sunday");

        auto halfHours = [](const std::array<int, kHalfHours> &values) {
            QList<QPointF> points;
            for (int h = 0; h < kHalfHours; ++h)
                points.append(QPointF(h, values[size_t(h)]));
            return points;
        };
        EXPECT_EQ(chart.chartHourOfDay->line(LineChartView::Found)->points(), halfHours(expected.found48));
        EXPECT_EQ(chart.chartHourOfDay->line(LineChartView::Deleted)->points(), halfHours(expected.deleted48));
        EXPECT_EQ(chart.chartHourOfDay->line(LineChartView::Checked)->points(), halfHours(expected.checks48));

        auto days = [](const std::vector<DayPoint> &points) {
            QList<QPointF> out;
            for (const DayPoint &p : points)
                out.append(QPointF(double(toQDateTime(p.date).toMSecsSinceEpoch()), p.value));
            return out;
        };
        EXPECT_EQ(chart.chartDayByDay->line(LineChartView::Found)->points(), days(expected.dayFound));
        EXPECT_EQ(chart.chartDayByDay->line(LineChartView::Deleted)->points(), days(expected.dayDeleted));
        EXPECT_EQ(chart.chartDayByDay->line(LineChartView::Checked)->points(), days(expected.dayChecks));

        EXPECT_EQ(chart.chartTopSpammers->bars(), expected.topSpammers);
        EXPECT_EQ(chart.chartTopDomains->bars(), expected.topDomains);

        const PieValues pie = RecomputePie(tables, filter.range);
        const QList<QPieSlice *> slices = chart.chartPie->series()->slices();
        ASSERT_EQ(slices.size(), 2);
        EXPECT_EQ(slices[0]->value(), double(pie.normal));
        EXPECT_EQ(slices[1]->value(), double(pie.deleted));

        EXPECT_EQ(chart.modelTraffic->recordCount(), int(tables.traffic.size()));
        EXPECT_EQ(chart.modelSpam->recordCount(), int(tables.spam.size()));
        for (int r = 0; r < chart.modelTraffic->recordCount(); ++r)
            EXPECT_EQ(fromDisplay(chart.modelTraffic->index(r, 4).data().toString()), tables.traffic[size_t(r)]->count);
    }

    std::string writeLog(const std::string &text)
    {
        home.write("log.txt", text);
        return home.file("log.txt");
    }
};

TEST_F(StatisticsWindows, LauncherShowsTheStoredLogAndBrowsesForAnother)
{
    GeneralSettings settings = readGeneralSettings();
    settings.Logfile = home.file("stored.txt");
    saveGeneralSettings(settings, LogNaming::AsIs);
    home.write("other.txt", "");

    TfrmChartMain launcher;
    EXPECT_EQ(launcher.windowTitle(), "Activity Log Statistics for Tidewell");
    launcher.show();
    EXPECT_EQ(launcher.edLogFile->text(), toDisplay(home.file("stored.txt")));
    EXPECT_FALSE(launcher.ProgressBar1->isVisible());

    onNextDialog<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Location of Tidewell activity log file");
        EXPECT_EQ(dialog.directory().absolutePath(), toDisplay(home.path()));
        EXPECT_EQ(dialog.nameFilters().front(), "Activity log files (*.txt)");
        acceptFileDialogWith(dialog, toDisplay(home.file("other.txt")));
    });
    launcher.btBrowse->click();
    EXPECT_EQ(launcher.edLogFile->text(), toDisplay(home.file("other.txt")));
}

TEST_F(StatisticsWindows, MissingLogIsReportedAndNoWindowOpens)
{
    EXPECT_FALSE(view(home.file("absent.txt"), [](TfrmChart &) {}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], std::string("error: ") + kLogMissingError);
}

TEST_F(StatisticsWindows, EveryChartAndTableShowsWhatTheLogicComputes)
{
    const std::string path = writeLog(handMadeLog());
    const ActivityLogData data = readByLogic(path);
    const StatsRange initial{encodeDate(1998, 1, 1), Clock::now()};
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        EXPECT_EQ(chart.windowTitle(), "Chart of Activity");
        EXPECT_EQ(chart.PageControl1->currentIndex(), 0);
        const QStringList tabs{"Day of week",         "Hour of day",     "Day by day",    "% Deleted",
                               "Top 10 Spam Domains", "Top 10 Spammers", "Email traffic", "Spam Deleted"};
        for (int i = 0; i < tabs.size(); ++i)
            EXPECT_EQ(chart.PageControl1->tabText(i), tabs[i]);
        EXPECT_EQ(chart.lblTitle->text(), "All mailboxes from 1/1/1998 thru 12/8/2026");
        QStringList mailboxes;
        for (int i = 0; i < chart.cbMailbox->count(); ++i)
            mailboxes << chart.cbMailbox->itemText(i);
        EXPECT_EQ(mailboxes, QStringList({"All mailboxes", "Alice", "bob"}));

        expectShows(chart, data, {initial, std::nullopt});
        // A few figures by hand, so the comparison above is not empty.
        const QList<QBarSet *> sets = chart.chartDayOfWeek->series()->barSets();
        EXPECT_EQ(sets[0]->at(2), 15);  // Tuesday: 12 + 3 + 0 found
        EXPECT_EQ(chart.chartTopSpammers->bars().front(), (TopEntry{"win@prize.example winner", 2}));
        EXPECT_EQ(chart.chartPie->series()->slices()[1]->label(), "Spam Deleted: 14%");
        EXPECT_EQ(chart.modelSpam->index(0, 6).data().toString(), "prize.example winner");
        EXPECT_EQ(chart.modelSpam->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "Size");
        EXPECT_EQ(chart.modelSpam->index(0, 4).data(Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignRight | Qt::AlignVCenter));
    }));
}

TEST_F(StatisticsWindows, MailboxSelectionAndDateRangeRefilter)
{
    const std::string path = writeLog(handMadeLog());
    const ActivityLogData data = readByLogic(path);
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        const StatsRange initial = chart.range();
        // Choosing a mailbox alone redraws nothing; "Redraw" does.
        chart.cbMailbox->setCurrentIndex(2);
        expectShows(chart, data, {initial, std::nullopt});
        chart.btPlot->click();
        EXPECT_EQ(chart.lblTitle->text(), "bob from 1/1/1998 thru 12/8/2026");
        expectShows(chart, data, {initial, std::string("BOB")});
        EXPECT_EQ(chart.modelTraffic->recordCount(), 2);

        // The previous 2 days before the fixed today (8 December 2026).
        chart.cbMailbox->setCurrentIndex(0);
        onNextDialog<TfrmSelectDateRange>([](TfrmSelectDateRange &dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Select Date Range");
            EXPECT_EQ(dialog.dtStart->date(), QDate(1998, 1, 1));
            EXPECT_EQ(dialog.dtEnd->date(), QDate(2026, 12, 8));
            dialog.rbDays->click();
            EXPECT_FALSE(dialog.dtStart->isEnabled());
            EXPECT_FALSE(dialog.seMonths->isEnabled());
            EXPECT_TRUE(dialog.seDays->isEnabled());
            dialog.seDays->setValue(2);
            dialog.btOK->click();
        });
        chart.btDateRange->click();
        const StatsRange twoDays{encodeDate(2026, 12, 6), encodeDate(2026, 12, 8)};
        EXPECT_EQ(chart.range().start, twoDays.start);
        EXPECT_EQ(chart.range().end, twoDays.end);
        EXPECT_EQ(chart.lblTitle->text(), "All mailboxes from 12/6/2026 thru 12/8/2026");
        expectShows(chart, data, {twoDays, std::nullopt});
        EXPECT_EQ(chart.modelTraffic->recordCount(), 5);  // not November

        // Cancel leaves the range alone.
        onNextDialog<TfrmSelectDateRange>([](TfrmSelectDateRange &dialog) {
            dialog.rbMonths->click();
            dialog.btCancel->click();
        });
        chart.btDateRange->click();
        EXPECT_EQ(chart.range().start, twoDays.start);
    }));
}

TEST_F(StatisticsWindows, DateRangeDialogChoices)
{
    TfrmSelectDateRange dialog;
    dialog.setDates({encodeDate(2026, 3, 10), encodeDate(2026, 3, 20)});
    setNow(2026, 3, 31, 10, 0);
    const struct {
        QRadioButton *choice;
        int count;
        StatsRange range;
    } cases[] = {
        {dialog.rbBetween, 0, {encodeDate(2026, 3, 10), encodeDate(2026, 3, 20)}},
        {dialog.rbMonths, 1, {encodeDate(2026, 2, 28), encodeDate(2026, 3, 31)}},
        {dialog.rbDays, 365, {encodeDate(2025, 3, 31), encodeDate(2026, 3, 31)}},
    };
    for (const auto &c : cases) {
        dialog.seMonths->setValue(c.count ? std::min(c.count, 12) : 1);
        dialog.seDays->setValue(c.count ? c.count : 1);
        c.choice->click();
        EXPECT_EQ(dialog.range().start, c.range.start) << c.choice->objectName().toStdString();
        EXPECT_EQ(dialog.range().end, c.range.end) << c.choice->objectName().toStdString();
        EXPECT_EQ(dialog.dtStart->isEnabled(), c.choice == dialog.rbBetween);
        EXPECT_EQ(dialog.seMonths->isEnabled(), c.choice == dialog.rbMonths);
    }
    // Leaving the start field with a start after the end moves the end.
    dialog.rbBetween->click();
    dialog.dtStart->setDate(QDate(2026, 4, 2));
    dialog.dtStartExit();
    EXPECT_EQ(dialog.dtEnd->date(), QDate(2026, 4, 2));
}

TEST_F(StatisticsWindows, TablesSortByAnyColumnKeepWidthsAndCopyAsText)
{
    const std::string path = writeLog(handMadeLog());
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        chart.PageControl1->setCurrentWidget(chart.gridTraffic);
        QHeaderView *header = chart.gridTraffic->horizontalHeader();
        header->resizeSection(2, 123);
        auto column = [&](int c) {
            QStringList cells;
            for (int r = 0; r < chart.modelTraffic->rowCount(); ++r)
                cells << chart.modelTraffic->index(r, c).data().toString();
            return cells;
        };
        // Log order first; "# Mail" as numbers; "Date" as dates.
        EXPECT_EQ(column(4), QStringList({"12", "3", "0", "5", "7", "2"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
        EXPECT_EQ(column(4), QStringList({"0", "2", "3", "5", "7", "12"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
        EXPECT_EQ(column(4), QStringList({"12", "7", "5", "3", "2", "0"}));
        chart.gridTraffic->sortByColumn(0, Qt::AscendingOrder);
        EXPECT_EQ(column(0).front(), "11/1/2026");
        EXPECT_EQ(column(0).back(), "12/8/2026");

        // A redraw keeps the widths and the chosen order.
        chart.btPlot->click();
        EXPECT_EQ(header->sectionSize(2), 123);
        EXPECT_EQ(column(0).front(), "11/1/2026");

        chart.gridTraffic->selectRow(0);
        chart.btCopy->click();
        EXPECT_EQ(QApplication::clipboard()->text(),
                  "Date\tTime\tServer\tMailbox\t# Mail\r\n11/1/2026\t6:45 PM\tpop.example\tAlice\t2\r\n");
        chart.gridTraffic->clearSelection();
        chart.btCopy->click();
        EXPECT_EQ(QApplication::clipboard()->text().count("\r\n"), 7);
    }));
}

TEST_F(StatisticsWindows, EmptyAndDamagedLogs)
{
    // Nothing to chart: empty series, one empty row per table, a pie of zeros.
    std::string path = writeLog("Automatic mode enabled at Tue 12/8/2026 9:34 PM\r\n");
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        expectShows(chart, readByLogic(path), {chart.range(), std::nullopt});
        EXPECT_EQ(chart.modelTraffic->rowCount(), 1);
        EXPECT_EQ(chart.modelTraffic->index(0, 0).data().toString(), "");
        EXPECT_EQ(chart.modelSpam->rowCount(), 1);
        EXPECT_TRUE(chart.chartTopSpammers->bars().empty());
        EXPECT_EQ(chart.chartPie->series()->slices()[0]->label(), "Normal E-mail: 0%");
        EXPECT_EQ(chart.cbMailbox->count(), 1);
    }));

    // Damaged lines: garbage bytes, a check without a number (its mailbox
    // still counts), an unreadable date, a deletion block cut short.
    path = writeLog(handMadeLog() +
                    "\xff\xfe garbage \x01\r\n"
                    "MAIL CHECK  msg(s) for \"carol\" on server pop.c.example at Tue 12/8/2026 9:35 PM\r\n"
                    "MAIL CHECK 4 msg(s) for \"Alice\" on server pop.a.example at Tue 99/99/2026 9:35 PM\r\n"
                    "DELETE SPAM on Tue 12/8/2026 9:40 PM\r\n"
                    "   Server:  pop.a.example   Mailbox: Alice\r\n"
                    "MAIL CHECK 1 msg(s) for \"bob\" on server pop.b.example at Tue 12/8/2026 9:41 PM\r\n"
                    "MAIL CHECK");
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        const ActivityLogData data = readByLogic(path);
        expectShows(chart, data, {chart.range(), std::nullopt});
        EXPECT_EQ(chart.cbMailbox->findText("carol"), 3);
        EXPECT_EQ(chart.modelSpam->recordCount(), 5);
    }));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StatisticsWindows, ASingleDayOfActivityShowsOnTheDayByDayChart)
{
    // A new user's first look: every check of the log on one day.
    const std::string path =
        writeLog("MAIL CHECK 3 msg(s) for \"ann\" on server pop.a.example at Tue 12/8/2026 9:34 PM\r\n"
                 "MAIL CHECK 0 msg(s) for \"ann\" on server pop.a.example at Tue 12/8/2026 9:50 PM\r\n");
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        chart.PageControl1->setCurrentIndex(2);
        DayChartView &days = *chart.chartDayByDay;
        const QList<QPointF> checks = days.line(LineChartView::Checked)->points();
        ASSERT_EQ(checks.size(), 1);
        EXPECT_EQ(checks[0].y(), 2);
        EXPECT_TRUE(days.line(LineChartView::Checked)->pointsVisible());
        // Inside the axis, not on its edge.
        EXPECT_LT(double(days.dates()->min().toMSecsSinceEpoch()), checks[0].x());
        EXPECT_GT(double(days.dates()->max().toMSecsSinceEpoch()), checks[0].x());
        // And drawn: the plot (not the legend) holds the colour of the checks series.
        const QImage picture = days.grab().toImage();
        const QRect plot = days.mapFromScene(days.chart()->plotArea()).boundingRect() & picture.rect();
        const QColor blue = chart_style::checkedColour();
        int drawn = 0;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.left(); x <= plot.right(); ++x)
                drawn += QColor(picture.pixel(x, y)) == blue;
        EXPECT_GT(drawn, 10);
    }));
}

TEST_F(StatisticsWindows, LineChartControlsAndPictures)
{
    const std::string path = writeLog(handMadeLog());
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        // The boxes show and hide the series; the scroll bars set the depth in steps of five.
        chart.PageControl1->setCurrentIndex(1);
        chart.cbDeletedHour->click();
        EXPECT_FALSE(chart.chartHourOfDay->seriesVisible(LineChartView::Deleted));
        EXPECT_TRUE(chart.chartHourOfDay->seriesVisible(LineChartView::Found));
        chart.cbChecked->click();
        EXPECT_FALSE(chart.chartDayByDay->seriesVisible(LineChartView::Checked));
        EXPECT_EQ(chart.sbTime->minimum(), 5);
        EXPECT_EQ(chart.sbTime->maximum(), 70);
        chart.sbDayDay->setValue(42);
        EXPECT_EQ(chart.sbDayDay->value(), 40);
        EXPECT_EQ(chart.chartDayByDay->depth(), 40);

        chart.btHint->click();
        EXPECT_TRUE(chart.pnlHints->isVisible());
        chart.btHintOK->click();
        EXPECT_FALSE(chart.pnlHints->isVisible());

        // Every chart page saves as a PNG of the chart's size; a table too.
        for (int page = 0; page < chart.PageControl1->count(); ++page) {
            chart.PageControl1->setCurrentIndex(page);
            const QString file = toDisplay(home.file("page" + std::to_string(page) + ".png"));
            ASSERT_TRUE(chart.savePicture(file));
            EXPECT_EQ(QImage(file).size(), chart.currentPageView()->size() * chart.devicePixelRatio()) << page;
        }
        // Through the dialog, as a user saves one.
        chart.PageControl1->setCurrentIndex(2);
        onNextDialog<QFileDialog>(
            [&](QFileDialog &dialog) { acceptFileDialogWith(dialog, toDisplay(home.file("chosen"))); });
        chart.btSavePicture->click();
        EXPECT_EQ(QImage(toDisplay(home.file("chosen.png"))).size(), chart.chartDayByDay->size());
        // A folder that cannot be written is reported (no file can be made
        // in /proc, whoever runs the test).
        onNextDialog<QFileDialog>(
            [&](QFileDialog &dialog) { acceptFileDialogWith(dialog, QStringLiteral("/proc/tidewell-picture.png")); });
        chart.btSavePicture->click();
    }));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("error: Unable to write to ", 0), 0u);
}

TEST_F(StatisticsWindows, PrintsTablesPageByPageAndChartsAsDrawn)
{
    // Enough checks for the traffic table to need a second page.
    std::vector<Check> checks;
    for (int i = 0; i < 120; ++i)
        checks.push_back({i, i % 2 ? "Alice" : "bob", at(2026, 12, 1 + i % 7, i % 24, 0)});
    const std::string path = writeLog(logOf(checks, {{"Alice", "win@prize.example Winner", at(2026, 12, 8, 0, 31)}}));
    const std::string pdf = home.file("printed.pdf");
    auto printedText = [&] {
        QProcess text;
        text.start("pdftotext", {toDisplay(pdf), "-"});
        EXPECT_TRUE(text.waitForFinished(20000));
        return QString::fromUtf8(text.readAllStandardOutput());
    };
    ASSERT_TRUE(view(path, [&](TfrmChart &chart) {
        bool accept = false;
        chart.SetUpPrinter = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(toDisplay(pdf));
            return accept;
        };
        // Cancelled: nothing is printed.
        chart.PageControl1->setCurrentWidget(chart.gridTraffic);
        chart.btPrint->click();
        EXPECT_FALSE(std::filesystem::exists(pdf));

        // A table: its title and headings on every page, every row, page numbers.
        accept = true;
        chart.btPrint->click();
        ASSERT_TRUE(std::filesystem::exists(pdf));
        QString printed = printedText();
        // (the PDF's text may join "ffi" into one ligature)
        EXPECT_GE(printed.count("E-mail tra"), 2) << printed.toStdString();
        EXPECT_GE(printed.count("Mailbox"), 2);
        EXPECT_TRUE(printed.contains("Page 1"));
        EXPECT_TRUE(printed.contains("Page 2"));
        EXPECT_EQ(printed.count("pop.example"), 120);

        // A chart: drawn as on the screen, its title and bars' labels as text.
        std::filesystem::remove(pdf);
        chart.PageControl1->setCurrentWidget(chart.chartTopSpammers);
        chart.btPrint->click();
        printed = printedText();
        EXPECT_TRUE(printed.contains("Top 10 Spammers")) << printed.toStdString();
        EXPECT_TRUE(printed.contains("win@prize.example"));
    }));
}

TEST_F(StatisticsWindows, ClosingTheLauncherWhileReadingAbandonsTheReading)
{
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += handMadeLog();
    const std::string path = writeLog(text);
    bool chartCame = false;
    {
        TfrmChartMain launcher;
        QObject::connect(&launcher, &TfrmChartMain::chartReady, [&](TfrmChart *) { chartCame = true; });
        launcher.show();
        launcher.edLogFile->setText(toDisplay(path));
        launcher.btOK->click();
        EXPECT_TRUE(TfrmChartMain::viewingInProgress());
        EXPECT_TRUE(launcher.ProgressBar1->isVisible());
        // A second OK while reading does nothing.
        launcher.btOK->click();
        launcher.btCancel->click();
        EXPECT_FALSE(TfrmChartMain::viewingInProgress());
    }
    // The reading ends on its own without touching the closed window.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    QTest::qWait(50);
    EXPECT_FALSE(chartCame);
    EXPECT_TRUE(prompts.shown.empty());
}

// Every way in from the main window opens the launcher, and only one at a time.
using StatisticsCommands = MainWindowTest;

TEST_F(StatisticsCommands, StatsButtonAndTrayItemOpenTheLauncher)
{
    storeGeneral();
    start();
    window->show();
    EXPECT_TRUE(window->btStats->isEnabled());
    EXPECT_TRUE(window->acTrayStats->isEnabled());
    for (const std::function<void()> &command : std::vector<std::function<void()>>{
             [&] { window->btStats->click(); }, [&] { window->acTrayStats->trigger(); }}) {
        int opened = 0;
        onNextDialog<TfrmChartMain>([&](TfrmChartMain &launcher) {
            ++opened;
            EXPECT_EQ(launcher.edLogFile->text(), toDisplay(home.file("activity.log")));
            // Asked again while it is open, nothing more opens.
            window->btStatsClick();
            launcher.btCancel->click();
        });
        command();
        EXPECT_EQ(opened, 1);
        EXPECT_FALSE(TfrmChartMain::isOpen());
    }
}

} // namespace

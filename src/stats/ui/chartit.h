#pragma once
// TfrmChart: the statistics window for one viewing of the activity log. It
// owns the records read from the log and shows what the statistics logic
// computes from them for the chosen mailbox and date range: the weekday,
// half-hour and day-by-day charts, the pie, the two top-ten charts and the
// two tables. "Redraw" and "Date Range" refilter the records; the log is
// not read again.

#include "stats/statistics.h"
#include "stats/ui/line_chart_view.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTableView;

namespace tw {

class DayChartView;
class HalfHourChartView;
class PieChartView;
class StatsTableModel;
class TfrmSelectDateRange;
class TopTenChartView;
class WeekdayChartView;

class TfrmChart : public QDialog {
    Q_OBJECT
public:
    // Data: the records of the log; the range starts as 1 January 1998 to now.
    explicit TfrmChart(ActivityLogData data, QWidget *parent = nullptr);
    ~TfrmChart() override;

    const ActivityLogData &data() const { return m_data; }
    const StatsRange &range() const { return m_range; }
    void setRange(const StatsRange &range) { m_range = range; }
    // The filter of the mailbox selection and the range.
    StatsFilter filter() const;

    // --- controls (objectName = member name) ---
    QLabel *lblTitle;
    QTabWidget *PageControl1;
    WeekdayChartView *chartDayOfWeek;
    HalfHourChartView *chartHourOfDay;
    DayChartView *chartDayByDay;
    PieChartView *chartPie;
    TopTenChartView *chartTopDomains, *chartTopSpammers;
    QTableView *gridTraffic, *gridSpam;
    StatsTableModel *modelTraffic, *modelSpam;
    QScrollBar *sbTime, *sbDayDay;
    QCheckBox *cbFoundHour, *cbDeletedHour, *cbCheckedHour;
    QCheckBox *cbFound, *cbDeleted, *cbChecked;
    QComboBox *cbMailbox;
    QPushButton *btPlot, *btDateRange, *btHint, *btPrint, *btSavePicture, *btCopy, *btClose;
    QFrame *pnlHints;
    QPushButton *btHintOK;
    TfrmSelectDateRange *frmSelectDateRange;

    // When assigned, takes the place of the print dialog (for a table) and
    // the print preview (for a chart): it sets up the printer, and false
    // cancels. Unassigned, the user chooses in those dialogs.
    std::function<bool(QPrinter &)> SetUpPrinter;

    // --- commands ---
    void btPlotClick();       // "Redraw"
    void btDateRangeClick();  // "Date Range"
    void btHintClick();
    void btPrintClick();
    void btSavePictureClick();
    void btCopyClick();
    // Saves the current page (chart or table) as a PNG picture; false when
    // the file cannot be written.
    bool savePicture(const QString &path);
    // The widget that shows the current page (a chart view or a table).
    QWidget *currentPageView() const;

    // --- the steps of a redraw ---
    void fillInGrids();
    void PlotReadings();
    void RecomputePie();

private:
    QWidget *chartPage(QWidget *chart, QScrollBar **depth, std::array<QCheckBox **, 3> boxes,
                       LineChartView *lines, const char *depthName, std::array<const char *, 3> boxNames);
    QTableView *table(StatsTableModel *model, const char *name, const std::vector<int> &widths);
    void updateTitle();

    ActivityLogData m_data;
    StatsRange m_range;
    StatsTables m_tables;
};

} // namespace tw

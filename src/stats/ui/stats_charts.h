#pragma once
// The six chart pages of the statistics window and how the statistics
// logic's figures become their series: the weekday bars, the half-hour and
// day-by-day lines, the pie, and the two top-ten bar charts.

#include "stats/statistics.h"
#include "stats/ui/line_chart_view.h"

class QBarSeries;
class QBarCategoryAxis;
class QDateTimeAxis;
class QHorizontalBarSeries;
class QPieSeries;
class QValueAxis;

namespace tw {

// "Day of week": three bar sets of seven bars, Sunday first.
class WeekdayChartView : public ZoomChartView {
    Q_OBJECT
public:
    explicit WeekdayChartView(QWidget *parent = nullptr);
    void show(const ChartData &data);
    QBarSeries *series() const { return m_series; }
    QBarCategoryAxis *categories() const { return m_days; }

private:
    QBarSeries *m_series;
    QBarCategoryAxis *m_days;
    QValueAxis *m_values;
};

// "Hour of day": 48 half-hours, labelled every two hours.
class HalfHourChartView : public LineChartView {
    Q_OBJECT
public:
    explicit HalfHourChartView(QWidget *parent = nullptr);
    void show(const ChartData &data);
};

// "Day by day": points over the date, ticks a week (or whole weeks) apart.
class DayChartView : public LineChartView {
    Q_OBJECT
public:
    explicit DayChartView(QWidget *parent = nullptr);
    void show(const ChartData &data);
    QDateTimeAxis *dates() const { return m_dates; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Puts the ticks on whole weeks for the range shown (after a zoom too).
    void alignTicks();
    QDateTimeAxis *m_dates;
    bool m_aligning = false;
};

// "% Deleted": "Normal E-mail" and "Spam Deleted" as whole percentages.
class PieChartView : public ZoomChartView {
    Q_OBJECT
public:
    explicit PieChartView(QWidget *parent = nullptr);
    void show(const PieValues &pie);
    QPieSeries *series() const { return m_series; }

private:
    QPieSeries *m_series;
};

// "Top 10 Spam Domains" and "Top 10 Spammers": horizontal bars, largest on top.
class TopTenChartView : public ZoomChartView {
    Q_OBJECT
public:
    explicit TopTenChartView(const QString &title, QWidget *parent = nullptr);
    void show(const std::vector<TopEntry> &entries);
    // The bars from the top down: text and count.
    std::vector<TopEntry> bars() const;

private:
    QHorizontalBarSeries *m_series;
    QBarCategoryAxis *m_names;
    QValueAxis *m_values;
    std::vector<TopEntry> m_entries;
};

} // namespace tw

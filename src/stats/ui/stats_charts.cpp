#include "stats/ui/stats_charts.h"

#include "platform/bytes.h"
#include "platform/clock.h"
#include "stats/day_axis.h"
#include "stats/ui/chart_style.h"
#include "platform/ui/plain_text.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QDateTimeAxis>
#include <QHorizontalBarSeries>
#include <QLegendMarker>
#include <QPieSeries>
#include <QCursor>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tw {

namespace {

// A value axis from 0 that fits Top with round steps and whole-number labels.
// The values are counts, so a step is never below one: a step of 0.2 would
// label the ticks "0 0 0 0 0 1".
void fitValueAxis(QValueAxis *axis, double top)
{
    top = std::max(1.0, top);
    double step = 1;
    for (int i = 0; top / step > 6; ++i)
        step *= i % 3 == 1 ? 2.5 : 2; // 1, 2, 5, 10, 20, 50, ...
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(0, std::ceil(top / step) * step);
}

QBarSet *barSet(const QString &name, const QColor &colour)
{
    auto *set = new QBarSet(name);
    set->setColor(colour);
    set->setBorderColor(colour.darker(130));
    set->setLabelColor(Qt::black);
    return set;
}

// The three day series share their days, and each local-time conversion
// consults the time zone anew, so every day is converted once.
class DayMoments {
public:
    qint64 msecsOf(TDateTime date)
    {
        auto it = m_known.find(date);
        if (it == m_known.end())
            it = m_known.emplace(date, toQDateTime(date).toMSecsSinceEpoch()).first;
        return it->second;
    }

private:
    std::unordered_map<TDateTime, qint64> m_known;
};

QList<QPointF> dayPoints(const std::vector<DayPoint> &points, DayMoments &moments)
{
    QList<QPointF> out;
    out.reserve(qsizetype(points.size()));
    for (const DayPoint &p : points)
        out.append(QPointF(double(moments.msecsOf(p.date)), p.value));
    return out;
}

template <size_t N> QList<QPointF> indexPoints(const std::array<int, N> &values)
{
    QList<QPointF> out;
    for (size_t i = 0; i < N; ++i)
        out.append(QPointF(double(i), values[i]));
    return out;
}

// A label shorter than a whole sender line keeps the bars' room.
QString shortLabel(const std::string &text)
{
    const QString full = toDisplay(text);
    return full.size() > 48 ? full.left(47) + QChar(0x2026) : full;
}

// The text that toHtmlEscaped() was given.
QString unescapedHtml(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    return text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

} // namespace

// --- Day of week ----------------------------------------------------------------------------

WeekdayChartView::WeekdayChartView(QWidget *parent) : ZoomChartView(new QChart, parent)
{
    QChart *c = chart();
    c->legend()->setAlignment(Qt::AlignTop);
    m_series = new QBarSeries;
    m_series->append(barSet(chart_style::kFound, chart_style::foundColour()));
    m_series->append(barSet(chart_style::kDeleted, chart_style::deletedColour()));
    m_series->append(barSet(chart_style::kChecked, chart_style::checkedColour()));
    m_series->setLabelsVisible(true);
    m_series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    c->addSeries(m_series);
    m_days = new QBarCategoryAxis;
    c->addAxis(m_days, Qt::AlignBottom);
    m_series->attachAxis(m_days);
    m_values = new QValueAxis;
    m_values->setTitleText(QStringLiteral("Frequency"));
    c->addAxis(m_values, Qt::AlignLeft);
    m_series->attachAxis(m_values);
}

void WeekdayChartView::show(const ChartData &data)
{
    QStringList days;
    for (const std::string &day : data.dayLabels)
        days << toDisplay(day);
    m_days->clear();
    m_days->append(days);
    const std::array<const std::array<int, 7> *, 3> values{&data.found, &data.deleted, &data.checks};
    int top = 0;
    for (size_t s = 0; s < 3; ++s) {
        QBarSet *set = m_series->barSets()[qsizetype(s)];
        set->remove(0, set->count());
        for (const int v : *values[s]) {
            set->append(v);
            top = std::max(top, v);
        }
    }
    // Room above the tallest bar for its label.
    fitValueAxis(m_values, top * 1.08);
}

// --- Hour of day ----------------------------------------------------------------------------

HalfHourChartView::HalfHourChartView(QWidget *parent) : LineChartView(new QCategoryAxis, parent) {}

void HalfHourChartView::show(const ChartData &data)
{
    auto *axis = qobject_cast<QCategoryAxis *>(chart()->axes(Qt::Horizontal).value(0));
    if (axis && axis->count() == 0) {
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        axis->setStartValue(-1);
        // Every third hour is labelled: all 48 half-hours do not fit side by side.
        for (int h = 0; h < kHalfHours; h += 6)
            axis->append(toDisplay(data.halfHourLabels[size_t(h)]), h);
        axis->setRange(0, kHalfHours - 1);
    }
    setPoints(indexPoints(data.found48), indexPoints(data.deleted48), indexPoints(data.checks48));
}

// --- Day by day -----------------------------------------------------------------------------

DayChartView::DayChartView(QWidget *parent) : LineChartView(new QDateTimeAxis, parent)
{
    m_dates = qobject_cast<QDateTimeAxis *>(chart()->axes(Qt::Horizontal).value(0));
    m_dates->setFormat(QStringLiteral("dd/MMM/yy"));
    m_dates->setTitleText(QStringLiteral("dd/mmm/yy"));
    m_dates->setLabelsAngle(-45);
    connect(m_dates, &QDateTimeAxis::rangeChanged, this, [this] { alignTicks(); });
}

void DayChartView::show(const ChartData &data)
{
    DayMoments moments;
    setPoints(dayPoints(data.dayFound, moments), dayPoints(data.dayDeleted, moments),
              dayPoints(data.dayChecks, moments));
    TDateTime first = 0, last = 0;
    bool any = false;
    for (const auto *series : {&data.dayFound, &data.dayDeleted, &data.dayChecks})
        for (const DayPoint &p : *series) {
            first = any ? std::min(first, p.date) : p.date;
            last = any ? std::max(last, p.date) : p.date;
            any = true;
        }
    if (!any)
        first = last = std::floor(Clock::now());
    // A day of its own on either side, so that a first or last point does
    // not sit on the edge of the plot, half cut off.
    m_dates->setRange(toQDateTime(first - 1), toQDateTime(last + 1));
}

void DayChartView::resizeEvent(QResizeEvent *event)
{
    LineChartView::resizeEvent(event);
    alignTicks();
}

void DayChartView::alignTicks()
{
    if (m_aligning)
        return;
    m_aligning = true;
    // A label needs about 60 pixels of width to stay clear of its neighbours.
    const int room = std::max(2, int(chart()->plotArea().width() / 60));
    const DayAxisTicks ticks =
        dayAxisTicks(toTDateTime(m_dates->min()), toTDateTime(m_dates->max()), room);
    m_dates->setTickCount(ticks.count);
    m_dates->setRange(toQDateTime(ticks.start), toQDateTime(ticks.end));
    m_aligning = false;
}

// --- % Deleted ------------------------------------------------------------------------------

PieChartView::PieChartView(QWidget *parent) : ZoomChartView(new QChart, parent)
{
    setZoomable(false);
    m_series = new QPieSeries;
    m_series->append(chart_style::kNormalMail, 0)->setColor(chart_style::normalMailColour());
    m_series->append(chart_style::kSpamDeleted, 0)->setColor(chart_style::deletedColour());
    for (QPieSlice *slice : m_series->slices())
        slice->setLabelVisible(true);
    chart()->addSeries(m_series);
    chart()->legend()->setAlignment(Qt::AlignRight);
}

void PieChartView::show(const PieValues &pie)
{
    const long long total = pie.normal + pie.deleted;
    const std::array<std::pair<QString, long long>, 2> slices{
        std::pair{chart_style::kNormalMail, pie.normal}, std::pair{chart_style::kSpamDeleted, pie.deleted}};
    for (size_t i = 0; i < 2; ++i) {
        QPieSlice *slice = m_series->slices()[qsizetype(i)];
        const long long value = slices[i].second;
        const long long percent = total > 0 ? (value * 100 + total / 2) / total : 0;
        slice->setValue(double(value));
        slice->setLabel(QStringLiteral("%1: %2%").arg(slices[i].first).arg(percent));
    }
}

// --- Top ten --------------------------------------------------------------------------------

TopTenChartView::TopTenChartView(const QString &title, QWidget *parent) : ZoomChartView(new QChart, parent)
{
    setZoomable(false);
    QChart *c = chart();
    c->setTitle(title);
    c->legend()->hide();
    m_series = new QHorizontalBarSeries;
    m_series->append(barSet(chart_style::kDeleted, chart_style::deletedColour()));
    m_series->setLabelsVisible(true);
    m_series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    c->addSeries(m_series);
    m_names = new QBarCategoryAxis;
    c->addAxis(m_names, Qt::AlignLeft);
    m_series->attachAxis(m_names);
    m_values = new QValueAxis;
    m_values->setTitleText(QStringLiteral("Messages deleted"));
    c->addAxis(m_values, Qt::AlignBottom);
    m_series->attachAxis(m_values);
    connect(m_series, &QHorizontalBarSeries::hovered, this, [this](bool status, int index, QBarSet *) {
        // The bars run bottom up; the entries top down.
        const int entry = int(m_entries.size()) - 1 - index;
        if (status && entry >= 0 && entry < int(m_entries.size()))
            QToolTip::showText(QCursor::pos(),
                               plainToolTip(toDisplay(m_entries[size_t(entry)].text) +
                                            QStringLiteral(": %1").arg(m_entries[size_t(entry)].count)),
                               this);
        else
            QToolTip::hideText();
    });
}

void TopTenChartView::show(const std::vector<TopEntry> &entries)
{
    m_entries = entries;
    QBarSet *set = m_series->barSets().front();
    set->remove(0, set->count());
    m_names->clear();
    // A category axis draws its first entry at the bottom; the largest goes on top.
    QStringList names;
    int top = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        QString name = shortLabel(it->text);
        // Category names must differ; two long names can shorten alike.
        while (names.contains(name))
            name += QChar(' ');
        names << name;
        set->append(it->count);
        top = std::max(top, it->count);
    }
    // The chart reads its axis labels as HTML; the names come from the log
    // (senders of mail) and are shown as written.
    QStringList escaped;
    for (const QString &name : names)
        escaped << name.toHtmlEscaped();
    m_names->append(escaped);
    fitValueAxis(m_values, top);
}

std::vector<TopEntry> TopTenChartView::bars() const
{
    std::vector<TopEntry> out;
    const QBarSet *set = m_series->barSets().front();
    const QStringList names = m_names->categories();
    for (qsizetype i = set->count() - 1; i >= 0; --i)
        out.push_back({fromDisplay(unescapedHtml(names.value(i)).trimmed()), int(set->at(i))});
    return out;
}

} // namespace tw

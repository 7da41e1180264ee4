#include "stats/ui/line_chart_view.h"

#include "stats/ui/chart_style.h"

#include <QAreaSeries>
#include <QCursor>
#include <QLegendMarker>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tw {

namespace {
// At the deepest setting a ribbon is this share of the value axis high.
const double kRibbonShareAtFullDepth = 0.12;
} // namespace

LineChartView::LineChartView(QAbstractAxis *xAxis, QWidget *parent) : ZoomChartView(new QChart, parent)
{
    QChart *c = chart();
    c->legend()->setAlignment(Qt::AlignTop);
    c->addAxis(xAxis, Qt::AlignBottom);
    m_yAxis = new QValueAxis;
    m_yAxis->setTitleText(QStringLiteral("Frequency"));
    m_yAxis->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(m_yAxis, Qt::AlignLeft);

    const std::array<QString, 3> names{chart_style::kFound, chart_style::kDeleted, chart_style::kChecked};
    const std::array<QColor, 3> colours{chart_style::foundColour(), chart_style::deletedColour(),
                                        chart_style::checkedColour()};
    for (size_t i = 0; i < 3; ++i) {
        // The ribbons go in first so that every line is drawn over them.
        m_ribbonTops[i] = new QLineSeries(this);
        m_ribbonBottoms[i] = new QLineSeries(this);
        m_ribbons[i] = new QAreaSeries(m_ribbonTops[i], m_ribbonBottoms[i]);
        QColor fill = colours[i];
        fill.setAlpha(70);
        m_ribbons[i]->setBrush(fill);
        m_ribbons[i]->setPen(Qt::NoPen);
        c->addSeries(m_ribbons[i]);
        m_ribbons[i]->attachAxis(xAxis);
        m_ribbons[i]->attachAxis(m_yAxis);
        for (QLegendMarker *marker : c->legend()->markers(m_ribbons[i]))
            marker->setVisible(false);
    }
    for (size_t i = 0; i < 3; ++i) {
        m_lines[i] = new QLineSeries;
        m_lines[i]->setName(names[i]);
        m_lines[i]->setPen(QPen(colours[i], 2));
        // A series of one point (one day, one hour) draws no line: its point shows it.
        m_lines[i]->setPointsVisible(true);
        m_lines[i]->setMarkerSize(7);
        c->addSeries(m_lines[i]);
        m_lines[i]->attachAxis(xAxis);
        m_lines[i]->attachAxis(m_yAxis);
        connect(m_lines[i], &QLineSeries::hovered, this, [this, i](const QPointF &point, bool entered) {
            if (!entered) {
                QToolTip::hideText();
                return;
            }
            // The nearest point of the series to where the mouse touched the line.
            const QList<QPointF> &pts = m_points[i];
            const auto nearest = std::min_element(pts.begin(), pts.end(), [&](const QPointF &a, const QPointF &b) {
                return std::abs(a.x() - point.x()) < std::abs(b.x() - point.x());
            });
            if (nearest != pts.end())
                QToolTip::showText(QCursor::pos(), m_lines[i]->name() + QStringLiteral(": %1").arg(nearest->y()), this);
        });
    }
}

void LineChartView::setPoints(const QList<QPointF> &found, const QList<QPointF> &deleted,
                              const QList<QPointF> &checked)
{
    m_points = {found, deleted, checked};
    double top = 0;
    for (size_t i = 0; i < 3; ++i) {
        m_lines[i]->replace(m_points[i]);
        for (const QPointF &p : m_points[i])
            top = std::max(top, p.y());
    }
    m_yAxis->setRange(0, std::max(1.0, top));
    m_yAxis->applyNiceNumbers();
    m_valueMax = std::max(1.0, m_yAxis->max());
    updateRibbons();
}

void LineChartView::setDepth(int percent)
{
    m_depth = std::clamp(percent, 5, 70);
    updateRibbons();
}

void LineChartView::setSeriesVisible(Series series, bool visible)
{
    m_lines[series]->setVisible(visible);
    m_ribbons[series]->setVisible(visible);
}

bool LineChartView::seriesVisible(Series series) const { return m_lines[series]->isVisible(); }

void LineChartView::updateRibbons()
{
    const double thickness = m_valueMax * kRibbonShareAtFullDepth * m_depth / 70.0;
    for (size_t i = 0; i < 3; ++i) {
        QList<QPointF> bottom = m_points[i];
        for (QPointF &p : bottom)
            p.setY(std::max(0.0, p.y() - thickness));
        m_ribbonTops[i]->replace(m_points[i]);
        m_ribbonBottoms[i]->replace(bottom);
    }
}

} // namespace tw

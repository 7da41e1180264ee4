#pragma once
// A line chart of the three statistics series ("Number Found", "Number
// Deleted", "E-mail Check") with a depth: each line sits on a ribbon in its
// own colour whose thickness is the depth in percent, and each series can be
// shown or hidden. The horizontal axis is the caller's (half-hours or dates).

#include "stats/ui/zoom_chart_view.h"

#include <QList>
#include <QPointF>
#include <array>

class QAbstractAxis;
class QAreaSeries;
class QLineSeries;
class QValueAxis;

namespace tw {

class LineChartView : public ZoomChartView {
    Q_OBJECT
public:
    enum Series { Found, Deleted, Checked };

    // XAxis becomes the chart's bottom axis (owned by the chart).
    LineChartView(QAbstractAxis *xAxis, QWidget *parent = nullptr);

    // Replaces the points of the three series and fits the value axis.
    void setPoints(const QList<QPointF> &found, const QList<QPointF> &deleted, const QList<QPointF> &checked);
    const QList<QPointF> &points(Series series) const { return m_points[series]; }
    QLineSeries *line(Series series) const { return m_lines[series]; }

    // Depth in percent (5 to 70): the thickness of the ribbons.
    void setDepth(int percent);
    int depth() const { return m_depth; }
    void setSeriesVisible(Series series, bool visible);
    bool seriesVisible(Series series) const;

private:
    void updateRibbons();

    QValueAxis *m_yAxis;
    std::array<QList<QPointF>, 3> m_points;
    std::array<QLineSeries *, 3> m_lines{};
    std::array<QLineSeries *, 3> m_ribbonTops{};
    std::array<QLineSeries *, 3> m_ribbonBottoms{};
    std::array<QAreaSeries *, 3> m_ribbons{};
    double m_valueMax = 1;
    int m_depth = 15;
};

} // namespace tw

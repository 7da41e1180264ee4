#pragma once
// A chart view that zooms and pans with the mouse as the statistics window's
// hints describe: drag with the left button from upper left to lower right
// to zoom into the dragged rectangle, from lower right to upper left to
// reset, and drag with the right button to move the chart. From the
// keyboard: + and - zoom, the arrow keys move the chart, Home resets it.

#include <QChartView>

class QRubberBand;

namespace tw {

class ZoomChartView : public QChartView {
    Q_OBJECT
public:
    explicit ZoomChartView(QChart *chart, QWidget *parent = nullptr);
    void setZoomable(bool zoomable) { m_zoomable = zoomable; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_zoomable = true;
    QPoint m_origin;
    QPoint m_last;
    Qt::MouseButton m_button = Qt::NoButton;
    QRubberBand *m_band = nullptr;
};

} // namespace tw

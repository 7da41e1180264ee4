#include "stats/ui/zoom_chart_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>

namespace tw {

ZoomChartView::ZoomChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus); // zoomed and moved from the keyboard too
    m_band = new QRubberBand(QRubberBand::Rectangle, this);
}

void ZoomChartView::keyPressEvent(QKeyEvent *event)
{
    constexpr qreal kStep = 20; // pixels per arrow key
    if (!m_zoomable) {
        QChartView::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: chart()->zoomIn(); break;
    case Qt::Key_Minus: chart()->zoomOut(); break;
    case Qt::Key_Home: chart()->zoomReset(); break;
    case Qt::Key_Left: chart()->scroll(-kStep, 0); break;
    case Qt::Key_Right: chart()->scroll(kStep, 0); break;
    case Qt::Key_Up: chart()->scroll(0, kStep); break;
    case Qt::Key_Down: chart()->scroll(0, -kStep); break;
    default: QChartView::keyPressEvent(event); return;
    }
    event->accept();
}

void ZoomChartView::mousePressEvent(QMouseEvent *event)
{
    if (!m_zoomable || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        QChartView::mousePressEvent(event);
        return;
    }
    m_button = event->button();
    m_origin = m_last = event->position().toPoint();
    if (m_button == Qt::LeftButton) {
        m_band->setGeometry(QRect(m_origin, QSize()));
        m_band->show();
    }
    event->accept();
}

void ZoomChartView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_button == Qt::LeftButton) {
        m_band->setGeometry(QRect(m_origin, at).normalized());
    } else if (m_button == Qt::RightButton) {
        const QPoint step = at - m_last;
        chart()->scroll(-step.x(), step.y());
        m_last = at;
    } else {
        QChartView::mouseMoveEvent(event);
        return;
    }
    event->accept();
}

void ZoomChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_button == Qt::NoButton || event->button() != m_button) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    const QPoint end = event->position().toPoint();
    if (m_button == Qt::LeftButton) {
        m_band->hide();
        const QRect dragged(m_origin, end);
        if (end.x() > m_origin.x() && end.y() > m_origin.y()) {
            chart()->zoomIn(chart()->mapFromScene(mapToScene(dragged)).boundingRect());
        } else if (end.x() < m_origin.x() && end.y() < m_origin.y()) {
            chart()->zoomReset();
        }
    }
    m_button = Qt::NoButton;
    event->accept();
}

} // namespace tw

#include "platform/ui/printed_pages.h"

#include "platform/clock.h"

#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

namespace tw {

PrintedPages::PrintedPages(QPainter &painter, QPagedPaintDevice &device, QString title)
    : m_painter(painter), m_device(device), m_title(std::move(title))
{
    // One moment for the whole printout, however long it takes.
    const QDateTime now = Clock::nowQt();
    const QLocale locale;
    m_date = locale.toString(now.date(), QLocale::ShortFormat);
    m_time = locale.toString(now.time(), QLocale::ShortFormat);
    m_line = painter.fontMetrics().height() * 3 / 2;
    m_body = painter.viewport().adjusted(m_line, m_line, -m_line, -m_line);
}

int PrintedPages::startPage()
{
    if (m_pageNumber > 0)
        m_device.newPage();
    ++m_pageNumber;
    const QRect top(m_body.left(), m_body.top(), m_body.width(), m_line);
    m_painter.drawText(top, Qt::AlignLeft, m_date);
    m_painter.drawText(top, Qt::AlignRight, m_time);
    m_painter.drawText(QRect(m_body.left(), m_body.bottom() - m_line, m_body.width(), m_line), Qt::AlignRight,
                       QStringLiteral("Page %1").arg(m_pageNumber));
    m_painter.save();
    QFont bold = m_painter.font();
    bold.setBold(true);
    m_painter.setFont(bold);
    m_painter.drawText(top, Qt::AlignHCenter, m_title);
    m_painter.restore();
    return m_body.top() + 2 * m_line;
}

} // namespace tw

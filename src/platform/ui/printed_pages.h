#pragma once
// The frame every printout of the program shares: the title in bold centred
// at the top of each page, the date at the top left, the time at the top
// right and "Page <n>" at the bottom right. Callers draw their lines between.

#include <QRect>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace tw {

class PrintedPages {
public:
    // Painter must be active on Device. Nothing is drawn until startPage.
    PrintedPages(QPainter &painter, QPagedPaintDevice &device, QString title);

    // The height of one printed line; also the page margin.
    int lineHeight() const { return m_line; }
    // The page inside its margins.
    const QRect &body() const { return m_body; }
    // Begins the first page, or a new one after it, with its frame; returns
    // the top of the page's first line.
    int startPage();
    // Whether a line at Y would run into the page's footer.
    bool full(int y) const { return y + m_line > m_body.bottom() - 2 * m_line; }

private:
    QPainter &m_painter;
    QPagedPaintDevice &m_device;
    QString m_title;
    QString m_date;
    QString m_time;
    int m_line = 0;
    QRect m_body;
    int m_pageNumber = 0;
};

} // namespace tw

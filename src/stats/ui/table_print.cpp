#include "stats/ui/table_print.h"

#include "platform/clock.h"

#include <QAbstractItemModel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <vector>

namespace tw {

namespace {

// Column widths from the headings and the first rows (a long log has far
// more rows than are worth measuring), scaled to fit Usable.
std::vector<int> columnWidths(const QAbstractItemModel &model, const QFontMetrics &metrics, int usable)
{
    const int columns = model.columnCount();
    std::vector<int> widths(size_t(columns), 1);
    const int sampled = std::min(model.rowCount(), 500);
    for (int c = 0; c < columns; ++c) {
        int widest = metrics.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < sampled; ++r)
            widest = std::max(widest, metrics.horizontalAdvance(model.index(r, c).data().toString()));
        widths[size_t(c)] = widest + metrics.height();
    }
    int total = 0;
    for (const int w : widths)
        total += w;
    if (total > usable)
        for (int &w : widths)
            w = w * usable / total;
    return widths;
}

} // namespace

void printTable(QPrinter &printer, const QString &title, const QAbstractItemModel &model)
{
    printer.setDocName(title);
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page = painter.viewport();
    const QDateTime now = Clock::nowQt();
    const QLocale locale;
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    const QString time = locale.toString(now.time(), QLocale::ShortFormat);
    const int line = painter.fontMetrics().height() * 3 / 2;
    const QRect body = page.adjusted(line, line, -line, -line);
    const std::vector<int> widths = columnWidths(model, painter.fontMetrics(), body.width());

    int pageNumber = 0;
    int y = 0;
    auto startPage = [&] {
        if (pageNumber > 0)
            printer.newPage();
        ++pageNumber;
        const QRect top(body.left(), body.top(), body.width(), line);
        painter.drawText(top, Qt::AlignLeft, date);
        painter.drawText(top, Qt::AlignRight, time);
        painter.drawText(QRect(body.left(), body.bottom() - line, body.width(), line), Qt::AlignRight,
                         QStringLiteral("Page %1").arg(pageNumber));
        QFont bold = painter.font();
        bold.setBold(true);
        painter.save();
        painter.setFont(bold);
        painter.drawText(top, Qt::AlignHCenter, title);
        y = body.top() + 2 * line;
        int x = body.left();
        for (int c = 0; c < model.columnCount(); ++c) {
            const QVariant align = model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
            painter.drawText(QRect(x, y, widths[size_t(c)] - line / 2, line),
                             align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                             model.headerData(c, Qt::Horizontal).toString());
            x += widths[size_t(c)];
        }
        painter.restore();
        y += line;
    };
    startPage();
    for (int r = 0; r < model.rowCount(); ++r) {
        if (y + line > body.bottom() - 2 * line)
            startPage();
        int x = body.left();
        for (int c = 0; c < model.columnCount(); ++c) {
            const QModelIndex index = model.index(r, c);
            const QVariant align = index.data(Qt::TextAlignmentRole);
            const int width = widths[size_t(c)] - line / 2;
            painter.drawText(QRect(x, y, width, line),
                             align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                             painter.fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, width));
            x += widths[size_t(c)];
        }
        y += line;
    }
}

} // namespace tw

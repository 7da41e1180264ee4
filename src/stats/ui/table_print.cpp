#include "stats/ui/table_print.h"

#include "platform/ui/printed_pages.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPrinter>
#include <vector>

namespace tw {

namespace {

// Column widths from the headings and the first rows (a long log has far
// more rows than are worth measuring), scaled to fit Usable.
// The headings are measured in the bold they are printed in.
std::vector<int> columnWidths(const QAbstractItemModel &model, const QFontMetrics &metrics,
                              const QFontMetrics &headingMetrics, int usable)
{
    const int columns = model.columnCount();
    std::vector<int> widths(size_t(columns), 1);
    const int sampled = std::min(model.rowCount(), 500);
    for (int c = 0; c < columns; ++c) {
        int widest = headingMetrics.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
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
    PrintedPages pages(painter, printer, title);
    const int line = pages.lineHeight();
    const QRect &body = pages.body();
    QFont bold = painter.font();
    bold.setBold(true);
    const std::vector<int> widths =
        columnWidths(model, painter.fontMetrics(), QFontMetrics(bold, painter.device()), body.width());
    auto alignment = [](const QVariant &align) {
        return align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
    };

    int y = 0;
    // Every page repeats the headings in bold under its frame.
    auto startPage = [&] {
        y = pages.startPage();
        painter.save();
        painter.setFont(bold);
        int x = body.left();
        for (int c = 0; c < model.columnCount(); ++c) {
            painter.drawText(QRect(x, y, widths[size_t(c)] - line / 2, line),
                             alignment(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole)),
                             model.headerData(c, Qt::Horizontal).toString());
            x += widths[size_t(c)];
        }
        painter.restore();
        y += line;
    };
    startPage();
    for (int r = 0; r < model.rowCount(); ++r) {
        if (pages.full(y))
            startPage();
        int x = body.left();
        for (int c = 0; c < model.columnCount(); ++c) {
            const QModelIndex index = model.index(r, c);
            const int width = widths[size_t(c)] - line / 2;
            painter.drawText(QRect(x, y, width, line), alignment(index.data(Qt::TextAlignmentRole)),
                             painter.fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, width));
            x += widths[size_t(c)];
        }
        y += line;
    }
}

} // namespace tw

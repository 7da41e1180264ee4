#include "settings/ui/rule_grid_print.h"

#include "platform/bytes.h"
#include "platform/ui/printed_pages.h"

#include <QPainter>
#include <QPrinter>

#include <vector>

namespace tw {

namespace {

std::vector<int> printedColumns(RuleKind kind, const RuleTable &table)
{
    std::vector<int> columns;
    for (int c = 0; c < table.ColCount(); ++c) {
        const bool picture = kind == RuleKind::Exception ? c == col::ExceptPicture || c == col::ExceptImage : c == 0;
        if (!picture)
            columns.push_back(c);
    }
    return columns;
}

} // namespace

std::string printTitle(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Subject:
        return "Tidewell - Subject Line Settings";
    case RuleKind::Header:
        return "Tidewell - Email Header Settings";
    case RuleKind::Sender:
        return "Tidewell - Sender Settings";
    case RuleKind::Exception:
        return "Tidewell - List of Exceptions ";
    }
    return std::string();
}

void printRuleTable(QPrinter &printer, RuleKind kind, const RuleTable &table)
{
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(toDisplay(printTitle(kind)));
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    PrintedPages pages(painter, printer, toDisplay(printTitle(kind)));
    const int line = pages.lineHeight();
    const QRect &body = pages.body();
    const std::vector<int> columns = printedColumns(kind, table);
    // Every column gets its share of the width by its longest text, so the
    // patterns get the room they need and the short Yes/No columns stay narrow.
    std::vector<int> widest(columns.size(), 1);
    for (size_t i = 0; i < columns.size(); ++i)
        for (int r = 0; r < table.RowCount(); ++r)
            widest[i] = std::max(widest[i], painter.fontMetrics().horizontalAdvance(toDisplay(table.cell(columns[i], r))));
    int total = 0;
    for (int w : widest)
        total += w + line;
    const double scale = total > body.width() ? double(body.width()) / total : 1.0;
    const int tableWidth = int(total * scale);
    const int left = body.left() + (body.width() - tableWidth) / 2; // centred

    int y = pages.startPage();
    for (int r = 0; r < table.RowCount(); ++r) {
        if (r > 0 && table.cell(col::What, r).empty() && table.cell(0, r).empty())
            continue;
        if (pages.full(y))
            y = pages.startPage();
        int x = left;
        painter.save();
        if (r == 0) {
            QFont bold = painter.font();
            bold.setBold(true);
            painter.setFont(bold);
        }
        for (size_t i = 0; i < columns.size(); ++i) {
            const int width = int((widest[i] + line) * scale);
            painter.drawText(QRect(x, y, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(toDisplay(table.cell(columns[i], r)), Qt::ElideRight,
                                                              width - line / 2));
            x += width;
        }
        painter.restore();
        y += line;
    }
}

} // namespace tw

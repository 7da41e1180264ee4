#include "settings/ui/rule_grid_print.h"

#include "platform/bytes.h"
#include "platform/clock.h"

#include <QLocale>
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
    const QRect page = painter.viewport();
    const QDateTime now = Clock::nowQt();
    const QLocale locale;
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    const QString time = locale.toString(now.time(), QLocale::ShortFormat);
    const int line = painter.fontMetrics().height() * 3 / 2;
    const int margin = line;
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
    const int usable = page.width() - 2 * margin;
    const double scale = total > usable ? double(usable) / total : 1.0;
    const int tableWidth = int(total * scale);
    const int left = page.left() + (page.width() - tableWidth) / 2; // centred

    int pageNumber = 1;
    auto pageFrame = [&] {
        painter.drawText(QRect(page.left() + margin, page.top() + margin, usable, line), Qt::AlignLeft, date);
        painter.drawText(QRect(page.left() + margin, page.top() + margin, usable, line), Qt::AlignRight, time);
        QFont titleFont = painter.font();
        titleFont.setBold(true);
        painter.save();
        painter.setFont(titleFont);
        painter.drawText(QRect(page.left() + margin, page.top() + margin, usable, line), Qt::AlignHCenter,
                         toDisplay(printTitle(kind)));
        painter.restore();
        painter.drawText(QRect(page.left() + margin, page.bottom() - margin - line, usable, line), Qt::AlignRight,
                         QStringLiteral("Page %1").arg(pageNumber));
    };
    pageFrame();
    int y = page.top() + margin + 2 * line;
    for (int r = 0; r < table.RowCount(); ++r) {
        if (r > 0 && table.cell(col::What, r).empty() && table.cell(0, r).empty())
            continue;
        if (y + line > page.bottom() - margin - 2 * line) {
            printer.newPage();
            ++pageNumber;
            pageFrame();
            y = page.top() + margin + 2 * line;
        }
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

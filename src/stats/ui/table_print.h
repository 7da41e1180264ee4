#pragma once
// Prints a statistics table: the title centred at the top of every page, the
// date at the top left, the time at the top right, "Page <n>" at the bottom
// right, the headings in bold and the rows below, each column as wide as its
// share of the page and aligned as the table aligns it.

#include <QString>

class QAbstractItemModel;
class QPrinter;

namespace tw {

void printTable(QPrinter &printer, const QString &title, const QAbstractItemModel &model);

} // namespace tw

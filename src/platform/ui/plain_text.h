#pragma once
// Text that comes from a server, a message or a file is shown as written,
// never read as markup. Qt takes text that looks like HTML for rich text in
// labels, message boxes and tooltips, where a link in it becomes clickable:
// a server's "-ERR <a href=...>" reply would put a live link in Tidewell's
// own error box. Labels and boxes that may show such text are set to plain
// text; a tooltip, which has no such setting, gets the text escaped.

#include <QString>

class QLabel;

namespace tw {

// Sets Label to show its text as plain text; returns it.
QLabel *plainLabel(QLabel *label);

// A tooltip that shows Text as written: Text itself when Qt reads it as
// plain text, else Text escaped in rich text of its own.
QString plainToolTip(const QString &text);

} // namespace tw

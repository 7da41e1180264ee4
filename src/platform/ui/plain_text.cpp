#include "platform/ui/plain_text.h"

#include <QLabel>

namespace tw {

QLabel *plainLabel(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString plainToolTip(const QString &text)
{
    if (text.isEmpty())
        return text; // an empty tooltip hides it
    // Rich text whose content is the text escaped: whatever the text holds
    // is shown, nothing of it is read as markup.
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace tw

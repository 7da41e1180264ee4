#include "platform/ui/plain_text.h"

#include <QLabel>
#include <QTextDocument>

namespace tw {

QLabel *plainLabel(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString plainToolTip(const QString &text)
{
    // Text that Qt would read as plain text stays as it is (a tray host
    // that shows tooltips its own way gets plain text then); text that
    // looks like markup becomes rich text whose content is the text
    // escaped, so that it shows as written.
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace tw

#include "platform/ui/widget_prompts.h"

#include "platform/bytes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tw {

static QWidget *promptParent() { return QApplication::activeWindow(); }

static QString appTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Tidewell") : name;
}

void WidgetPrompts::error(const std::string &text)
{
    QMessageBox::critical(promptParent(), appTitle(), toDisplay(text));
}

void WidgetPrompts::warning(const std::string &text)
{
    QMessageBox::warning(promptParent(), appTitle(), toDisplay(text));
}

void WidgetPrompts::information(const std::string &text)
{
    QMessageBox::information(promptParent(), appTitle(), toDisplay(text));
}

bool WidgetPrompts::yesNo(const std::string &text)
{
    return QMessageBox::question(promptParent(), appTitle(), toDisplay(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool WidgetPrompts::yesNoDefaultNo(const std::string &text)
{
    return QMessageBox::question(promptParent(), appTitle(), toDisplay(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool WidgetPrompts::inputText(const std::string &caption, const std::string &prompt, std::string &value)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(promptParent(), toDisplay(caption), toDisplay(prompt),
                                                QLineEdit::Normal, toDisplay(value), &ok);
    if (ok)
        value = fromDisplay(typed);
    return ok;
}

} // namespace tw

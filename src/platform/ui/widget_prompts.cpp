#include "platform/ui/widget_prompts.h"

#include "platform/bytes.h"
#include "platform/ui/plain_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>

namespace tw {

static QWidget *promptParent() { return QApplication::activeWindow(); }

static QString appTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Tidewell") : name;
}

// A message box that shows Text as plain text: many texts carry a server's
// reply or a message's header, which must never become markup or a link.
static QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const std::string &text,
                                           QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, appTitle(), toDisplay(text), buttons, promptParent());
    box.setTextFormat(Qt::PlainText);
    return QMessageBox::StandardButton(box.exec());
}

void WidgetPrompts::error(const std::string &text) { showBox(QMessageBox::Critical, text, QMessageBox::Ok); }

void WidgetPrompts::warning(const std::string &text) { showBox(QMessageBox::Warning, text, QMessageBox::Ok); }

void WidgetPrompts::information(const std::string &text) { showBox(QMessageBox::Information, text, QMessageBox::Ok); }

bool WidgetPrompts::yesNo(const std::string &text)
{
    return showBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool WidgetPrompts::yesNoDefaultNo(const std::string &text)
{
    return QMessageBox::question(promptParent(), appTitle(), toDisplay(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool WidgetPrompts::yesNoDefaultNoWithCheckBox(const std::string &text, const std::string &checkBox, bool &checked)
{
    QMessageBox box(QMessageBox::Question, appTitle(), toDisplay(text), QMessageBox::Yes | QMessageBox::No,
                    promptParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    auto *option = new QCheckBox(toDisplay(checkBox));
    option->setChecked(checked);
    box.setCheckBox(option);
    const bool yes = box.exec() == QMessageBox::Yes;
    checked = option->isChecked();
    return yes;
}

bool WidgetPrompts::inputText(const std::string &caption, const std::string &prompt, std::string &value)
{
    return input(caption, prompt, value, false);
}

bool WidgetPrompts::inputSecret(const std::string &caption, const std::string &prompt, std::string &value)
{
    return input(caption, prompt, value, true);
}

int WidgetPrompts::choose(const std::string &text, const std::vector<std::string> &choices)
{
    QMessageBox box(QMessageBox::Question, appTitle(), toDisplay(text), QMessageBox::NoButton, promptParent());
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton *> buttons;
    for (const std::string &choice : choices)
        buttons.push_back(box.addButton(toDisplay(choice), QMessageBox::AcceptRole));
    box.addButton(QMessageBox::Cancel);
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return int(i);
    return -1;
}

bool WidgetPrompts::input(const std::string &caption, const std::string &prompt, std::string &value, bool secret)
{
    QInputDialog dialog(promptParent());
    if (secret)
        dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setWindowTitle(toDisplay(caption));
    dialog.setLabelText(toDisplay(prompt));
    dialog.setTextValue(toDisplay(value));
    for (QLabel *label : dialog.findChildren<QLabel *>())
        plainLabel(label);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = fromDisplay(dialog.textValue());
    return true;
}

} // namespace tw

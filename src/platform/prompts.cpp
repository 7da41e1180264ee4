#include "platform/prompts.h"

#include "platform/bytes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tw {

static Prompts *&installed()
{
    static Prompts *replacement = nullptr;
    return replacement;
}

Prompts &Prompts::current()
{
    static WidgetPrompts real;
    return installed() ? *installed() : real;
}

void Prompts::install(Prompts *replacement) { installed() = replacement; }

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

bool WidgetPrompts::inputText(const std::string &caption, const std::string &prompt, std::string &value)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(promptParent(), toDisplay(caption), toDisplay(prompt),
                                                QLineEdit::Normal, toDisplay(value), &ok);
    if (ok)
        value = fromDisplay(typed);
    return ok;
}

bool ScriptedPrompts::yesNo(const std::string &text)
{
    shown.push_back("yesno: " + text);
    if (yesNoAnswers.empty())
        return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

bool ScriptedPrompts::inputText(const std::string &caption, const std::string &prompt, std::string &value)
{
    shown.push_back("input: " + caption + " / " + prompt + " [" + value + "]");
    if (inputAnswers.empty())
        return false;
    const auto [ok, typed] = inputAnswers.front();
    inputAnswers.pop_front();
    if (ok)
        value = typed;
    return ok;
}

} // namespace tw

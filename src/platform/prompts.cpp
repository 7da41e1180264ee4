#include "platform/prompts.h"

#include "platform/service_slot.h"

#include <cstdio>

namespace tw {

static ServiceSlot<Prompts> &slot()
{
    static ConsolePrompts console;
    static ServiceSlot<Prompts> instance(console);
    return instance;
}

Prompts &Prompts::current() { return slot().current(); }
void Prompts::install(Prompts *replacement) { slot().install(replacement); }
void Prompts::setDesktop(Prompts *desktop) { slot().setDesktop(desktop); }

static void tell(const char *kind, const std::string &text)
{
    std::fprintf(stderr, "Tidewell: %s: %s\n", kind, text.c_str());
}

void ConsolePrompts::error(const std::string &text) { tell("error", text); }
void ConsolePrompts::warning(const std::string &text) { tell("warning", text); }
void ConsolePrompts::information(const std::string &text) { tell("information", text); }

bool ConsolePrompts::yesNo(const std::string &text)
{
    tell("question answered No", text);
    return false;
}

bool ConsolePrompts::inputText(const std::string &caption, const std::string &prompt, std::string &)
{
    tell("input cancelled", caption + " / " + prompt);
    return false;
}

int ConsolePrompts::choose(const std::string &text, const std::vector<std::string> &)
{
    tell("question left unanswered", text);
    return -1;
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

bool ScriptedPrompts::yesNoDefaultNo(const std::string &text)
{
    askedNoByDefault.push_back(text);
    return yesNo(text);
}

bool ScriptedPrompts::yesNoDefaultNoWithCheckBox(const std::string &text, const std::string &checkBox, bool &checked)
{
    checkBoxes.push_back(checkBox);
    if (!checkBoxAnswers.empty()) {
        checked = checkBoxAnswers.front();
        checkBoxAnswers.pop_front();
    }
    return yesNoDefaultNo(text);
}

bool ScriptedPrompts::inputText(const std::string &caption, const std::string &prompt, std::string &value)
{
    shown.push_back("input: " + caption + " / " + prompt + " [" + value + "]");
    return answerInput(value);
}

bool ScriptedPrompts::inputSecret(const std::string &caption, const std::string &prompt, std::string &value)
{
    shown.push_back("secret: " + caption + " / " + prompt);
    return answerInput(value);
}

bool ScriptedPrompts::answerInput(std::string &value)
{
    if (inputAnswers.empty())
        return false;
    const auto [ok, typed] = inputAnswers.front();
    inputAnswers.pop_front();
    if (ok)
        value = typed;
    return ok;
}

int ScriptedPrompts::choose(const std::string &text, const std::vector<std::string> &choices)
{
    std::string listed;
    for (const std::string &choice : choices)
        listed += (listed.empty() ? "" : " | ") + choice;
    shown.push_back("choose: " + text + " [" + listed + "]");
    if (chooseAnswers.empty())
        return -1;
    const int answer = chooseAnswers.front();
    chooseAnswers.pop_front();
    return answer;
}

} // namespace tw

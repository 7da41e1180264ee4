#pragma once
// Every message box, question and input box of the program goes through
// Prompts, so that tests can read what the user would have been told and
// answer from a script. The desktop implementation (QMessageBox/QInputDialog)
// lives in platform/ui and is registered by the program at start-up; until
// then, and in programs without windows, ConsolePrompts answers.

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tw {

class Prompts {
public:
    virtual ~Prompts() = default;

    virtual void error(const std::string &text) = 0;
    virtual void warning(const std::string &text) = 0;
    virtual void information(const std::string &text) = 0;
    // True for Yes.
    virtual bool yesNo(const std::string &text) = 0;
    // A question whose safe answer is No: No is the default button, so Enter
    // or a hasty click does not say Yes. True for Yes.
    virtual bool yesNoDefaultNo(const std::string &text) { return yesNo(text); }
    // The same with a check box under the question, captioned CheckBox;
    // Checked holds its state on entry (as first shown) and on exit.
    virtual bool yesNoDefaultNoWithCheckBox(const std::string &text, const std::string &checkBox, bool &checked)
    {
        (void)checkBox;
        (void)checked;
        return yesNoDefaultNo(text);
    }
    // True when confirmed; Value holds the initial text on entry, the typed text on exit.
    virtual bool inputText(const std::string &caption, const std::string &prompt, std::string &value) = 0;
    // The same for a password: what is typed is not shown.
    virtual bool inputSecret(const std::string &caption, const std::string &prompt, std::string &value)
    {
        return inputText(caption, prompt, value);
    }
    // A question answered by one of Choices (each a button's caption); the
    // number of the choice, or -1 when the box was closed without one.
    virtual int choose(const std::string &text, const std::vector<std::string> &choices) = 0;

    // The instance the program uses: a test's double, else the desktop's, else the console's.
    static Prompts &current();
    // Installs a test's Replacement (nullptr removes it). Not owned.
    static void install(Prompts *replacement);
    // Registers the desktop implementation (nullptr removes it). Not owned.
    static void setDesktop(Prompts *desktop);
};

// Without windows: every text goes to standard error as "Tidewell: kind: text";
// questions and input boxes are answered No / cancel, so nothing is ever done
// that a user did not confirm.
class ConsolePrompts : public Prompts {
public:
    void error(const std::string &text) override;
    void warning(const std::string &text) override;
    void information(const std::string &text) override;
    bool yesNo(const std::string &text) override;
    bool inputText(const std::string &caption, const std::string &prompt, std::string &value) override;
    int choose(const std::string &text, const std::vector<std::string> &choices) override;
};

// Test double: records every prompt ("error: ...", "yesno: ...", "input:
// ...", "secret: caption / prompt", "choose: text [a | b]") and answers
// questions, input boxes and choices from queues (default: No / cancel /
// none). Input boxes for passwords take their answers from InputAnswers too.
class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts() { install(this); }
    ~ScriptedPrompts() override { install(nullptr); }

    std::vector<std::string> shown;   // "kind: text" in order
    std::vector<std::string> askedNoByDefault; // the texts of the questions asked with No as default
    std::deque<bool> yesNoAnswers;
    std::deque<std::pair<bool, std::string>> inputAnswers;
    std::deque<int> chooseAnswers;
    std::vector<std::string> checkBoxes;  // the captions of the check boxes shown with questions
    std::deque<bool> checkBoxAnswers;     // how the user leaves them (default: as shown)

    void error(const std::string &text) override { shown.push_back("error: " + text); }
    void warning(const std::string &text) override { shown.push_back("warning: " + text); }
    void information(const std::string &text) override { shown.push_back("information: " + text); }
    bool yesNo(const std::string &text) override;
    bool yesNoDefaultNo(const std::string &text) override;
    bool yesNoDefaultNoWithCheckBox(const std::string &text, const std::string &checkBox, bool &checked) override;
    bool inputText(const std::string &caption, const std::string &prompt, std::string &value) override;
    bool inputSecret(const std::string &caption, const std::string &prompt, std::string &value) override;
    int choose(const std::string &text, const std::vector<std::string> &choices) override;

private:
    bool answerInput(std::string &value);
};

} // namespace tw

#pragma once
// Every message box, question and input box of the program goes through
// Prompts, so that tests can read what the user would have been told and
// answer from a script. The real implementation shows QMessageBox/QInputDialog.

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
    // True when confirmed; Value holds the initial text on entry, the typed text on exit.
    virtual bool inputText(const std::string &caption, const std::string &prompt, std::string &value) = 0;

    // The instance the program uses; the real one unless a test installed another.
    static Prompts &current();
    // Installs Replacement (nullptr restores the real one). Not owned.
    static void install(Prompts *replacement);
};

// The widget-based implementation.
class WidgetPrompts : public Prompts {
public:
    void error(const std::string &text) override;
    void warning(const std::string &text) override;
    void information(const std::string &text) override;
    bool yesNo(const std::string &text) override;
    bool inputText(const std::string &caption, const std::string &prompt, std::string &value) override;
};

// Test double: records every prompt ("error: ...", "yesno: ..." and so on)
// and answers questions and input boxes from queues (default: No / cancel).
class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts() { install(this); }
    ~ScriptedPrompts() override { install(nullptr); }

    std::vector<std::string> shown;   // "kind: text" in order
    std::deque<bool> yesNoAnswers;
    std::deque<std::pair<bool, std::string>> inputAnswers;

    void error(const std::string &text) override { shown.push_back("error: " + text); }
    void warning(const std::string &text) override { shown.push_back("warning: " + text); }
    void information(const std::string &text) override { shown.push_back("information: " + text); }
    bool yesNo(const std::string &text) override;
    bool inputText(const std::string &caption, const std::string &prompt, std::string &value) override;
};

} // namespace tw

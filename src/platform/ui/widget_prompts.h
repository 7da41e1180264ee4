#pragma once
// Prompts as the desktop shows them: QMessageBox and QInputDialog over the
// active window, titled with the program's name. Every text shows as plain
// text (platform/ui/plain_text.h).

#include "platform/prompts.h"

namespace tw {

class WidgetPrompts : public Prompts {
public:
    void error(const std::string &text) override;
    void warning(const std::string &text) override;
    void information(const std::string &text) override;
    bool yesNo(const std::string &text) override;
    bool yesNoDefaultNo(const std::string &text) override;
    bool yesNoDefaultNoWithCheckBox(const std::string &text, const std::string &checkBox, bool &checked) override;
    bool inputText(const std::string &caption, const std::string &prompt, std::string &value) override;
    bool inputSecret(const std::string &caption, const std::string &prompt, std::string &value) override;
    int choose(const std::string &text, const std::vector<std::string> &choices) override;

private:
    bool input(const std::string &caption, const std::string &prompt, std::string &value, bool secret);
};

} // namespace tw

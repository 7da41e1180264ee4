#include "classify/waiting_messages.h"

#include <algorithm>

namespace tw {

std::string markMeaning(int value)
{
    switch (value) {
    case mark::None: return {};
    case mark::CheckMark: return "Check mark: to be deleted";
    case mark::QuestionMark: return "Question mark: to be looked at";
    case mark::BlacklistMark: return "Blacklist mark: a known spammer, to be deleted";
    default: break;
    }
    if (value >= mark::DefaultException && value <= mark::LastException)
        return "Exception picture " + std::to_string(value - mark::DefaultException + 1) + ": always accepted";
    return {};
}

int WaitingMessages::add(TWaitingMessage message)
{
    m_rows.push_back(std::move(message));
    return count() - 1;
}

int WaitingMessages::markedCount() const
{
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const TWaitingMessage &m) { return isMarkedForDeletion(m.mark); }));
}

bool WaitingMessages::anySelected() const { return firstSelected() >= 0; }

int WaitingMessages::firstSelected() const
{
    for (int i = 0; i < count(); ++i)
        if (m_rows[static_cast<size_t>(i)].selected)
            return i;
    return -1;
}

std::string WaitingMessages::ShowTotalCount() const
{
    return "Message Total: " + std::to_string(count()) + " Number Marked: " + std::to_string(markedCount());
}

std::string WaitingMessages::ResetButtonClick()
{
    for (auto &message : m_rows)
        message.mark = mark::None;
    return ShowTotalCount();
}

std::string WaitingMessages::NadaSelected() const
{
    if (!m_rows.empty())
        return "No messages were selected.  To select one message click on a subject.  To select multiple messages "
               "drag the mouse over the list of desired subjects.";
    return "Either there are no e-mail messages waiting on the mail server or you have not yet clicked on the "
           "\"Check E-Mail\" button.";
}

bool WaitingMessages::btMarkClick()
{
    if (!anySelected())
        return false;
    for (auto &message : m_rows) {
        if (!message.selected)
            continue;
        message.unmarkedByUser = isMarkedForDeletion(message.mark);
        message.mark = message.unmarkedByUser ? mark::None : mark::CheckMark;
    }
    return true;
}

void WhyLog::whyAdd(bool checkMark, const std::string &name, const std::string &data, const std::string &quoted,
                    bool caseSensitive)
{
    if (!whyMode)
        return;
    const std::string prefix = m_exceptionLine ? "Exception : " : checkMark ? "Delete   : " : "Question : ";
    if (quoted.empty()) {
        lines.push_back(prefix + " " + name + " " + data);
        return;
    }
    const std::string caseText = caseSensitive ? " (Case Sensitive)" : "";
    lines.push_back(prefix + " " + name + " " + data + " \"" + quoted + "\" " + caseText);
}

void WhyLog::whyExcept(const std::string &name, const std::string &data, const std::string &quoted,
                       bool caseSensitive)
{
    m_exceptionLine = true;
    whyAdd(false, name, data, quoted, caseSensitive);
    m_exceptionLine = false;
}

} // namespace tw

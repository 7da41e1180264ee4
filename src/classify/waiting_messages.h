#pragma once
// The messages waiting on the server of the mailbox checked last: one row per
// message with its display texts, its mark and its selection. Row i is item i
// of the POP3 client's message information list, so rows are only ever
// appended or cleared, never inserted, removed or reordered.

#include <string>
#include <vector>

namespace tw {

// Mark values. "Marked" (to be deleted) means CheckMark or BlacklistMark.
namespace mark {
inline constexpr int None = -1;
inline constexpr int CheckMark = 0;
inline constexpr int QuestionMark = 1;
inline constexpr int BlacklistMark = 2;
inline constexpr int DefaultException = 3; // exception images are 3..14
inline constexpr int LastException = 14;
} // namespace mark

inline bool isMarkedForDeletion(int value) { return value == mark::CheckMark || value == mark::BlacklistMark; }

// What a mark's picture means, in words, for those who cannot see it (a
// screen reader reads it out); "" for no mark.
std::string markMeaning(int value);

struct TWaitingMessage {
    std::string subject;
    std::string senderAddress;
    std::string senderName;
    std::string sizeText;
    std::string dateText;
    int mark = mark::None;
    bool selected = false;
    // The user took a deletion mark away (btMarkClick) and has not given it
    // back: what the user decided, for the learned score.
    bool unmarkedByUser = false;
};

class WaitingMessages {
public:
    int count() const { return static_cast<int>(m_rows.size()); }
    TWaitingMessage &row(int i) { return m_rows.at(static_cast<size_t>(i)); }
    const TWaitingMessage &row(int i) const { return m_rows.at(static_cast<size_t>(i)); }
    // Appends a row (its mark as given, normally none) and returns its index.
    int add(TWaitingMessage message);
    void clear() { m_rows.clear(); }

    int markedCount() const;
    bool anySelected() const;
    // Index of the first selected row, or -1.
    int firstSelected() const;

    // The status text: "Message Total: <rows> Number Marked: <marked>".
    std::string ShowTotalCount() const;
    // Clears every mark; returns the new status text.
    std::string ResetButtonClick();
    // The information text for a command that needs a selection and has none.
    std::string NadaSelected() const;
    // Toggles the selected rows: a marked row (0 or 2) loses its mark (and
    // is noted as unmarked by the user), any other becomes a check mark.
    // Returns false, changing nothing, when no row is selected (the caller
    // then shows NadaSelected).
    bool btMarkClick();

private:
    std::vector<TWaitingMessage> m_rows;
};

// The explanation lines the classification writes while why mode is set.
class WhyLog {
public:
    bool whyMode = false;
    std::vector<std::string> lines;

    // Appends one explanation line (only in why mode): the prefix
    // "Delete   : " or "Question : " ("Exception : " inside whyExcept), the
    // name, the data and, when Quoted is not empty, the quoted text and the
    // case note " (Case Sensitive)".
    void whyAdd(bool checkMark, const std::string &name, const std::string &data, const std::string &quoted = {},
                bool caseSensitive = false);
    // whyAdd with the exception prefix.
    void whyExcept(const std::string &name, const std::string &data, const std::string &quoted = {},
                   bool caseSensitive = false);

private:
    bool m_exceptionLine = false;
};

} // namespace tw

#pragma once
// The text body of a message: its lines held in one buffer, each line
// followed by "\n". A decoded body can be as large as the message itself, so
// it is never kept as one string per line (a message of empty lines would
// cost a string object for every two bytes). Lines never hold CR or LF: text
// added here is split into lines at CR LF, CR or LF.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

class TBodyLines {
public:
    bool empty() const { return m_text.empty(); }
    // The lines, each followed by "\n"; "" when there are none, "\n" for one empty line.
    const std::string &text() const { return m_text; }
    // How many lines; counts through the buffer.
    size_t lineCount() const;
    // A copy of every line (for small bodies and tests).
    std::vector<std::string> lines() const;

    // Appends one line; a CR or LF inside it starts a further line.
    void push_back(std::string_view line);
    void emplace_back() { m_text += '\n'; }
    // Appends Bytes split into lines at CR LF, CR or LF; a final line end
    // starts no further (empty) line, and text without one still ends a line.
    void appendText(std::string_view bytes);
    // Replaces the body by Bytes split as appendText does, taking over their
    // buffer: no copy is made of a large decoded text.
    void assignText(std::string &&bytes);

    // The last line (empty when there are none).
    std::string_view back() const;
    void pop_back();
    // Room for Bytes of text, so that a large body is not copied as it grows.
    void reserve(size_t bytes) { m_text.reserve(bytes); }
    // Gives back the room reserved beyond the text.
    void shrink_to_fit() { m_text.shrink_to_fit(); }
    // Empties the body and gives its memory back.
    void clear() { std::string().swap(m_text); }

    bool operator==(const TBodyLines &) const = default;

private:
    std::string m_text;
};

} // namespace tw

#include "net/body_lines.h"

#include <algorithm>

namespace tw {

namespace {

// Turns every CR LF and lone CR of Text from position From on into LF, in
// place, and ends the text with LF when it has any bytes after From.
void normalizeLineEnds(std::string &text, size_t from)
{
    size_t out = from;
    for (size_t in = from; in < text.size(); ++in) {
        const char c = text[in];
        if (c == '\r') {
            text[out++] = '\n';
            if (in + 1 < text.size() && text[in + 1] == '\n')
                ++in;
        } else {
            text[out++] = c;
        }
    }
    text.resize(out);
    if (text.size() > from && text.back() != '\n')
        text += '\n';
}

} // namespace

size_t TBodyLines::lineCount() const { return size_t(std::count(m_text.begin(), m_text.end(), '\n')); }

std::vector<std::string> TBodyLines::lines() const
{
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = m_text.find('\n', start)) != std::string::npos; start = end + 1)
        result.emplace_back(m_text, start, end - start);
    return result;
}

void TBodyLines::push_back(std::string_view line)
{
    const size_t from = m_text.size();
    m_text.append(line);
    normalizeLineEnds(m_text, from);
    if (m_text.size() == from)
        m_text += '\n'; // an empty line
}

void TBodyLines::appendText(std::string_view bytes)
{
    const size_t from = m_text.size();
    m_text.append(bytes);
    normalizeLineEnds(m_text, from);
}

void TBodyLines::assignText(std::string &&bytes)
{
    m_text = std::move(bytes);
    normalizeLineEnds(m_text, 0);
}

std::string_view TBodyLines::back() const
{
    if (m_text.empty())
        return {};
    const std::string_view text(m_text.data(), m_text.size() - 1);
    const size_t newline = text.rfind('\n');
    return newline == std::string_view::npos ? text : text.substr(newline + 1);
}

void TBodyLines::pop_back()
{
    if (!m_text.empty())
        m_text.resize(m_text.size() - back().size() - 1);
}

} // namespace tw

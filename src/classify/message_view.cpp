#include "classify/message_view.h"

#include "net/charset.h"
#include "net/errors.h"
#include "platform/bytes.h"

#include <algorithm>

namespace tw {

std::string_view MessageView::line(int k)
{
    if (!m_readDone) {
        m_readDone = true;
        const TmsHeaders::LineRange lines = m_headers.Lines();
        // Most blocks are plain ASCII: their lines are read in place.
        if (std::any_of(lines.begin(), lines.end(), [](std::string_view text) { return needsHeaderConversion(text); })) {
            const std::string charset = m_headers.DeclaredCharset();
            m_read.reserve(lines.size());
            for (const auto &text : lines)
                m_read.push_back(rawHeaderTextToUtf8(text, charset));
        }
    }
    if (m_read.empty())
        return m_headers.Strings(k);
    return m_read.at(static_cast<size_t>(k));
}

const std::string &MessageView::foldedLine(int k)
{
    if (m_folded.empty() && m_headers.Count() > 0) {
        m_folded.reserve(static_cast<size_t>(m_headers.Count()));
        for (int i = 0; i < m_headers.Count(); ++i)
            m_folded.push_back(upperCase(line(i)));
    }
    return m_folded.at(static_cast<size_t>(k));
}

const std::string &MessageView::joinedLines(bool folded)
{
    const int which = folded ? 1 : 0;
    if (!m_joinedDone[which]) {
        std::string &joined = m_joined[which];
        if (folded) {
            joined = upperCase(joinedLines(false)); // folding works byte by byte
        } else {
            for (int k = 0; k + 1 < lineCount(); ++k)
                joined.append(1, '\n').append(line(k));
            joined += '\n';
        }
        m_joinedDone[which] = true;
    }
    return m_joined[which];
}

bool MessageView::lineFilterPaysOff()
{
    return ++m_lineSearches > kSearchesBeforeLineFilter;
}

const BigramFilter &MessageView::lineFilter()
{
    if (!m_lineFilterDone) {
        m_lineFilter.add(joinedLines(true));
        m_lineFilterDone = true;
    }
    return m_lineFilter;
}

std::string MessageView::fieldKey(const std::string &name)
{
    std::string key = upperCase(name);
    if (key.empty() || key.back() != ':')
        key += ':';
    return key;
}

const MessageView::FieldValue &MessageView::lookUp(const std::string &key, const std::string &name)
{
    auto found = m_fields.find(key);
    if (found != m_fields.end())
        return found->second;
    FieldValue value;
    try {
        value.text = m_headers.GetFieldBody(name);
    } catch (const ETidewellError &) {
        value.text.clear();
    }
    value.folded = upperCase(value.text);
    value.filter.add(value.folded);
    return m_fields.emplace(key, std::move(value)).first->second;
}

const std::string &MessageView::field(const std::string &name) { return lookUp(fieldKey(name), name).text; }
const std::string &MessageView::foldedField(const std::string &name) { return lookUp(fieldKey(name), name).folded; }

std::string MessageView::address(const std::string &name) { return SplitAddress(field(name)).address; }

} // namespace tw

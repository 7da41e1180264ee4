#pragma once
// One message as the classification stages look at it: its raw header lines
// with their upper-cased forms and the header values already looked up,
// each computed at most once however many rules ask.

#include "classify/bigram_filter.h"
#include "net/msmsgcls.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class MessageView {
public:
    explicit MessageView(const TmsHeaders &headers) : m_headers(headers) {}

    int lineCount() const { return m_headers.Count(); }
    // Header line K as the rules read it: raw 8-bit text in UTF-8, read as
    // header values are (valid UTF-8, else the charset the message declares,
    // else Latin-1), so a rule typed in a script matches a line written in it.
    // A view into the block or into this view: valid while both live and the
    // block is unchanged.
    std::string_view line(int k);
    const std::string &foldedLine(int k);

    // Every line but the last, each preceded by LF, and a final LF; as
    // written or upper-cased. A rule text that occurs in no line cannot
    // occur in this, so one search here can spare a search per line.
    const std::string &joinedLines(bool folded);
    // A BigramFilter over the upper-cased joined lines.
    const BigramFilter &lineFilter();
    // Asked before each search of the joined lines: whether so many were
    // made that the filter (as costly to build as a few searches) pays off.
    bool lineFilterPaysOff();

    // The header name as field lookups key it: upper-cased, with its colon.
    static std::string fieldKey(const std::string &name);

    // The value of header Name (GetFieldBody). A value whose encoded words
    // cannot be decoded counts as absent rather than stopping the whole
    // classification.
    const std::string &field(const std::string &name);
    // The same value upper-cased.
    const std::string &foldedField(const std::string &name);
    // A header's value in the forms the rules compare, looked up once.
    struct FieldValue {
        std::string text;
        std::string folded;  // upper-cased
        BigramFilter filter; // over Folded
    };
    // For a caller that already holds the name's fieldKey.
    const FieldValue &fieldValue(const std::string &key, const std::string &name) { return lookUp(key, name); }
    // The address part of header Name's value.
    std::string address(const std::string &name);

private:
    const TmsHeaders &m_headers;
    std::vector<std::string> m_read; // the lines as the rules read them, when any needed converting
    bool m_readDone = false;
    std::vector<std::string> m_folded;
    std::string m_joined[2];
    bool m_joinedDone[2] = {false, false};
    BigramFilter m_lineFilter;
    bool m_lineFilterDone = false;
    int m_lineSearches = 0;
    static constexpr int kSearchesBeforeLineFilter = 4;
    const FieldValue &lookUp(const std::string &key, const std::string &name);

    std::map<std::string, FieldValue> m_fields;
};

} // namespace tw

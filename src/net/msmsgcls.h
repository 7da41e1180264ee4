#pragma once
// The message-side vocabulary of the internet library: a header block as raw
// lines, the per-message information a POP3 client keeps for the messages
// waiting on a server, encoded-word decoding, address and date parsing, and
// the small word and parameter functions the protocol clients share.
// Everything is byte text; only the encoded words of a header value are
// converted, from the character set they declare to UTF-8.

#include "platform/datetime.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A header block: a list of physical lines, exactly as received. A folded
// header occupies several lines; continuation lines begin with a space or tab.
//
// A listing keeps the blocks of up to 100,000 messages at once, so the lines
// are packed: their bytes one after another in one string, and where each
// line ends in a compact list. A line given out by Strings or Lines is a view
// into that storage: it stays valid only until the block next changes (Add,
// Delete, Clear, SetText, DeleteField, CutAtBody) or is destroyed.
class TmsHeaders {
public:
    class LineRange;

    int Count() const { return static_cast<int>(m_ends.size()); }
    // Line I (0-based); raises std::out_of_range when I is out of range.
    std::string_view Strings(int i) const;
    // Every line in order, as views (see the class comment for how long they last).
    LineRange Lines() const;
    void Add(std::string_view line);
    void Delete(int i); // ignored when I is out of range
    void Clear();

    // Replaces the block by Stream split into lines at CR LF, CR or LF.
    void SetText(std::string_view stream);
    // The lines joined, each ended by CR LF.
    std::string Text() const;

    // Same lines in the same order.
    bool operator==(const TmsHeaders &other) const = default;

    // The value of the first header called Name (a ":" is appended when
    // missing; case-insensitive). Folded lines are joined with one space,
    // encoded words decoded and raw 8-bit text read in the block's
    // DeclaredCharset (DecodeHeaderValue), except for Content-Type and
    // X-UIDL, returned whole. Empty when the header is absent. Raises
    // EMessageParserError "Invalid Character" for a B-encoded word outside
    // the base64 alphabet.
    std::string GetFieldBody(std::string name) const;

    // Clears List and fills it with the single addresses of every header whose
    // name begins with Name (no ":" appended), continuation lines included,
    // decoded as GetFieldBody decodes. Raises like GetFieldBody.
    void GetAddresses(std::string_view name, std::vector<std::string> &list) const;

    // The charset parameter of the block's Content-Type ("" when none): the
    // set in which raw 8-bit header text of this message is read.
    std::string DeclaredCharset() const;

    // Removes the first header called Name together with its continuation lines.
    void DeleteField(std::string name);

    // Removes the first empty line and every line after it; a block without
    // an empty line is left unchanged.
    void CutAtBody();

    // Whether one of the lines is empty (the end of the header part).
    bool HasEmptyLine() const;

private:
    std::string m_text;                // every line's bytes, one after another
    std::vector<std::uint32_t> m_ends; // line i is m_text[end of line i-1, m_ends[i])

    size_t beginOf(size_t i) const { return i == 0 ? 0 : m_ends[i - 1]; }
    std::string_view line(size_t i) const { return std::string_view(m_text).substr(beginOf(i), m_ends[i] - beginOf(i)); }
    // Removes lines [First, Last).
    void eraseLines(size_t first, size_t last);
    // Gives back the room left over after the block shrank or was built.
    void trimStorage();
};

// The lines of a TmsHeaders as views, for range-for and the standard
// algorithms. Valid as long as the block is unchanged.
class TmsHeaders::LineRange {
public:
    class iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        iterator() = default;
        iterator(const TmsHeaders *headers, size_t i) : m_headers(headers), m_i(i) {}
        std::string_view operator*() const { return m_headers->line(m_i); }
        std::string_view operator[](difference_type n) const { return m_headers->line(m_i + size_t(n)); }
        iterator &operator++() { ++m_i; return *this; }
        iterator operator++(int) { iterator old = *this; ++m_i; return old; }
        iterator &operator--() { --m_i; return *this; }
        iterator operator--(int) { iterator old = *this; --m_i; return old; }
        iterator &operator+=(difference_type n) { m_i += size_t(n); return *this; }
        iterator &operator-=(difference_type n) { m_i -= size_t(n); return *this; }
        friend iterator operator+(iterator it, difference_type n) { return it += n; }
        friend iterator operator+(difference_type n, iterator it) { return it += n; }
        friend iterator operator-(iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const iterator &a, const iterator &b)
        {
            return difference_type(a.m_i) - difference_type(b.m_i);
        }
        friend bool operator==(const iterator &a, const iterator &b) { return a.m_i == b.m_i; }
        friend auto operator<=>(const iterator &a, const iterator &b) { return a.m_i <=> b.m_i; }

    private:
        const TmsHeaders *m_headers = nullptr;
        size_t m_i = 0;
    };

    explicit LineRange(const TmsHeaders &headers) : m_headers(&headers) {}
    iterator begin() const { return iterator(m_headers, 0); }
    iterator end() const { return iterator(m_headers, m_headers->m_ends.size()); }
    size_t size() const { return m_headers->m_ends.size(); }
    bool empty() const { return m_headers->m_ends.empty(); }
    std::string_view operator[](size_t i) const { return m_headers->line(i); }
    // The lines copied out, for a caller that keeps them past a change.
    std::vector<std::string> copy() const { return std::vector<std::string>(begin(), end()); }

private:
    const TmsHeaders *m_headers;
};

inline TmsHeaders::LineRange TmsHeaders::Lines() const { return LineRange(*this); }

// What a POP3 client knows about one waiting message.
class TmsRemoteInfoItem {
public:
    bool RetrieveFlag() const { return (m_flags & 1) != 0; }
    bool DeleteFlag() const { return (m_flags & 2) != 0; }
    void SetRetrieveFlag(bool on) { m_flags = on ? (m_flags | 1) : (m_flags & ~1); }
    void SetDeleteFlag(bool on) { m_flags = on ? (m_flags | 2) : (m_flags & ~2); }

    int Size = 0;          // bytes, from the server's listing; 0 when unreadable
    TmsHeaders Headers;    // the raw header lines
    std::string UID;       // filled only when re-read with its unique id
    // The size of the reply to TOP n 1 when it was too large to keep whole
    // (pop3::kMaxHeaderBlockBytes); Headers then hold only the complete lines
    // of its kept part. 0 when the reply was read whole.
    long long CutReplyBytes = 0;

private:
    std::uint8_t m_flags = 0;
};

// The messages waiting on a server, in the server's order: item i is the
// message the server numbers i+1 in the connection that filled the list.
class TmsRemoteInfo {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    // Item I (0-based); I must be in range.
    TmsRemoteInfoItem &Items(int i) { return *m_items.at(static_cast<size_t>(i)); }
    const TmsRemoteInfoItem &Items(int i) const { return *m_items.at(static_cast<size_t>(i)); }
    // Appends a fresh item and returns it (owned by the list).
    TmsRemoteInfoItem &Add();
    void Clear() { m_items.clear(); }
    // The index of the first item with this size and exactly these header
    // lines (the same message, as far as a listing can tell), or -1.
    int Find(int Size, const TmsHeaders &Headers) const;

private:
    std::vector<std::unique_ptr<TmsRemoteInfoItem>> m_items;
};

// A display name and a mail address, each at most 255 bytes (longer values
// are cut when assigned through SetName/SetAddress or ParseAddress).
struct TmsMailAddress {
    std::string Name;
    std::string Address;
    void SetName(std::string_view text);
    void SetAddress(std::string_view text);
};

// An owning, ordered list of addresses; copying makes a deep copy.
class TmsAddressList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    TmsMailAddress &Items(int i) { return m_items.at(static_cast<size_t>(i)); }
    const TmsMailAddress &Items(int i) const { return m_items.at(static_cast<size_t>(i)); }
    TmsMailAddress &Add() { return m_items.emplace_back(); }
    void Clear() { m_items.clear(); }
    void Assign(const TmsAddressList &other) { m_items = other.m_items; }

private:
    std::vector<TmsMailAddress> m_items;
};

// Decodes the B and Q encoded words of Text (at most 255 bytes of it) and
// converts each from its declared character set to UTF-8 (an unknown set
// keeps the decoded bytes). "_" means a space only inside a Q-encoded word;
// blanks between two adjacent encoded words are dropped, blanks between a
// word and plain text kept. Plain text that holds raw 8-bit bytes becomes
// UTF-8 as rawHeaderTextToUtf8 (charset.h) reads it, with RawCharset as the
// declared set. An unterminated word is dropped with the rest of the text.
// Result at most 255 bytes, UTF-8 never cut inside a character. Raises
// EMessageParserError "Invalid Character" for a B-encoded word with a byte
// outside the base64 alphabet.
std::string DecodeHeaderValue(std::string_view text, std::string_view rawCharset = {});

// Fills Address from an address text: "Name <addr>", "addr (Name)" or "addr".
// Never reports malformed input.
void ParseAddress(std::string_view text, TmsMailAddress &address);

// ParseAddress into a scratch record; gives the mail address and display name.
struct SplitAddressResult {
    std::string address;
    std::string name;
};
SplitAddressResult SplitAddress(std::string_view text);

// Text trimmed, then every leading and trailing double quote removed.
std::string StripQuotes(std::string_view text);

// Reads a Date header value as written (the zone is not applied). Value is 0
// and Rest empty when the text cannot be read; Rest is the text after the
// time (normally the zone), trimmed.
struct ParsedDate {
    TDateTime value = 0;
    std::string rest;
};
ParsedDate ParseDate(std::string_view text);

// Skips Skip space-separated words; with FirstOnly gives the next word, else
// all remaining text; trimmed. Empty when the text runs out of spaces first.
std::string GetWord(std::string_view text, int skip, bool firstOnly);
// GetWord with FirstOnly as a decimal number; -1 when it is not one.
int GetWordInt(std::string_view text, int skip);
// The value of parameter Name ("boundary", "charset", ...) found anywhere in
// Text, case-insensitively; quoted values end at the next quote, others at
// the next ";" (blanks inside are kept) or where a blank and "token=" start
// a further parameter; trimmed. Empty when Name is absent.
std::string GetParameter(std::string_view name, std::string_view text);
// The text up to the first space or ";", trimmed ("text/plain; ..." -> "text/plain").
std::string GetMainValue(std::string_view text);

} // namespace tw

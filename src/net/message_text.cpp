#include "net/message_text.h"

#include "net/charset.h"
#include "platform/bytes.h"
#include "platform/html_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tw {

namespace {

// The body's text as it lies in the message: up to two pieces (the
// attachment that holds it, then what Body holds after it).
struct BodyPieces {
    std::string_view first, second;
    std::string type;
    int attachment = -1; // the attachment shown as the body, left out of the list
};

BodyPieces bodyPieces(const TmsCustomMessage &message)
{
    BodyPieces pieces;
    pieces.type = message.BodyType;
    if (message.BodyAttachment >= 0 && message.BodyAttachment < message.Attachments.Count()) {
        pieces.attachment = message.BodyAttachment;
        pieces.first = message.Attachments.Items(message.BodyAttachment).Contents;
        pieces.second = message.Body.text();
    } else if (message.Body.empty() && message.Attachments.Count() > 0 &&
               startsWith(lowerCase(message.Attachments.Items(0).ContentType()), "text/")) {
        // A message that is one named text file: its text is what there is to read.
        pieces.first = message.Attachments.Items(0).Contents;
        pieces.type = lowerCase(message.Attachments.Items(0).ContentType());
    } else {
        pieces.first = message.Body.text();
    }
    return pieces;
}

// The first Limit bytes of the two pieces.
std::string prefixOf(const BodyPieces &pieces, size_t limit)
{
    std::string bytes(pieces.first.substr(0, limit));
    if (bytes.size() < limit)
        bytes += pieces.second.substr(0, limit - bytes.size());
    return bytes;
}

// The length of Text's first Lines lines (line ends included); the whole
// length when it has no more.
size_t lengthOfLines(std::string_view text, size_t lines)
{
    size_t at = 0;
    for (size_t line = 0; line < lines; ++line) {
        const size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            return text.size();
        at = end + 1;
    }
    return at;
}

// Text with every line longer than Length broken into lines of at most
// Length bytes, never inside a UTF-8 character.
std::string brokenLongLines(std::string text, size_t length)
{
    if (length == 0 || text.size() <= length)
        return text;
    std::string out;
    size_t lineStart = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n') {
            lineStart = out.size() + 1;
        } else if (out.size() - lineStart >= length && (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            out += '\n';
            lineStart = out.size();
        }
        out += text[at];
    }
    return out;
}

// Text cut to its first Limits.lines lines, long lines broken; Cut tells
// whether lines were left out.
std::string withinLimits(std::string text, const TShowLimits &limits, bool &cut)
{
    text = brokenLongLines(std::move(text), limits.lineLength);
    const size_t length = lengthOfLines(text, limits.lines);
    cut = length < text.size();
    text.resize(length);
    if (!text.empty() && text.back() == '\n')
        text.pop_back(); // the end of the last line starts no further one
    return text;
}

bool looksLikeHtml(std::string_view text)
{
    const std::string_view start = trimmedView(text.substr(0, 1024));
    return findText(start.substr(0, 14), "<!doctype html") == 0 || findText(start.substr(0, 5), "<html") == 0;
}

// The charset an HTML document names in a <meta> near its start, or "".
std::string metaCharset(std::string_view html)
{
    const std::string_view head = html.substr(0, 4096);
    for (size_t meta = findText(head, "<meta"); meta != std::string_view::npos;
         meta = findText(head, "<meta", meta + 5)) {
        const std::string_view tag = head.substr(meta, head.find('>', meta) - meta);
        const size_t at = findText(tag, "charset=");
        if (at == std::string_view::npos)
            continue;
        size_t begin = at + 8;
        while (begin < tag.size() && (tag[begin] == '"' || tag[begin] == '\'' || tag[begin] == ' '))
            ++begin;
        size_t end = begin;
        while (end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[end])) || tag[end] == '-' ||
                                    tag[end] == '_' || tag[end] == '.' || tag[end] == ':'))
            ++end;
        return std::string(tag.substr(begin, end - begin));
    }
    return {};
}

std::string grouped(size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), ",");
    return digits;
}

// The attachments a reader sees: not the one shown as the body, not other
// forms of the body.
std::vector<TShownAttachment> listedAttachments(const TmsCustomMessage &message, int shownAsBody)
{
    std::vector<TShownAttachment> listed;
    for (int i = 0; i < message.Attachments.Count(); ++i) {
        const TmsAttItem &item = message.Attachments.Items(i);
        if (i != shownAsBody && !item.Alternative)
            listed.push_back({rawHeaderTextToUtf8(item.FileName(), {}), item.ContentType(), item.Contents});
    }
    return listed;
}

std::string attachmentList(const std::vector<TShownAttachment> &attachments)
{
    if (attachments.empty())
        return {};
    std::string list = "Attachments: " + std::to_string(attachments.size()) + "\n";
    for (const TShownAttachment &item : attachments)
        list += "  " + item.name + " (" + item.contentType + ", " + readableSize(item.contents.size()) + ")\n";
    return list;
}

} // namespace

std::string safeAttachmentFileName(const std::string &name)
{
    std::string base = name.substr(std::min(name.size(), name.find_last_of("/\\") + 1));
    std::string safe;
    for (char c : base) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            continue;
        safe += c == ':' ? '_' : c;
    }
    safe = trimmed(safe);
    while (!safe.empty() && (safe.front() == '.' || safe.front() == ' '))
        safe.erase(0, 1);
    if (safe.size() > 200) {
        safe.resize(200);
        safe.resize(lengthBeforeCutUtf8Character(safe));
    }
    return safe.empty() ? std::string("attachment") : safe;
}

std::string readableSize(size_t bytes)
{
    if (bytes == 1)
        return "1 byte";
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", double(bytes) / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

TShownMessage shownMessage(const TmsCustomMessage &message, const std::string &savedFile, const TShowLimits &limits)
{
    TShownMessage shown;
    const BodyPieces pieces = bodyPieces(message);
    std::string bytes = prefixOf(pieces, limits.bytes);
    bytes.resize(lengthOfLines(bytes, limits.lines));
    shown.leftOut = pieces.first.size() + pieces.second.size() - bytes.size();

    shown.html = pieces.type == "text/html" || looksLikeHtml(bytes);
    std::string charset = message.CharSetName;
    if (shown.html && !isKnownCharset(charset))
        charset = metaCharset(bytes);
    if (shown.leftOut > 0 && !isKnownCharset(charset))
        bytes.resize(lengthBeforeCutUtf8Character(bytes)); // keep UTF-8 text UTF-8 where it was cut
    std::string text = displayTextAsUtf8(bytes, charset);
    std::string().swap(bytes);

    bool cut = false; // the text as shown had more lines than are shown
    if (shown.html) {
        shown.text = withinLimits(htmlToText(text), limits, cut);
        bool sourceCut = false;
        shown.source = withinLimits(std::move(text), limits, sourceCut);
    } else {
        shown.text = withinLimits(std::move(text), limits, cut);
    }

    if (shown.leftOut > 0 || cut)
        shown.trailer = "[The text goes on beyond what is shown here" +
                        (shown.leftOut > 0 ? "; " + grouped(shown.leftOut) + " more bytes of it are left out" : "") +
                        ". The whole message is in the file " + savedFile + ".]\n";
    shown.attachments = listedAttachments(message, pieces.attachment);
    const std::string attachments = attachmentList(shown.attachments);
    if (!attachments.empty())
        shown.trailer += (shown.trailer.empty() ? "" : "\n") + attachments;
    return shown;
}

} // namespace tw

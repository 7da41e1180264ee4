#include "net/mime_decoder.h"

#include "net/errors.h"
#include "net/stringtable.h"
#include "net/transfer_codings.h"
#include "platform/bytes.h"
#include "platform/text_file.h"

namespace tw {

namespace {

constexpr int kMissingContentType = 57108;
constexpr int kNoClosingBoundary = 57109;
constexpr int kNoBoundary = 57110;
constexpr int kAttachmentError = 57111;

[[noreturn]] void parserError(int id) { throw EMessageParserError(loadStr(id)); }

// How a part's contents travel, from its Content-Transfer-Encoding.
struct PartCoding {
    TAttEncoding encoding = TAttEncoding::SevenBit;
    bool uuencoded = false;
};

PartCoding codingOf(const std::string &transferEncoding)
{
    const std::string coding = lowerCase(trimmed(transferEncoding));
    if (coding == "base64")
        return {TAttEncoding::Base64, false};
    if (startsWith(coding, "x-uue"))
        return {TAttEncoding::Base64, true};
    if (coding == "quoted-printable")
        return {TAttEncoding::QuotedPrintable, false};
    return {TAttEncoding::SevenBit, false};
}

// Collects the decoded contents of one attachment from its lines. A text
// part in base64 keeps what follows its encoded text as text; any other
// part raises at a character outside the base64 alphabet.
class PartContents {
public:
    PartContents(PartCoding coding, bool textPart) : m_coding(coding), m_textPart(textPart) {}

    void addLine(std::string_view line)
    {
        if (m_coding.encoding == TAttEncoding::Base64) {
            if (m_textPart && !m_coding.uuencoded) {
                m_base64Text.addLine(line, m_bytes);
                return;
            }
            const std::string_view text = trimmedView(line); // blanks at the end are transport noise
            if (text.empty() || text == ".")
                return;
            if (m_coding.uuencoded) {
                if (text == "`" || isUuBeginLine(text) || sameText(text, "end"))
                    return;
                m_bytes += decodeUuLine(text);
            } else {
                m_base64.add(text, m_bytes);
            }
        } else if (m_coding.encoding == TAttEncoding::QuotedPrintable) {
            m_qp.addLine(line, m_bytes);
        } else {
            m_bytes.append(line);
            m_bytes += "\r\n";
        }
    }
    // Room for the decoded contents of EncodedBytes: a decoded part is never
    // larger than its encoded text (base64 and uuencode give three bytes for four).
    void reserveFor(size_t encodedBytes)
    {
        m_bytes.reserve(m_coding.encoding == TAttEncoding::Base64 ? encodedBytes / 4 * 3 + 3 : encodedBytes);
    }
    // Base64 and uuencode end at a line "."; the other codings take every line.
    bool endsAt(std::string_view line) const { return m_coding.encoding == TAttEncoding::Base64 && line == "."; }
    std::string take() { return std::move(m_bytes); }

private:
    PartCoding m_coding;
    bool m_textPart;
    Base64Decoder m_base64;
    Base64TextDecoder m_base64Text;
    QuotedPrintableDecoder m_qp;
    std::string m_bytes;
};

bool isTextType(std::string_view contentType) { return startsWith(lowerCase(trimmedView(contentType)), "text/"); }

// Runs Decode of one attachment: parser errors go on as they are, anything
// else becomes the attachment error.
template <typename Work> void guardAttachment(Work work)
{
    try {
        work();
    } catch (const EMessageParserError &) {
        throw;
    } catch (const std::exception &) {
        parserError(kAttachmentError);
    }
}

// Quoted-printable text, also where a relay converted the part to it.
bool isQuotedPrintable(const TmsHeaders &headers)
{
    return sameText(headers.GetFieldBody("Content-Transfer-Encoding"), "quoted-printable") ||
           findText(headers.GetFieldBody("X-MIME-Autoconverted"), "quoted-printable") != std::string::npos;
}

std::string numbered(const char *prefix, int count) { return prefix + std::to_string(count); }

} // namespace

// ---- TLineStream -----------------------------------------------------------

bool TLineStream::NextLine(std::string_view &line)
{
    line = {};
    if (m_cancel && m_cancel->load(std::memory_order_relaxed))
        throw ECanceledError(loadStr(57001));
    if (AtEnd())
        return false;
    const std::string_view data(m_data);
    const size_t end = data.find_first_of("\r\n", m_position);
    if (end == std::string::npos) {
        line = data.substr(m_position);
        m_position = m_data.size();
        return true;
    }
    line = data.substr(m_position, end - m_position);
    m_position = end + 1;
    if (m_data[end] == '\r' && m_position < m_data.size() && m_data[m_position] == '\n')
        ++m_position;
    return true;
}

size_t TLineStream::BytesUntil(std::string_view marker) const
{
    if (AtEnd())
        return 0;
    const size_t found = std::string_view(m_data).find(marker, m_position);
    return (found == std::string_view::npos ? m_data.size() : found) - m_position;
}

std::string TLineStream::TakeData()
{
    m_position = 0;
    return std::exchange(m_data, std::string());
}

// ---- TmsCustomDecoder ------------------------------------------------------

TmsCustomDecoder::TmsCustomDecoder(std::string data, TmsCustomMessage &message, const std::atomic<bool> *cancel)
    : m_lines(std::move(data), cancel), m_message(message)
{
}

void TmsCustomDecoder::ReadHeaders(TmsHeaders &block)
{
    block.Clear();
    std::string_view line;
    while (m_lines.NextLine(line) && !line.empty())
        block.Add(std::string(line));
}

void TmsCustomDecoder::Decode()
{
    try {
        ReadHeaders(m_messageHeaders);
        // A header the decoder cannot read (a corrupt encoded word) is
        // reported like any other decoding error, so the message can still
        // be looked at.
        TakeHeaders(m_messageHeaders);
        if (m_messageHeaders.GetFieldBody("MIME-VERSION").find("1.0") != std::string::npos)
            decodeMime();
        else
            decodePlainText();
    } catch (const EMessageParserError &error) {
        report(error.what());
    }
    if (m_message.Body.back() == ".")
        m_message.Body.pop_back();
}

void TmsCustomDecoder::report(const std::string &error)
{
    m_message.Body.push_back("The following error has been occured while processing the message:");
    m_message.Body.push_back(error);
    m_message.Body.push_back("The original message will be stored as an attachment");
    TmsAttItem original;
    original.SetFileName("original.eml");
    original.SetContentType("message/rfc822");
    original.Encoding = TAttEncoding::SevenBit;
    original.Contents = m_lines.TakeData(); // decoding has ended: no second copy of the input
    m_message.Attachments.Add(std::move(original));
}

void TmsCustomDecoder::decodeMime()
{
    if (m_messageHeaders.GetFieldBody("X-Mailer") == "V Mailsystem R #0001")
        m_messageHeaders.DeleteField("Content-Type");
    const std::string contentType = m_messageHeaders.GetFieldBody("Content-Type");
    const std::string lower = lowerCase(contentType);
    if (lower.find("multipart/alternative") != std::string::npos) {
        m_alternative = true;
        decodeMultipart(contentType);
    } else if (lower.find("multipart") != std::string::npos) {
        decodeMultipart(contentType);
    } else if (!lower.empty() && lower.find("text/") == std::string::npos) {
        decodeSingleAttachment(contentType);
    } else {
        const std::string name = GetParameter("name", contentType);
        if (!name.empty() && !sameText(name, "cc:Mail"))
            decodeSingleAttachment(contentType);
        else
            decodeSingleTextBody(contentType);
    }
}

void TmsCustomDecoder::noteCharset(const std::string &contentType)
{
    m_message.CharSetName = GetParameter("charset", contentType);
    if (sameText(m_message.CharSetName, "iso-2022-jp"))
        m_message.CharSet = TCharSet::csISO2022jp;
}

void TmsCustomDecoder::noteBodyType(const std::string &contentType)
{
    const std::string mainType = lowerCase(GetMainValue(contentType));
    m_message.BodyType = mainType.empty() ? "text/plain" : mainType;
}

void TmsCustomDecoder::decodeSingleTextBody(const std::string &contentType)
{
    const std::string mainType = lowerCase(GetMainValue(contentType));
    if (mainType == "text/html" || mainType == "text/rtf")
        m_message.SetContentType(mainType);
    noteBodyType(contentType);
    noteCharset(contentType);
    const bool qp = isQuotedPrintable(m_messageHeaders);
    const bool b64 = sameText(m_messageHeaders.GetFieldBody("Content-Transfer-Encoding"), "base64");
    if (qp)
        m_message.CharSet = TCharSet::csISO8859;
    std::string_view line;
    std::string bytes; // the decoded text, when it is encoded
    // The rest of the input is the body: room for it at once, so that a
    // large body is never copied while it grows.
    const size_t rest = m_lines.Remaining();
    if (b64) {
        bytes.reserve(rest / 4 * 3 + 3);
        Base64TextDecoder base64;
        while (m_lines.NextLine(line))
            base64.addLine(line, bytes);
        m_message.Body.assignText(std::move(bytes));
        return;
    }
    if (qp)
        bytes.reserve(rest);
    else
        m_message.Body.reserve(rest + 1);
    QuotedPrintableDecoder decoder;
    while (m_lines.NextLine(line)) {
        if (qp)
            decoder.addLine(line, bytes);
        else
            m_message.Body.push_back(line);
        if (isUuBeginLine(line)) {
            restartAsPlainText();
            return;
        }
    }
    if (qp)
        m_message.Body.assignText(std::move(bytes));
}

void TmsCustomDecoder::restartAsPlainText()
{
    m_lines.Reset();
    m_message.Body.clear();
    ReadHeaders(m_messageHeaders);
    for (const char *name : {"MIME-VERSION", "CONTENT-TYPE", "CONTENT-TRANSFER-ENCODING"})
        m_messageHeaders.DeleteField(name);
    decodePlainText();
}

void TmsCustomDecoder::decodeSingleAttachment(const std::string &contentType)
{
    if (trimmed(contentType).empty())
        parserError(kMissingContentType);
    TmsAttItem attachment;
    guardAttachment([&] {
        attachment.SetFileName(DecodeHeaderValue(GetParameter("name", contentType), GetParameter("charset", contentType)));
        attachment.SetContentType(GetMainValue(contentType));
        const PartCoding coding = codingOf(m_messageHeaders.GetFieldBody("Content-Transfer-Encoding"));
        attachment.Encoding = coding.encoding;
        if (attachment.FileName().empty()) {
            const std::string type = attachment.ContentType();
            attachment.SetFileName(numbered("att.", m_message.Attachments.Count()));
            attachment.SetContentType(type);
            attachment.Encoding = coding.encoding;
        }
        PartContents contents(coding, isTextType(attachment.ContentType()));
        contents.reserveFor(m_lines.Remaining());
        std::string_view line;
        while (m_lines.NextLine(line)) {
            if (contents.endsAt(line))
                break;
            if (line == "." && m_lines.AtEnd())
                break; // the end of the server's data block, not part of the file
            contents.addLine(line);
        }
        attachment.Contents = contents.take();
    });
    m_message.Attachments.Add(std::move(attachment));
}

namespace {

std::string_view withoutTrailingBlanks(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
        line.remove_suffix(1);
    return line;
}

} // namespace

bool TmsCustomDecoder::isBoundary(std::string_view line) const { return withoutTrailingBlanks(line) == m_boundary; }

bool TmsCustomDecoder::isClosingBoundary(std::string_view line) const
{
    line = withoutTrailingBlanks(line);
    return line.size() == m_boundary.size() + 2 && startsWith(line, m_boundary) && endsWith(line, "--");
}

std::string_view TmsCustomDecoder::skipToBoundary(const std::string &boundary, bool prefix, int id)
{
    std::string_view line;
    while (m_lines.NextLine(line)) {
        if (prefix ? startsWith(line, boundary) : withoutTrailingBlanks(line) == boundary)
            return line;
    }
    parserError(id);
}

void TmsCustomDecoder::decodeMultipart(const std::string &contentType)
{
    const std::string boundary = GetParameter("boundary", contentType);
    if (boundary.empty())
        parserError(kNoBoundary);
    m_boundary = "--" + boundary;
    skipToBoundary(m_boundary, false, kNoBoundary);
    if (decodeFirstPart())
        decodeOtherParts();
}

bool TmsCustomDecoder::decodeFirstPart()
{
    ReadHeaders(m_partHeaders);
    std::string partType = m_partHeaders.GetFieldBody("Content-Type");
    noteCharset(partType);
    if (lowerCase(partType).find("multipart/alternative") != std::string::npos) {
        m_nestedAlternative = true;
        m_outerBoundary = m_boundary;
        m_boundary = "--" + GetParameter("boundary", partType);
        skipToBoundary(m_boundary, false, kNoBoundary);
        ReadHeaders(m_partHeaders); // the first alternative
        partType = m_partHeaders.GetFieldBody("Content-Type");
        noteCharset(partType);
    }
    noteBodyType(partType);
    const std::string transfer = lowerCase(m_partHeaders.GetFieldBody("Content-Transfer-Encoding"));
    const bool b64 = transfer == "base64";
    if (b64 && m_message.CharSet != TCharSet::csISO2022jp) {
        m_firstPartHandedOver = true;
        return true; // read as the first of the other parts, Body staying empty
    }

    m_message.Body.clear();
    const bool qp = isQuotedPrintable(m_partHeaders);
    if (qp)
        m_message.CharSet = TCharSet::csISO8859;
    std::string_view line;
    bool ended = false; // by a boundary line
    std::string bytes;  // the decoded text, when it is encoded
    const size_t partBytes = m_lines.BytesUntil(m_boundary);
    if (b64) {
        bytes.reserve(partBytes / 4 * 3 + 3);
        Base64TextDecoder base64;
        while (m_lines.NextLine(line)) {
            if (startsWith(line, m_boundary)) {
                ended = true;
                break;
            }
            base64.addLine(line, bytes);
        }
        m_message.Body.assignText(std::move(bytes));
    } else {
        if (qp)
            bytes.reserve(partBytes);
        else
            m_message.Body.reserve(partBytes + 1);
        QuotedPrintableDecoder decoder;
        bool any = false;
        while (m_lines.NextLine(line)) {
            if (isBoundary(line) || isClosingBoundary(line)) {
                ended = true;
                break;
            }
            any = true;
            if (qp)
                decoder.addLine(line, bytes);
            else
                m_message.Body.push_back(line);
        }
        if (qp) {
            if (!any)
                decoder.addLine("", bytes);
            m_message.Body.assignText(std::move(bytes));
        } else if (!any) {
            m_message.Body.emplace_back();
        }
    }
    if (!ended)
        parserError(kNoBoundary);
    if (!isClosingBoundary(line))
        return true;
    if (m_nestedAlternative) {
        // The only alternative: the outer message goes on.
        m_nestedAlternative = false;
        m_boundary = m_outerBoundary;
        return !isClosingBoundary(skipToBoundary(m_boundary, true, kNoClosingBoundary));
    }
    m_message.SetContentType(GetMainValue(partType));
    return false;
}

void TmsCustomDecoder::decodeOtherParts()
{
    std::string_view line;
    while (!m_lines.AtEnd()) {
        if (!m_message.Body.empty() || m_message.Attachments.Count() > 0)
            ReadHeaders(m_partHeaders);
        std::string partType = m_partHeaders.GetFieldBody("Content-Type");
        if (trimmed(partType).empty())
            partType = "text/plain";
        TmsAttItem attachment;
        bool last = true;
        guardAttachment([&] {
            const PartCoding coding = codingOf(m_partHeaders.GetFieldBody("Content-Transfer-Encoding"));
            attachment.SetFileName(DecodeHeaderValue(GetParameter("name", partType), GetParameter("charset", partType)));
            attachment.SetContentType(GetMainValue(partType));
            attachment.Encoding = coding.encoding;
            if (attachment.FileName().empty()) {
                const std::string type = attachment.ContentType();
                std::string name = GetParameter("filename", m_partHeaders.GetFieldBody("Content-Disposition"));
                if (name.empty())
                    name = numbered(m_alternative || m_nestedAlternative ? "_alt." : "att.",
                                    m_message.Attachments.Count());
                attachment.SetFileName(name);
                attachment.SetContentType(type);
                attachment.Encoding = coding.encoding;
            }
            PartContents contents(coding, isTextType(partType));
            contents.reserveFor(m_lines.BytesUntil(m_boundary));
            while (m_lines.NextLine(line)) {
                if (startsWith(line, m_boundary)) {
                    last = isClosingBoundary(line);
                    break;
                }
                contents.addLine(line);
            }
            attachment.Contents = contents.take();
        });
        if (m_firstPartHandedOver && m_message.Attachments.Count() == 0 && isTextType(partType))
            m_message.BodyAttachment = 0;
        attachment.Alternative = m_alternative || m_nestedAlternative;
        m_message.Attachments.Add(std::move(attachment));
        if (!last)
            continue;
        if (!m_nestedAlternative)
            return;
        m_nestedAlternative = false;
        m_boundary = m_outerBoundary;
        if (isClosingBoundary(skipToBoundary(m_boundary, true, kNoClosingBoundary)))
            return;
    }
}

void TmsCustomDecoder::decodePlainText()
{
    m_message.BodyType = "text/plain";
    m_message.Body.reserve(m_lines.Remaining() + 1);
    std::string_view line;
    while (m_lines.NextLine(line)) {
        if (isUuBeginLine(line)) {
            m_message.Body.shrink_to_fit(); // the rest are files, not text
            decodeUuFiles(std::string(line));
            m_message.Encoding = TMsgEncoding::meUU;
            return;
        }
        m_message.Body.push_back(line);
    }
}

void TmsCustomDecoder::decodeUuFiles(std::string beginLine)
{
    std::string_view line;
    while (!beginLine.empty()) {
        TmsAttItem attachment;
        try {
            std::string name = uuFileName(beginLine);
            if (name.empty())
                name = numbered("att.", m_message.Attachments.Count());
            attachment.SetFileName(name);
            while (m_lines.NextLine(line)) {
                const std::string_view text = withoutTrailingBlanks(line);
                if (text == "`" || sameText(text, "end"))
                    break;
                if (!text.empty())
                    attachment.Contents += decodeUuLine(text);
            }
        } catch (const std::exception &) {
            parserError(kAttachmentError);
        }
        m_message.Attachments.Add(std::move(attachment));
        beginLine.clear();
        while (m_lines.NextLine(line))
            if (isUuBeginLine(line)) {
                beginLine = line;
                break;
            }
    }
}

} // namespace tw

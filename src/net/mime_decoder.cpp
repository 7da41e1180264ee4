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

// Collects the decoded contents of one attachment from its lines.
class PartContents {
public:
    explicit PartContents(PartCoding coding) : m_coding(coding) {}

    void addLine(const std::string &line)
    {
        if (m_coding.encoding == TAttEncoding::Base64) {
            const std::string text = trimmed(line); // blanks at the end are transport noise
            if (text.empty() || text == ".")
                return;
            if (m_coding.uuencoded) {
                if (text == "`" || isUuBeginLine(text) || sameText(text, "end"))
                    return;
                m_bytes += decodeUuLine(trimmedRight(line));
            } else {
                m_base64.add(text, m_bytes);
            }
        } else if (m_coding.encoding == TAttEncoding::QuotedPrintable) {
            m_qp.addLine(line, m_bytes);
        } else {
            m_bytes += line + "\r\n";
        }
    }
    // Base64 and uuencode end at a line "."; the other codings take every line.
    bool endsAt(const std::string &line) const { return m_coding.encoding == TAttEncoding::Base64 && line == "."; }
    std::string take() { return std::move(m_bytes); }

private:
    PartCoding m_coding;
    Base64Decoder m_base64;
    QuotedPrintableDecoder m_qp;
    std::string m_bytes;
};

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

bool TLineStream::NextLine(std::string &line)
{
    line.clear();
    if (AtEnd())
        return false;
    const size_t end = m_data.find_first_of("\r\n", m_position);
    if (end == std::string::npos) {
        line.assign(m_data, m_position, std::string::npos);
        m_position = m_data.size();
        return true;
    }
    line.assign(m_data, m_position, end - m_position);
    m_position = end + 1;
    if (m_data[end] == '\r' && m_position < m_data.size() && m_data[m_position] == '\n')
        ++m_position;
    return true;
}

// ---- TmsCustomDecoder ------------------------------------------------------

TmsCustomDecoder::TmsCustomDecoder(std::string data, TmsCustomMessage &message)
    : m_lines(std::move(data)), m_message(message)
{
}

void TmsCustomDecoder::ReadHeaders(TmsHeaders &block)
{
    block.Clear();
    std::string line;
    while (m_lines.NextLine(line) && !line.empty())
        block.Add(line);
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
    if (!m_message.Body.empty() && m_message.Body.back() == ".")
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
    original.Contents = m_lines.Data();
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

void TmsCustomDecoder::setBodyFrom(const std::string &bytes)
{
    m_message.Body = splitLines(bytes);
}

void TmsCustomDecoder::decodeBodyAsQuotedPrintable()
{
    QuotedPrintableDecoder decoder;
    std::string bytes;
    for (const std::string &line : m_message.Body)
        decoder.addLine(line, bytes);
    setBodyFrom(bytes);
}

void TmsCustomDecoder::decodeSingleTextBody(const std::string &contentType)
{
    const std::string mainType = lowerCase(GetMainValue(contentType));
    if (mainType == "text/html" || mainType == "text/rtf")
        m_message.SetContentType(mainType);
    noteCharset(contentType);
    const bool qp = isQuotedPrintable(m_messageHeaders);
    const bool b64 = sameText(m_messageHeaders.GetFieldBody("Content-Transfer-Encoding"), "base64");
    if (qp)
        m_message.CharSet = TCharSet::csISO8859;
    std::string line;
    if (b64) {
        Base64Decoder base64;
        std::string bytes;
        while (m_lines.NextLine(line)) {
            const std::string text = trimmed(line);
            if (!text.empty() && text != ".")
                base64.add(text, bytes);
        }
        setBodyFrom(bytes);
        return;
    }
    while (m_lines.NextLine(line)) {
        m_message.Body.push_back(line);
        if (isUuBeginLine(line)) {
            restartAsPlainText();
            return;
        }
    }
    if (qp)
        decodeBodyAsQuotedPrintable();
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
        attachment.SetFileName(DecodeHeaderValue(GetParameter("name", contentType)));
        attachment.SetContentType(GetMainValue(contentType));
        const PartCoding coding = codingOf(m_messageHeaders.GetFieldBody("Content-Transfer-Encoding"));
        attachment.Encoding = coding.encoding;
        if (attachment.FileName().empty()) {
            const std::string type = attachment.ContentType();
            attachment.SetFileName(numbered("att.", m_message.Attachments.Count()));
            attachment.SetContentType(type);
            attachment.Encoding = coding.encoding;
        }
        PartContents contents(coding);
        std::string line;
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

bool TmsCustomDecoder::isBoundary(const std::string &line) const { return trimmedRight(line) == m_boundary; }

bool TmsCustomDecoder::isClosingBoundary(const std::string &line) const
{
    return trimmedRight(line) == m_boundary + "--";
}

std::string TmsCustomDecoder::skipToBoundary(const std::string &boundary, bool prefix, int id)
{
    std::string line;
    while (m_lines.NextLine(line)) {
        if (prefix ? startsWith(line, boundary) : trimmedRight(line) == boundary)
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
    const std::string transfer = lowerCase(m_partHeaders.GetFieldBody("Content-Transfer-Encoding"));
    const bool b64 = transfer == "base64";
    if (b64 && m_message.CharSet != TCharSet::csISO2022jp)
        return true; // read as the first of the other parts, Body staying empty

    m_message.Body.clear();
    const bool qp = isQuotedPrintable(m_partHeaders);
    if (qp)
        m_message.CharSet = TCharSet::csISO8859;
    std::string line;
    bool ended = false; // by a boundary line
    if (b64) {
        Base64Decoder base64;
        std::string bytes;
        while (m_lines.NextLine(line)) {
            if (startsWith(line, m_boundary)) {
                ended = true;
                break;
            }
            const std::string text = trimmed(line);
            if (!text.empty())
                base64.add(text, bytes);
        }
        setBodyFrom(bytes);
    } else {
        while (m_lines.NextLine(line)) {
            if (isBoundary(line) || isClosingBoundary(line)) {
                ended = true;
                break;
            }
            m_message.Body.push_back(line);
        }
        if (m_message.Body.empty())
            m_message.Body.emplace_back();
        if (qp)
            decodeBodyAsQuotedPrintable();
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
    std::string line;
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
            attachment.SetFileName(DecodeHeaderValue(GetParameter("name", partType)));
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
            PartContents contents(coding);
            while (m_lines.NextLine(line)) {
                if (startsWith(line, m_boundary)) {
                    last = isClosingBoundary(line);
                    break;
                }
                contents.addLine(line);
            }
            attachment.Contents = contents.take();
        });
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
    std::string line;
    while (m_lines.NextLine(line)) {
        if (isUuBeginLine(line)) {
            decodeUuFiles(line);
            m_message.Encoding = TMsgEncoding::meUU;
            return;
        }
        m_message.Body.push_back(line);
    }
}

void TmsCustomDecoder::decodeUuFiles(std::string beginLine)
{
    std::string line;
    while (!beginLine.empty()) {
        TmsAttItem attachment;
        try {
            std::string name = uuFileName(beginLine);
            if (name.empty())
                name = numbered("att.", m_message.Attachments.Count());
            attachment.SetFileName(name);
            while (m_lines.NextLine(line)) {
                const std::string text = trimmedRight(line);
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

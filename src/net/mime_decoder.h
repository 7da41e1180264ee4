#pragma once
// Decoding of a whole message (as the POP3 server sent it, final "." line
// included) into a message object: header fields, the first text part as
// the body, every other part as an attachment. MIME single-part and
// multipart messages (multipart/alternative also nested in a multipart),
// base64, quoted-printable and x-uue, and plain messages that carry
// uuencoded files. A decoding error does not fail the load: its text goes
// into the body and the whole input becomes the attachment "original.eml".

#include "net/msmsg.h"

#include <string>
#include <string_view>

namespace tw {

// The input read back line by line; lines end at CR LF, CR or LF and are
// returned whole whatever their length.
class TLineStream {
public:
    explicit TLineStream(std::string data) : m_data(std::move(data)) {}

    // The next line into Line; false (Line empty) when the input is used up.
    bool NextLine(std::string &line);
    bool AtEnd() const { return m_position >= m_data.size(); }
    void Reset() { m_position = 0; }
    const std::string &Data() const { return m_data; }

private:
    std::string m_data;
    size_t m_position = 0;
};

class TmsCustomDecoder {
public:
    TmsCustomDecoder(std::string data, TmsCustomMessage &message);
    virtual ~TmsCustomDecoder() = default;

    // The whole load: header block, then the MIME or plain body. Structure
    // and decoding errors become the report lines in Body and the
    // "original.eml" attachment; a final "." line leaves Body.
    void Decode();

protected:
    // Hands the message header block to the message.
    virtual void TakeHeaders(const TmsHeaders &block) = 0;

    // Clears Block and adds the next lines up to an empty line (consumed) or
    // the end of the input.
    void ReadHeaders(TmsHeaders &block);

    TLineStream m_lines;
    TmsHeaders m_messageHeaders;
    TmsHeaders m_partHeaders;
    std::string m_boundary;      // "--" + the boundary parameter
    std::string m_outerBoundary; // while a nested multipart/alternative is read
    bool m_alternative = false;
    bool m_nestedAlternative = false;
    TmsCustomMessage &m_message;

private:
    void decodeMime();
    void decodePlainText();
    void decodeSingleTextBody(const std::string &contentType);
    void decodeSingleAttachment(const std::string &contentType);
    void decodeMultipart(const std::string &contentType);
    // The first part of a multipart message; false when it ended the message.
    bool decodeFirstPart();
    void decodeOtherParts();
    void decodeUuFiles(std::string beginLine);
    // Restarts as a plain message when a text body turns out to carry a uuencoded file.
    void restartAsPlainText();

    // Skips lines up to one equal to (or, with Prefix, beginning with) the
    // boundary; raises EMessageParserError Id when the input ends first.
    std::string skipToBoundary(const std::string &boundary, bool prefix, int id);
    bool isBoundary(const std::string &line) const;
    bool isClosingBoundary(const std::string &line) const;
    void noteCharset(const std::string &contentType);
    void setBodyFrom(const std::string &bytes);
    void decodeBodyAsQuotedPrintable();
    void report(const std::string &error);
};

class TmsMessageDecoder : public TmsCustomDecoder {
public:
    using TmsCustomDecoder::TmsCustomDecoder;

protected:
    void TakeHeaders(const TmsHeaders &block) override { m_message.TakeHeaders(block); }
};

} // namespace tw

#pragma once
// Decoding of a whole message (as the POP3 server sent it, final "." line
// included) into a message object: header fields, the first text part as
// the body, every other part as an attachment. MIME single-part and
// multipart messages (multipart/alternative also nested in a multipart),
// base64, quoted-printable and x-uue, and plain messages that carry
// uuencoded files. A decoding error does not fail the load: its text goes
// into the body and the whole input becomes the attachment "original.eml".
//
// Memory: the decoder keeps the input once and lines are read as views into
// it; the body is built in one buffer, so a load needs about twice the
// message's size however its lines fall.

#include "net/msmsg.h"

#include <atomic>
#include <string>
#include <string_view>

namespace tw {

// The input read back line by line; lines end at CR LF, CR or LF and are
// returned whole whatever their length.
class TLineStream {
public:
    // Cancel, when given, is polled at every line: once set, NextLine raises
    // ECanceledError.
    explicit TLineStream(std::string data, const std::atomic<bool> *cancel = nullptr)
        : m_data(std::move(data)), m_cancel(cancel)
    {
    }

    // The next line into Line (a view into the input, valid while the stream
    // lives); false (Line empty) when the input is used up.
    bool NextLine(std::string_view &line);
    bool AtEnd() const { return m_position >= m_data.size(); }
    // How many bytes are left to read.
    size_t Remaining() const { return AtEnd() ? 0 : m_data.size() - m_position; }
    void Reset() { m_position = 0; }
    const std::string &Data() const { return m_data; }
    // Hands the input over; the stream is at its end afterwards.
    std::string TakeData();
    // How many bytes lie between the position and the next occurrence of
    // Marker (all that is left when it does not occur): what a buffer for
    // the coming part should hold.
    size_t BytesUntil(std::string_view marker) const;

private:
    std::string m_data;
    size_t m_position = 0;
    const std::atomic<bool> *m_cancel;
};

class TmsCustomDecoder {
public:
    TmsCustomDecoder(std::string data, TmsCustomMessage &message, const std::atomic<bool> *cancel = nullptr);
    virtual ~TmsCustomDecoder() = default;

    // The whole load: header block, then the MIME or plain body. Structure
    // and decoding errors become the report lines in Body and the
    // "original.eml" attachment; a final "." line leaves Body. Raises
    // ECanceledError when the cancel flag is set during the load.
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
    bool m_firstPartHandedOver = false; // a base64 first part is read as the first other part
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
    std::string_view skipToBoundary(const std::string &boundary, bool prefix, int id);
    bool isBoundary(std::string_view line) const;
    bool isClosingBoundary(std::string_view line) const;
    void noteCharset(const std::string &contentType);
    void noteBodyType(const std::string &contentType);
    void report(const std::string &error);
};

class TmsMessageDecoder : public TmsCustomDecoder {
public:
    using TmsCustomDecoder::TmsCustomDecoder;

protected:
    void TakeHeaders(const TmsHeaders &block) override { m_message.TakeHeaders(block); }
};

} // namespace tw

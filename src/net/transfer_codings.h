#pragma once
// The content transfer codings of mail: base64, quoted-printable and
// uuencode, shared by the header model (encoded words) and the MIME decoder
// (bodies and attachments). Every decoder works on byte text and raises
// EMessageParserError "Invalid Character" where the coding has no answer.

#include <string>
#include <string_view>

namespace tw {

// Base64 fed piece by piece (one encoded word, or the lines of a body).
// A "=" ends the current group of four, so pieces whose length is not a
// multiple of four still decode; white space is not part of the alphabet and
// raises, as does every other byte outside it.
class Base64Decoder {
public:
    // Appends the bytes that Encoded completes to Out.
    void add(std::string_view encoded, std::string &out);

private:
    unsigned m_bits = 0;
    int m_bitCount = 0;
};

// The whole of Encoded as one base64 text.
std::string decodeBase64(std::string_view encoded);

// Whether Text (one trimmed line) holds only base64 characters and "=".
bool isBase64Text(std::string_view text);

// The base64 lines of a text part, fed one line at a time. Blank lines and a
// line "." carry nothing. The first other line that is not base64 ends the
// encoded text: it and every later line are kept as they are, each ended by
// CR LF, on a line of their own (a mailing list's footer added under an
// encoded message). Never raises.
class Base64TextDecoder {
public:
    void addLine(std::string_view line, std::string &out);

private:
    Base64Decoder m_base64;
    bool m_asText = false;
};

// Quoted-printable of one header word: "=XX" becomes its byte, any other "="
// stays; with UnderscoreIsSpace (the Q coding of encoded words) "_" is a
// space. The result ends at the first CR or LF it produces.
std::string decodeQuotedWord(std::string_view encoded, bool underscoreIsSpace);

// Quoted-printable of body lines, fed one line at a time. "=XX" becomes its
// byte; an "=" that starts no such escape stays as written. A line ending in
// "=" (trailing blanks ignored) continues on the next line; any other line
// ends with CR LF, unless its last byte is 26 (end of file).
class QuotedPrintableDecoder {
public:
    void addLine(std::string_view line, std::string &out);
};

// One line of a uuencoded file: the first character gives the length, the
// rest groups of four characters that give three bytes each. Raises
// EMessageParserError "Invalid Character" for a character outside "`",
// space and "!".."_".
std::string decodeUuLine(std::string_view line);

// A begin line of a uuencoded file ("begin 644 name"), and the file name it
// carries (quoted or up to the first space).
bool isUuBeginLine(std::string_view line);
std::string uuFileName(std::string_view beginLine);

} // namespace tw

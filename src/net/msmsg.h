#pragma once
// The message object: one whole message as the POP3 client retrieved it,
// decoded into its header fields, its text body and its attachments.
//
//  - TmsAttItem / TmsAttList: an attachment (contents, file name, content
//    type, transfer encoding) and the owning list of them.
//  - TmsCustomMessage: sender, subject, header block, body lines,
//    attachments, content type, encoding and character set.
//  - TmsMessage: adds the recipients, the priority and the return receipt;
//    LoadFromFile reads a saved message and decodes it (mime_decoder.h).

#include "net/body_lines.h"
#include "net/msmsgcls.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace tw {

enum class TAttEncoding { SevenBit, Base64, QuotedPrintable };
// "7 bit", "Base64" or "Quoted-Printable".
const char *attEncodingName(TAttEncoding encoding);

class TmsAttItem {
public:
    std::string Contents; // the decoded bytes

    const std::string &FileName() const { return m_fileName; }
    // Sets the file name (at most 255 bytes, control characters made "_")
    // and, from the file-type table, the content type it implies
    // ("application/octet-stream" when the extension is unknown) and the
    // encoding that content type travels in.
    void SetFileName(std::string_view name);

    const std::string &ContentType() const { return m_contentType; }
    void SetContentType(std::string_view type); // at most 255 bytes

    TAttEncoding Encoding = TAttEncoding::Base64;
    // Another form of the same text (a part of a multipart/alternative
    // after the first), not a file the sender attached.
    bool Alternative = false;

private:
    std::string m_fileName;
    std::string m_contentType;
};

// An owning, ordered list of attachments; copying makes a deep copy.
class TmsAttList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    TmsAttItem &Items(int i) { return m_items.at(static_cast<size_t>(i)); }
    const TmsAttItem &Items(int i) const { return m_items.at(static_cast<size_t>(i)); }
    TmsAttItem &Add(TmsAttItem item) { return m_items.emplace_back(std::move(item)); }
    void Clear() { m_items.clear(); }

private:
    std::vector<TmsAttItem> m_items;
};

enum class TMsgEncoding { meMIME, meUU };
enum class TCharSet { csUSASCII, csISO8859, csISO2022jp };
enum class TPriority { ptLow, ptNormal, ptHigh };

class TmsCustomMessage {
public:
    TmsCustomMessage() = default;
    TmsCustomMessage(const TmsCustomMessage &) = delete;
    TmsCustomMessage &operator=(const TmsCustomMessage &) = delete;
    // Deletes every file of TempFiles (errors ignored).
    virtual ~TmsCustomMessage();

    TmsMailAddress Sender;
    TmsHeaders Headers;                // the full header block
    TBodyLines Body;                   // the text body, in the bytes of its character set
    TmsAttList Attachments;
    TMsgEncoding Encoding = TMsgEncoding::meMIME;
    TCharSet CharSet = TCharSet::csUSASCII;
    // The character set the body declares, as written ("" when none).
    std::string CharSetName;
    // The content type of the part whose text is the body, in lower case
    // ("text/plain", "text/html", ...; "" before a load).
    std::string BodyType;
    // When the first part of a multipart message travelled base64-encoded,
    // its text is read as the first attachment and Body holds nothing but
    // what a decoding error may add: the index of that attachment, else -1.
    int BodyAttachment = -1;
    std::vector<std::string> TempFiles;

    const std::string &Subject() const { return m_subject; }
    void SetSubject(std::string_view subject); // at most 255 bytes
    const std::string &ContentType() const { return m_contentType; }
    void SetContentType(std::string_view type); // lower case, at most 255 bytes

    // Raises EMessageError 57100 when Sender has no address.
    virtual void Validate() const;
    // Empties Body, Attachments, Sender, Headers and Subject; Encoding meMIME,
    // CharSet csUSASCII, ContentType, CharSetName and BodyType empty,
    // BodyAttachment -1.
    virtual void Clear();
    // Decodes Data (a message as the POP3 server sent it) into this message.
    // Cancel, when given, is polled while decoding: once set, the load stops
    // with ECanceledError and the message holds a part of it.
    virtual void LoadFromStream(std::string data, const std::atomic<bool> *cancel = nullptr) = 0;
    // Takes the fields from a message header block.
    virtual void TakeHeaders(const TmsHeaders &block) = 0;

    // Clear, then LoadFromStream with the file's bytes. Raises ETidewellError
    // naming the file when it cannot be read.
    void LoadFromFile(const std::string &fileName, const std::atomic<bool> *cancel = nullptr);

protected:
    void assignCustom(const TmsCustomMessage &other);

private:
    std::string m_subject;
    std::string m_contentType = "text/plain";
};

class TmsMessage : public TmsCustomMessage {
public:
    TmsAddressList Recipients, CC, BCC;
    TPriority Priority = TPriority::ptNormal;
    bool ReturnReceipt = false;

    // Also raises EMessageError 57101 when no recipient, CC or BCC is given.
    void Validate() const override;
    void Clear() override;
    void LoadFromStream(std::string data, const std::atomic<bool> *cancel = nullptr) override;
    // From FROM, TO, CC, BCC (added to the lists), Subject (when not empty),
    // X-Priority ("1" high, "5" low), Return-receipt-to; Headers := Block.
    void TakeHeaders(const TmsHeaders &block) override;
    void Assign(const TmsMessage &other);
};

} // namespace tw

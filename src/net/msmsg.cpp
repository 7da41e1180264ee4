#include "net/msmsg.h"

#include "net/charset.h"
#include "net/errors.h"
#include "net/mime_decoder.h"
#include "net/pop3_limits.h"
#include "net/stringtable.h"
#include "platform/bytes.h"
#include "platform/text_file.h"

#include <QMimeDatabase>

#include <cstdio>

namespace tw {

namespace {

constexpr size_t kMaxText = 255;

std::string cut(std::string_view text) { return std::string(text.substr(0, std::min(kMaxText, text.size()))); }

// The content type the platform's file-type table gives a file name.
std::string contentTypeForName(std::string_view name)
{
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(QString::fromUtf8(name.data(), qsizetype(name.size())),
                                                    QMimeDatabase::MatchExtension);
    return type.isValid() ? type.name().toStdString() : std::string("application/octet-stream");
}

} // namespace

const char *attEncodingName(TAttEncoding encoding)
{
    switch (encoding) {
    case TAttEncoding::SevenBit: return "7 bit";
    case TAttEncoding::Base64: return "Base64";
    case TAttEncoding::QuotedPrintable: return "Quoted-Printable";
    }
    return "";
}

// ---- TmsAttItem ------------------------------------------------------------

void TmsAttItem::SetFileName(std::string_view name)
{
    // Control characters have no place in a file name, and NUL bytes in a
    // name crash the platform's file type lookup: a message that names its
    // attachment so gets underscores in their place.
    m_fileName = cut(name);
    for (char &c : m_fileName)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '_';
    SetContentType(contentTypeForName(m_fileName));
    const std::string type = upperCase(m_contentType);
    if (type == "TEXT/PLAIN" || type == "TEXT/RTF" || type == "TEXT/HTML")
        Encoding = TAttEncoding::QuotedPrintable;
    else if (type == "MESSAGE/RFC822")
        Encoding = TAttEncoding::SevenBit;
    else
        Encoding = TAttEncoding::Base64;
}

void TmsAttItem::SetContentType(std::string_view type) { m_contentType = cut(type); }

// ---- TmsCustomMessage ------------------------------------------------------

TmsCustomMessage::~TmsCustomMessage()
{
    for (const std::string &file : TempFiles)
        std::remove(file.c_str());
}

void TmsCustomMessage::SetSubject(std::string_view subject) { m_subject = cut(subject); }

void TmsCustomMessage::SetContentType(std::string_view type) { m_contentType = lowerCase(cut(type)); }

void TmsCustomMessage::Validate() const
{
    if (Sender.Address.empty())
        throw EMessageError(loadStr(57100));
}

void TmsCustomMessage::Clear()
{
    Body.clear();
    Attachments.Clear();
    Sender = TmsMailAddress();
    Headers.Clear();
    m_subject.clear();
    Encoding = TMsgEncoding::meMIME;
    CharSet = TCharSet::csUSASCII;
    CharSetName.clear();
    BodyType.clear();
    BodyAttachment = -1;
    m_contentType.clear();
}

void TmsCustomMessage::LoadFromFile(const std::string &fileName, const std::atomic<bool> *cancel)
{
    Clear();
    FileContents file = readFileContents(fileName, size_t(pop3::kMaxMessageFileBytes));
    if (file.state != FileContents::State::Read)
        throw ETidewellError("Cannot read the message file " + fileName + ": " +
                             (file.state == FileContents::State::Missing ? std::string("it does not exist")
                                                                         : file.reason));
    LoadFromStream(std::move(file.bytes), cancel);
}

void TmsCustomMessage::assignCustom(const TmsCustomMessage &other)
{
    Sender = other.Sender;
    m_subject = other.m_subject;
    Encoding = other.Encoding;
    CharSet = other.CharSet;
    CharSetName = other.CharSetName;
    BodyType = other.BodyType;
    BodyAttachment = other.BodyAttachment;
    Headers = other.Headers;
    Body = other.Body;
    Attachments = other.Attachments;
    m_contentType = other.m_contentType;
}

// ---- TmsMessage ------------------------------------------------------------

void TmsMessage::Validate() const
{
    TmsCustomMessage::Validate();
    const auto anyAddress = [](const TmsAddressList &list) {
        for (int i = 0; i < list.Count(); ++i)
            if (!list.Items(i).Address.empty())
                return true;
        return false;
    };
    if (!anyAddress(Recipients) && !anyAddress(CC) && !anyAddress(BCC))
        throw EMessageError(loadStr(57101));
}

void TmsMessage::Clear()
{
    TmsCustomMessage::Clear();
    Recipients.Clear();
    CC.Clear();
    BCC.Clear();
}

void TmsMessage::LoadFromStream(std::string data, const std::atomic<bool> *cancel)
{
    TmsMessageDecoder decoder(std::move(data), *this, cancel);
    decoder.Decode();
}

void TmsMessage::TakeHeaders(const TmsHeaders &block)
{
    ParseAddress(block.GetFieldBody("FROM"), Sender);
    const std::pair<const char *, TmsAddressList *> lists[] = {{"TO", &Recipients}, {"CC", &CC}, {"BCC", &BCC}};
    for (const auto &[name, list] : lists) {
        std::vector<std::string> addresses;
        block.GetAddresses(name, addresses);
        for (const std::string &address : addresses)
            ParseAddress(address, list->Add());
    }
    const std::string subject = block.GetFieldBody("Subject");
    if (!subject.empty())
        SetSubject(subject);
    const std::string priority = block.GetFieldBody("X-Priority");
    Priority = priority == "1" ? TPriority::ptHigh : priority == "5" ? TPriority::ptLow : TPriority::ptNormal;
    if (!block.GetFieldBody("Return-receipt-to").empty())
        ReturnReceipt = true;
    Headers = block;
}

void TmsMessage::Assign(const TmsMessage &other)
{
    assignCustom(other);
    Recipients.Assign(other.Recipients);
    CC.Assign(other.CC);
    BCC.Assign(other.BCC);
    Priority = other.Priority;
    ReturnReceipt = other.ReturnReceipt;
}

} // namespace tw

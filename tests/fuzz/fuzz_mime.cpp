// A whole message as a server sends it (final "." line included), through the
// decoder and on to what the message window shows: the body converted from
// its character set, and every attachment's name, type and contents.
#include "fuzz_support.h"
#include "net/message_text.h"
#include "net/msmsg.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    TmsMessage message;
    message.LoadFromStream(fuzz::inputAsText(data, size));
    const TShownMessage view = shownMessage(message, "msg_0.eml");
    size_t shown = view.text.size() + view.source.size() + view.trailer.size() + message.Subject().size();
    for (int i = 0; i < message.Attachments.Count(); ++i) {
        const auto &attachment = message.Attachments.Items(i);
        shown += attachment.FileName().size() + attachment.ContentType().size() + attachment.Contents.size();
    }
    return shown == size_t(-1); // keeps the reads from being optimised away
}

// The input as everything an IMAP server says: a loopback server in this
// process sends it whole to each connection and hangs up when the client
// waits for more. In one session the client lists the folder, moves the
// first message to the junk folder (finding or making it), and then in
// another moves it back, as the program does; each must end with a result
// or one of the client's errors.
#include "fuzz_support.h"
#include "net/errors.h"
#include "net/imap_client.h"
#include "replying_server.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    static fuzz::ReplyingServer server;
    server.setReplies(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    TmsImapClient imap;
    imap.Server = server.address();
    imap.UserName = "ann";
    imap.Password = "pw";
    imap.SetTimeOut(1);
    imap.MaxListedMessages = 50;
    imap.StayConnected = true;
    fuzz::endsCleanly([&] { imap.UpdateInfo(); });
    if (imap.RemoteInfo().Count() > 0 && imap.IsConnected()) {
        imap.FlagForDeletion(0);
        fuzz::endsCleanly([&] { imap.TransferData(); });
    }
    imap.Close();
    if (!imap.LastMove().Messages.empty()) {
        imap.StayConnected = false;
        fuzz::endsCleanly([&] { imap.MoveBack(imap.LastMove()); });
        imap.Close();
    }
    return 0;
}

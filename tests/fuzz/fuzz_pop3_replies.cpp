// The input as everything a POP3 server says: a loopback server in this
// process sends it whole to each connection and hangs up when the client
// waits for more. The client lists the
// mailbox and then runs a deletion and a retrieval of the first message, as
// the program does, and must end each with a result or one of its errors.
#include "fuzz_support.h"
#include "replying_server.h"
#include "net/errors.h"
#include "net/mspop3.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    static fuzz::ReplyingServer server;
    server.setReplies(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    TmsRemotePOP pop;
    pop.Server = server.address();
    pop.UserName = "ann";
    pop.Password = "pw";
    pop.SetTimeOut(1);
    pop.MaxListedMessages = 50;
    pop.OnUserMessageSave = [](QObject *, int, const std::string &) {};
    fuzz::endsCleanly([&] { pop.UpdateInfo(); });
    pop.Close();
    if (pop.RemoteInfo().Count() > 0) {
        pop.FlagForDeletion(0);
        pop.FlagForRetrieval(0);
        fuzz::endsCleanly([&] { pop.TransferData(); });
        pop.Close();
    }
    return 0;
}

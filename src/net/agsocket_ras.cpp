// The dial-up side of the transport: Open brings the link up before it
// resolves the host, Close hangs it up after the socket is gone.
#include "net/agRasCmp.h"
#include "net/agsocket.h"

namespace tw {

void TagSocket::dialRas() { RAS->Dial(); }

void TagSocket::hangUpRas() { RAS->HangUp(); }

} // namespace tw

// The dial-up side of the transport: Open brings the link up before it
// resolves the host, Close hangs it up after the socket is gone.
#include "net/agsocket.h"

#if __has_include("net/agRasCmp.h")
#include "net/agRasCmp.h"
#define TIDEWELL_HAVE_RAS 1
#endif

namespace tw {

void TagSocket::dialRas()
{
#ifdef TIDEWELL_HAVE_RAS
    RAS->Dial();
#endif
}

void TagSocket::hangUpRas()
{
#ifdef TIDEWELL_HAVE_RAS
    RAS->HangUp();
#endif
}

} // namespace tw

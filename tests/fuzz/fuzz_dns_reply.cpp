// A datagram as a DNS server's reply to an MX query. The first two bytes are
// also the query ID, so matching and mismatching IDs are both reached.
#include "fuzz_support.h"
#include "net/errors.h"
#include "net/msmx_message.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint16_t id = size >= 2 ? uint16_t(data[0] << 8 | data[1]) : 0;
    TMXList list;
    try {
        parseMXReply(fuzz::inputAsText(data, size), id, list);
    } catch (const EResolverError &) {
        // a refused or malformed reply is reported, which is what we want
    }
    return 0;
}

// A datagram as a DNS server's reply to an MX, SRV or A query. The first
// two bytes are also the query ID, so matching and mismatching IDs are both
// reached.
#include "fuzz_support.h"
#include "net/errors.h"
#include "net/msmx_message.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint16_t id = size >= 2 ? uint16_t(data[0] << 8 | data[1]) : 0;
    const std::string reply = fuzz::inputAsText(data, size);
    // a refused or malformed reply is reported, which is what we want
    TMXList list;
    try {
        parseMXReply(reply, id, list);
    } catch (const EResolverError &) {
    }
    std::vector<TSRVRec> services;
    try {
        parseSRVReply(reply, id, services);
    } catch (const EResolverError &) {
    }
    std::vector<std::string> addresses;
    try {
        parseAddressReply(reply, id, addresses);
    } catch (const EResolverError &) {
    }
    return 0;
}

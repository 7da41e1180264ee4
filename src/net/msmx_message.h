#pragma once
// The DNS messages of a lookup (MX, SRV, A): building the query datagram and
// reading the reply. A reply is untrusted input: every read is checked against the
// received bytes, and a reply that is short, malformed or whose compressed
// names loop is refused rather than read past its end.

#include "net/msmxcls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The record types and the Internet class, as they appear on the wire.
constexpr uint16_t kDnsTypeA = 1;
constexpr uint16_t kDnsTypeMX = 15;
constexpr uint16_t kDnsTypeSRV = 33;
constexpr uint16_t kDnsClassIN = 1;

// One service record (RFC 2782): where a service of a domain is offered.
// Target has a dot after every label; "." alone means the service is not
// offered at all.
struct TSRVRec {
    uint16_t Priority = 0; // smaller is tried first
    uint16_t Weight = 0;   // among equal priorities, larger takes more of the load
    uint16_t Port = 0;
    std::string Target;
    bool operator==(const TSRVRec &) const = default;
};

// Encodes Domain as a question name: length-prefixed labels ending in a zero
// byte ("mail.example.org" -> 4 mail 7 example 3 org 0). One trailing dot is
// accepted. Raises EResolverError "Domain name does not exist" (57019) for a
// name that no DNS server can hold (empty, an empty label, a label longer
// than 63 bytes, more than 255 bytes encoded), so such a name is never sent.
std::string encodeQueryName(const std::string &domain);

// The whole query datagram: header with ID and recursion desired, one
// question for the records of Type of Domain in class IN. Raises as
// encodeQueryName does.
std::string buildQuery(uint16_t id, const std::string &domain, uint16_t type);
inline std::string buildMXQuery(uint16_t id, const std::string &domain) { return buildQuery(id, domain, kDnsTypeMX); }

// Reads the reply to the query with ID and adds one record per MX answer to
// List, in the order of the reply (the caller sorts). Records of other types
// (a CNAME, say) are passed over. Raises EResolverError:
//  57015 when the reply's ID is not ID, 57016 when it is not a response,
//  57017..57021 for RCODE 1..5, "Domain server Error #N" for RCODE 6..15,
//  57014 "Server returned invalid reply" for a short or malformed reply.
// Raises EResolverRefusedError when a record holds an address in
// 127.255.255.0/24: the refusal some lists give to public resolvers, which
// says nothing about the domain.
void parseMXReply(const std::string &reply, uint16_t id, TMXList &list);

// The same for the SRV records of a reply, added to List in the reply's
// order; raises as parseMXReply does.
void parseSRVReply(const std::string &reply, uint16_t id, std::vector<TSRVRec> &list);

// The same for the IPv4 addresses (A records) of a reply, added to List as
// dotted text; raises as parseMXReply does (a refusal address included).
void parseAddressReply(const std::string &reply, uint16_t id, std::vector<std::string> &list);

} // namespace tw

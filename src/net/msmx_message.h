#pragma once
// The DNS messages of an MX lookup: building the query datagram and reading
// the reply. A reply is untrusted input: every read is checked against the
// received bytes, and a reply that is short, malformed or whose compressed
// names loop is refused rather than read past its end.

#include "net/msmxcls.h"

#include <cstdint>
#include <string>

namespace tw {

// The MX record type and the Internet class, as they appear on the wire.
constexpr uint16_t kDnsTypeMX = 15;
constexpr uint16_t kDnsClassIN = 1;

// Encodes Domain as a question name: length-prefixed labels ending in a zero
// byte ("mail.example.org" -> 4 mail 7 example 3 org 0). One trailing dot is
// accepted. Raises EResolverError "Domain name does not exist" (57019) for a
// name that no DNS server can hold (empty, an empty label, a label longer
// than 63 bytes, more than 255 bytes encoded), so such a name is never sent.
std::string encodeQueryName(const std::string &domain);

// The whole query datagram: header with ID and recursion desired, one
// question for the MX records of Domain in class IN. Raises as
// encodeQueryName does.
std::string buildMXQuery(uint16_t id, const std::string &domain);

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

} // namespace tw

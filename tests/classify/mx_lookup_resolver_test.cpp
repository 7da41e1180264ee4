#include "classify/mx_lookup_resolver.h"
#include "fixtures/fake_dns_server.h"
#include "net/errors.h"
#include "net/msmx.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

TEST(ResolverMxLookup, AsksForTheGivenDomainAndPassesFailuresOn)
{
    // Names ending in "missing.org" do not exist; everything else has no MX.
    FakeDnsServer server([](const std::string &query) {
        const bool missing = query.find(std::string("\x07" "missing", 8)) != std::string::npos;
        return std::optional<std::string>(DnsReplyBuilder(query).rcode(missing ? 3 : 0).bytes());
    });
    TmsMXResolver resolver;
    resolver.DNSAddress = "127.0.0.1";
    resolver.Port = server.port();
    resolver.setTimeOut(5);
    ResolverMxLookup lookup(resolver);

    EXPECT_NO_THROW(lookup.Resolve("Example.ORG"));
    EXPECT_THROW(lookup.Resolve("missing.org"), EResolverError);
    ASSERT_EQ(server.queries().size(), 2u);
    EXPECT_NE(server.queries()[0].find(std::string("\x07" "Example" "\x03" "ORG", 12)), std::string::npos);
}

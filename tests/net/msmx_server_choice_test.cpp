#include "fixtures/temp_home.h"
#include "net/dns_server_choice.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(DnsServerChoice, ParsesAddressWithOptionalPort)
{
    struct Case {
        const char *text;
        std::optional<DnsServer> expected;
    };
    const Case cases[] = {
        {"192.168.1.1", DnsServer{"192.168.1.1", 53}},
        {"  10.0.0.2:5353 ", DnsServer{"10.0.0.2", 5353}},
        {"10.0.0.2:65535", DnsServer{"10.0.0.2", 65535}},
        {"10.0.0.2:0", std::nullopt},
        {"10.0.0.2:65536", std::nullopt},
        {"10.0.0.2:", std::nullopt},
        {"10.0.0.2:abc", std::nullopt},
        {"10.0.0", std::nullopt},
        {"10.0.0.256", std::nullopt},
        {"10.0.0.1.5", std::nullopt},
        {"dns.example.org", std::nullopt},
        {"::1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseDnsServer(c.text), c.expected) << c.text;
}

TEST(DnsServerChoice, RegistryThenResolvConfThenFixedResolver)
{
    tw::test::TempHome home;
    home.write("resolv.conf", "# comment nameserver 1.1.1.1\n"
                              "search example.org\n"
                              "nameserver fe80::1\n"
                              "nameserver\t192.0.2.53  # the office server\n"
                              "nameserver 192.0.2.54\n");
    const std::string resolvConf = home.file("resolv.conf");
    EXPECT_EQ(chooseDnsServer("198.51.100.7:1053", resolvConf), (DnsServer{"198.51.100.7", 1053}));
    EXPECT_EQ(chooseDnsServer("", resolvConf), (DnsServer{"192.0.2.53", 53}));
    EXPECT_EQ(chooseDnsServer("not an address", resolvConf), (DnsServer{"192.0.2.53", 53}));

    home.write("ipv6-only.conf", "nameserver ::1\r\n");
    EXPECT_EQ(chooseDnsServer("", home.file("ipv6-only.conf")), (DnsServer{kFallbackDnsAddress, 53}));
    EXPECT_EQ(chooseDnsServer("", home.file("missing.conf")), (DnsServer{kFallbackDnsAddress, 53}));
}

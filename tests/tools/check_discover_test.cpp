// tidewell-check --discover as a user runs it: the servers for a known
// provider and for a domain hosted at Google through the configured DNS
// server (dnsmasq), as lines and as JSON; "nothing found" with status 1;
// a text that is no address with status 2.
#include "fixtures/dns_server.h"
#include "fixtures/temp_home.h"
#include "fixtures/tool_run.h"
#include "platform/registry.h"
#include "settings/dns_setting.h"
#include "settings/settings_schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

ToolRun runCheck(const QStringList &arguments) { return runTool(QStringLiteral(TIDEWELL_CHECK_PATH), arguments); }

TEST(CheckDiscoverTool, PrintsWhatItFoundOrSaysNothingWasFound)
{
    TempHome home;
    DnsmasqServer dns("test", {"--mx-host=hosted.test,aspmx.l.google.com,1"});
    ASSERT_TRUE(dns.started()) << dns.log();
    Registry().writeString(std::string(kMainKey) + "\\General", kDnsServerName,
                           "127.0.0.1:" + std::to_string(dns.port()));

    const ToolRun gmail = runCheck({"--discover", "ann@gmail.com"});
    EXPECT_EQ(gmail.status, 0) << gmail.err;
    EXPECT_EQ(gmail.out, "IMAP\timap.gmail.com\t993\tTLS\tOAuth2 (Google)\tprovider table\n"
                         "POP3\tpop.gmail.com\t995\tTLS\tOAuth2 (Google)\tprovider table\n"
                         "User name: ann@gmail.com\n"
                         "Gmail: Google also takes an app password once 2-Step Verification is on: make one at "
                         "myaccount.google.com, Security, App passwords.\n");
    EXPECT_EQ(gmail.err, "");

    const ToolRun hosted = runCheck({"--discover=bob@hosted.test", "--json"});
    EXPECT_EQ(hosted.status, 0) << hosted.err;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(hosted.out)).object();
    EXPECT_EQ(object["address"].toString(), "bob@hosted.test");
    const QJsonArray servers = object["servers"].toArray();
    ASSERT_EQ(servers.size(), 2);
    const QJsonObject imap = servers[0].toObject();
    EXPECT_EQ(imap["protocol"].toString(), "IMAP");
    EXPECT_EQ(imap["server"].toString(), "imap.gmail.com");
    EXPECT_EQ(imap["port"].toInt(), 993);
    EXPECT_EQ(imap["security"].toString(), "TLS");
    EXPECT_EQ(imap["signIn"].toString(), "OAuth2");
    EXPECT_EQ(imap["oauthProvider"].toString(), "Google");
    EXPECT_EQ(imap["userName"].toString(), "bob@hosted.test");
    EXPECT_EQ(imap["provider"].toString(), "Google Workspace");
    EXPECT_EQ(imap["source"].toString(), "MX record");
    EXPECT_EQ(servers[1].toObject()["protocol"].toString(), "POP3");

    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "JSON" : "lines");
        QStringList arguments = {"--discover", "carol@nowhere.test"};
        if (json)
            arguments << "--json";
        const ToolRun nothing = runCheck(arguments);
        EXPECT_EQ(nothing.status, 1);
        EXPECT_NE(nothing.err.find("nothing found for carol@nowhere.test"), std::string::npos) << nothing.err;
        EXPECT_EQ(nothing.out, json ? "{\"address\":\"carol@nowhere.test\",\"notes\":[],\"servers\":[]}\n" : "");
    }

    const ToolRun noAddress = runCheck({"--discover", "carol"});
    EXPECT_EQ(noAddress.status, 2);
    EXPECT_EQ(noAddress.err, "tidewell-check: \"carol\" is not an e-mail address (name@example.org).\n");
    EXPECT_EQ(runCheck({"--discover", "ann@gmail.com", "--delete"}).status, 2);
    EXPECT_EQ(runCheck({"--discover"}).status, 2);
}

} // namespace

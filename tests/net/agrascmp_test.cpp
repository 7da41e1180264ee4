#include "net/agRasCmp.h"
#include "net/errors.h"
#include "platform/dialup_fake.h"
#include "platform/prompts.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;

namespace {

// A fake service with two entries; "Office" stores user "bob" but no password.
struct DialUpFixture : ::testing::Test {
    FakeDialUpService service;
    ScriptedPrompts prompts;
    std::vector<std::string> events;

    DialUpFixture()
    {
        service.entries = {"Office", "Home"};
        service.storedParams["Office"] = DialParams{"Office", "bob", ""};
    }

    // A link on the fake, reporting its events into `events`.
    std::unique_ptr<TagRas> link(const std::string &entry)
    {
        auto ras = std::make_unique<TagRas>(service);
        ras->setService(entry);
        ras->setTimeOut(5);
        ras->OnStatusChange = [this](TagRas &, const std::string &text) { events.push_back("status " + text); };
        ras->OnDisconnected = [this](TagRas &) { events.push_back("disconnected"); };
        return ras;
    }
};

// Runs Dial and returns the error text, or "" when it succeeded.
template <typename Error>
std::string dialError(TagRas &ras)
{
    try {
        ras.Dial();
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(DialUpLink, WithoutDialUpNetworkingNothingIsDialedAndServiceCannotBeSet)
{
    ScriptedPrompts prompts;
    TagRas ras; // the platform's own service: there is none here
    EXPECT_FALSE(ras.HasEntries());
    ras.setService("Office");
    EXPECT_EQ(ras.Service(), "");
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: TagRas component was unable to detect\nRAS on your system."}));
    EXPECT_NO_THROW(ras.Dial());
    EXPECT_NO_THROW(ras.HangUp());
}

TEST_F(DialUpFixture, ServiceMustNameAListedEntryAndCannotChangeWhileUp)
{
    auto ras = link("Nowhere");
    EXPECT_EQ(ras->Service(), "");
    ras->setService("Home");
    EXPECT_EQ(ras->Service(), "Home");
    service.connections.push_back({7, "Home", true});
    ras->Dial();
    ASSERT_TRUE(ras->LinkUp());
    ras->setService("Office");
    EXPECT_EQ(ras->Service(), "Home");
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{"error: This property can be set only before\nestablishing the connection"}));
    ras->setService("");
    EXPECT_EQ(ras->Service(), "");
}

TEST_F(DialUpFixture, ConnectionsAlreadyUpAreUsedAndLeftUp)
{
    // Service empty: nothing is dialed, nothing hung up.
    auto none = link("");
    none->Dial();
    EXPECT_TRUE(none->LinkUp());
    EXPECT_FALSE(none->DialedByUs());

    // The entry is connected by the user; another connection is up too.
    service.connections = {{5, "Other", true}, {6, "Office", true}};
    auto office = link("Office");
    office->Dial();
    EXPECT_TRUE(office->LinkUp());
    EXPECT_FALSE(office->DialedByUs());
    office->HangUp();

    // Any connection with an address will do when the entry is not forced.
    service.connections = {{4, "NoAddress", false}, {5, "Other", true}};
    auto any = link("Home");
    any->ForceService = false;
    any->Dial();
    EXPECT_TRUE(any->LinkUp());
    any->HangUp();

    EXPECT_TRUE(service.log.empty()) << service.log.front(); // no dial, no hang-up
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(service.connections.size(), 2u);
}

TEST_F(DialUpFixture, DialsTheEntryWaitsForTheConnectionAndHangsUpOnlyItsOwn)
{
    auto ras = link("Office");
    ras->Password = "secret";
    ras->MinimizeAtConnect = true;
    ras->Dial();
    EXPECT_TRUE(ras->LinkUp());
    EXPECT_TRUE(ras->DialedByUs());
    EXPECT_EQ(events, (std::vector<std::string>{"status Opening port", "status Authenticating", "status Connected"}));
    ASSERT_EQ(service.connections.size(), 1u);
    const DialUpHandle handle = service.connections[0].handle;

    ras->Dial(); // a second Dial finds its own connection still up
    EXPECT_TRUE(ras->DialedByUs());
    ras->HangUp();
    EXPECT_FALSE(ras->LinkUp());
    EXPECT_TRUE(service.connections.empty());
    EXPECT_EQ(service.log, (std::vector<std::string>{"store Office bob:", "dial Office bob:secret", "minimize",
                                                     "hangup " + std::to_string(handle)}));
    EXPECT_EQ(events.back(), "disconnected");

    // Keeping the password: it is stored with the entry, and the next dial
    // uses the stored one without storing again.
    service.log.clear();
    ras->RemovePassword = false;
    ras->MinimizeAtConnect = false;
    ras->Dial();
    ras->Password = "changed";
    ras->HangUp();
    ras->Dial();
    ras->HangUp();
    EXPECT_EQ(service.log[0], "store Office bob:secret");
    EXPECT_EQ(service.log[1], "dial Office bob:secret");
    EXPECT_EQ(service.log[3], "dial Office bob:secret");
}

TEST_F(DialUpFixture, FailuresRaiseTheServicesErrorAndLeaveNothingDialing)
{
    struct Case {
        const char *name;
        std::function<void(FakeDialUpService &)> setUp;
        std::string error;
        bool hungUp; // the attempt was hung up
    };
    const std::vector<Case> cases = {
        {"refused by a notice, with text",
         [](FakeDialUpService &s) {
             s.dialNotices = {{0, 0, 10}, {5, 678, 10}};
             s.errorTexts[678] = "The remote computer did not respond.";
         },
         "The remote computer did not respond.", true},
        {"refused by a notice, without text", [](FakeDialUpService &s) { s.dialNotices = {{5, 691, 10}}; },
         "RAS error no 691", true},
        {"error text cut at 255 bytes",
         [](FakeDialUpService &s) {
             s.dialNotices = {{5, 600, 10}};
             s.errorTexts[600] = std::string(300, 'x');
         },
         std::string(255, 'x'), true},
        {"dial cannot start", [](FakeDialUpService &s) { s.dialStartError = 633; }, "RAS error no 633", false},
        {"active connections cannot be listed", [](FakeDialUpService &s) { s.enumConnectionsError = 610; },
         "RAS error no 610", false},
        {"parameters cannot be stored", [](FakeDialUpService &s) { s.setParamsError = 623; }, "RAS error no 623",
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeDialUpService fresh;
        fresh.entries = {"Office"};
        c.setUp(fresh);
        TagRas ras(fresh);
        ras.setService("Office");
        ras.setTimeOut(5);
        EXPECT_EQ(dialError<ERASError>(ras), c.error);
        EXPECT_FALSE(ras.LinkUp());
        EXPECT_TRUE(fresh.connections.empty());
        EXPECT_EQ(!fresh.log.empty() && fresh.log.back().rfind("hangup", 0) == 0, c.hungUp);
    }
}

TEST_F(DialUpFixture, TimeOutAndHangUpEndTheWait)
{
    service.dialNotices = {{0, 0, 10}}; // the line never connects
    auto ras = link("Office");
    ras->setTimeOut(1);
    EXPECT_EQ(dialError<ETimedOutError>(*ras), "Operation timed out");
    EXPECT_EQ(service.log.back().rfind("hangup", 0), 0u);

    ras->setTimeOut(30);
    QTimer::singleShot(50, [&] { ras->HangUp(); });
    EXPECT_EQ(dialError<ECanceledError>(*ras), "Operation has been canceled");
    EXPECT_EQ(events.back(), "disconnected");
}

TEST_F(DialUpFixture, ErrorNoticeOnAnUpConnectionIsRecordedNotThrown)
{
    auto ras = link("Office");
    ras->Dial();
    ASSERT_TRUE(ras->LinkUp());
    const DialUpHandle handle = service.connections[0].handle;
    EXPECT_NO_THROW(service.sendNotice(handle, kDialStateDisconnected, 629));
    EXPECT_FALSE(ras->LinkUp());
    EXPECT_EQ(ras->LastError(), 629);
    ras->HangUp(); // still ours: hung up
    EXPECT_EQ(service.log.back(), "hangup " + std::to_string(handle));
}

// The caller may pass one of the link's own entries; the entry list is read
// again inside, so the name must be taken before that (the general settings
// window does exactly this when it shows the stored choice).
TEST_F(DialUpFixture, ServiceNamedByOneOfTheLinksOwnEntriesSurvivesTheirRereading)
{
    TagRas ras(service);
    ASSERT_EQ(ras.Entries(), (std::vector<std::string>{"Office", "Home"}));
    service.entries = {"Home", "Office"}; // the system's list changed meanwhile
    ras.setService(ras.Entries()[0]);
    EXPECT_EQ(ras.Service(), "Office");
}

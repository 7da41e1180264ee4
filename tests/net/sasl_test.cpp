// The SASL mechanisms as pure functions: the published SCRAM exchanges, the
// token and PLAIN messages, reading a SASL capability and choosing from it.
#include "net/oauth2_sign_in.h"
#include "net/sasl.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::sasl;

TEST(Sasl, ScramReproducesThePublishedExchanges)
{
    struct Case {
        Mechanism mechanism;
        const char *nonce, *serverFirst, *clientFinal, *serverFinal;
    } cases[] = {
        // RFC 5802, section 5.
        {Mechanism::ScramSha1, "fyko+d2lbbFgONRv9qkxdawL",
         "r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,s=QSXCR+Q6sek8bf92,i=4096",
         "c=biws,r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,p=v0X8v3Bz2T0CJGbJQyF0X+HI4Ts=",
         "v=rmF9pqV8S7suAoZWja4dJRkFsKQ="},
        // RFC 7677, section 3.
        {Mechanism::ScramSha256, "rOprNGfwEbeRWgbNEkqO",
         "r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096",
         "c=biws,r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,"
         "p=dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ=",
         "v=6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(mechanismName(c.mechanism));
        ScramClient scram(c.mechanism, "user", "pencil", c.nonce);
        EXPECT_EQ(scram.clientFirst(), std::string("n,,n=user,r=") + c.nonce);
        EXPECT_EQ(scram.clientFinal(c.serverFirst).value_or("<refused: " + scram.error() + ">"), c.clientFinal);
        EXPECT_TRUE(scram.verifyServerFinal(c.serverFinal)) << scram.error();
        // A server that does not know the password cannot make the signature.
        EXPECT_FALSE(scram.verifyServerFinal("v=AAAAAAAAAAAAAAAAAAAAAAAAAAA="));
    }
}

TEST(Sasl, ScramRefusesServerMessagesItCannotTrust)
{
    struct Case {
        const char *name, *serverFirst;
    } cases[] = {
        {"a nonce that is not the client's", "r=other-nonce,s=QSXCR+Q6sek8bf92,i=4096"},
        {"the client's nonce unchanged", "r=abc,s=QSXCR+Q6sek8bf92,i=4096"},
        {"no salt", "r=abcdef,i=4096"},
        {"a salt that is not base64", "r=abcdef,s=***,i=4096"},
        {"no iterations", "r=abcdef,s=QSXCR+Q6sek8bf92,i=0"},
        {"iterations that would keep the program busy", "r=abcdef,s=QSXCR+Q6sek8bf92,i=100000000"},
        {"a mandatory extension", "m=ext,r=abcdef,s=QSXCR+Q6sek8bf92,i=4096"},
        {"an error", "e=unknown-user"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScramClient scram(Mechanism::ScramSha256, "user", "pencil", "abc");
        EXPECT_FALSE(scram.clientFinal(c.serverFirst).has_value());
        EXPECT_FALSE(scram.error().empty());
        EXPECT_FALSE(scram.verifyServerFinal("v=anything"));
    }
    // "=" and "," in a user name are escaped, as SCRAM names must be.
    EXPECT_EQ(ScramClient(Mechanism::ScramSha1, "a=b,c", "pw", "n0").clientFirst(), "n,,n=a=3Db=2Cc,r=n0");
}

TEST(Sasl, PasswordAndTokenMessagesHaveTheirPublishedForm)
{
    EXPECT_EQ(toBase64(plainResponse("tim", "tanstaaftanstaaf")), "AHRpbQB0YW5zdGFhZnRhbnN0YWFm"); // RFC 4616
    EXPECT_EQ(xoauth2Response("someuser@example.com", "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg"),
              "user=someuser@example.com\x01" "auth=Bearer ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg\x01\x01");
    EXPECT_EQ(oauthBearerResponse("user@example.com", "server.example.com", 143, "vF9dft4qmTc2Nvb3RlckBhbHRhdmlzdGEuY29tCg=="),
              "n,a=user@example.com,\x01" "host=server.example.com\x01" "port=143\x01"
              "auth=Bearer vF9dft4qmTc2Nvb3RlckBhbHRhdmlzdGEuY29tCg==\x01\x01"); // RFC 7628 4.1
    EXPECT_EQ(toBase64(oauthBearerErrorAck()), "AQ==");
    EXPECT_EQ(fromBase64("eyJzdGF0dXMiOiI0MDEifQ==").value_or("<none>"), "{\"status\":\"401\"}");
    EXPECT_FALSE(fromBase64("not base64!").has_value());
    // RFC 7636, appendix B.
    EXPECT_EQ(pkceChallengeS256("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(Sasl, TheMechanismListIsReadTokenByTokenAndTheStrongestIsChosen)
{
    struct Case {
        const char *arguments;
        std::vector<std::string> names;
        Mechanism password, token;
    } cases[] = {
        {"PLAIN SCRAM-SHA-1 SCRAM-SHA-256 XOAUTH2 OAUTHBEARER",
         {"PLAIN", "SCRAM-SHA-1", "SCRAM-SHA-256", "XOAUTH2", "OAUTHBEARER"}, Mechanism::ScramSha256, Mechanism::XOAuth2},
        {"plain\r", {"PLAIN"}, Mechanism::Plain, Mechanism::None},                 // a line end left on the text
        {"SCRAM-SHA-1\r\nPLAIN", {"SCRAM-SHA-1"}, Mechanism::ScramSha1, Mechanism::None}, // nothing after the line end
        {"  LOGIN\tOAUTHBEARER  ", {"LOGIN", "OAUTHBEARER"}, Mechanism::None, Mechanism::OAuthBearer},
        {"SCRAM-SHA-256-PLUS PLAINX", {"SCRAM-SHA-256-PLUS", "PLAINX"}, Mechanism::None, Mechanism::None},
        {"", {}, Mechanism::None, Mechanism::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::vector<std::string> names = mechanismNames(c.arguments);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(passwordMechanism(names), c.password);
        EXPECT_EQ(tokenMechanism(names), c.token);
    }
}

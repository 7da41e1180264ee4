#include "classify/header_tokens.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tw;

namespace {

std::vector<std::string> tokensOf(const std::string &headerText)
{
    TmsHeaders headers;
    headers.SetText(headerText);
    return headerTokens(headers);
}

bool has(const std::vector<std::string> &tokens, const std::string &token)
{
    return std::binary_search(tokens.begin(), tokens.end(), token);
}

struct TokenCase {
    const char *what;
    std::string headers;
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

} // namespace

TEST(HeaderTokens, EachHeaderGivesTheTokensItsReadingPromises)
{
    const std::vector<TokenCase> cases = {
        {"an encoded subject is decoded, its words folded to lower case, its character set kept",
         "Subject: =?iso-8859-1?Q?Caf=E9_GRATUIT?= now!",
         {"subject:caf\xC3\xA9", "subject:gratuit", "subject:now", "subject-charset:iso-8859-1",
          "subject-shape:8bit", "subject-shape:!"},
         {"subject:GRATUIT", "subject:=?iso-8859-1?q?caf=e9_gratuit?="}},
        {"a sender: address, user, domain, registered domain and display name",
         "From: \"Ann Other\" <Ann@Mail.Example.CO.UK>",
         {"from-addr:ann@mail.example.co.uk", "from-user:ann", "from-domain:mail.example.co.uk",
          "from-domain-base:example.co.uk", "from-name:ann", "from-name:other", "header:From"},
         {"from-name:(none)"}},
        {"an encoded display name is decoded too",
         "From: =?utf-8?B?SsO8cmdlbg==?= <j@example.org>",
         {"from-name:j\xC3\xBCrgen", "from-name:(encoded)", "from-addr:j@example.org"},
         {}},
        {"a Received header: hosts, protocol, software and the first outside address",
         "Received: from relay.example.net (relay.example.net [192.0.2.17])\r\n"
         "\tby mx.example.org (Postfix) with ESMTP id 4F1A2B3C4D; Tue, 6 Aug 2002 06:48:09 -0400",
         {"rcvd-from:relay.example.net", "rcvd-from-base:example.net", "rcvd-by:mx.example.org",
          "rcvd-by-base:example.org", "rcvd-with:esmtp", "rcvd:postfix", "xip:192.0.2.17", "xip24:192.0.2",
          "xip16:192.0", "received-count:1"},
         {"xip:(none)", "rcvd:aug", "rcvd-with:ESMTP"}},
        {"addresses inside the receiving network are no outside address",
         "Received: from localhost (localhost [127.0.0.1]) by phobos (Postfix) with ESMTP id 1\r\n"
         "Received: from mail.example.com ([10.1.2.3]) by localhost with SMTP",
         {"xip:(none)", "received-count:2"},
         {"xip:127.0.0.1", "xip:10.1.2.3"}},
        {"the first outside address is taken from the top, later ones by their network",
         "Received: from a.example ([198.51.100.7]) by b.example\r\n"
         "Received: from c.example ([203.0.113.9]) by a.example",
         {"xip:198.51.100.7", "rcvd-ip24:203.0.113"},
         {"xip:203.0.113.9"}},
        {"a Message-ID by its domain and the shape of its local part",
         "Message-ID: <20020806.ABC123@mailer.example.com>",
         {"mid-domain:mailer.example.com", "mid-domain-base:example.com", "mid-shape:#.A#"},
         {"mid:(missing)", "mid:(no-at)"}},
        {"words that only name one message are kept by their shape",
         "X-Queue-Id: g72LqWv13294 20020806123456",
         {"x-queue-id:a#a#", "x-queue-id:#"},
         {"x-queue-id:g72lqwv13294"}},
        {"recipients: each address and their number; the user's own delivery address is left out",
         "To: a@one.example, \"B, the second\" <b@two.example>, c@one.example\r\nDelivered-To: me@home.example",
         {"to-addr:a@one.example", "to-addr:b@two.example", "to-domain:two.example", "to-count:5"},
         {"delivered-to:me@home.example", "to:(missing)"}},
        {"the mail program, the content type and its character set",
         "X-Mailer: Microsoft Outlook Express 6.00.2600.0000\r\nContent-Type: text/plain; charset=\"Windows-1252\"",
         {"mailer:microsoft_outlook_express_#.#.#.#", "mailer-word:outlook", "content-type:text/plain",
          "charset:windows-1252"},
         {}},
        {"time stamps say nothing; what is missing says something",
         "Delivery-Date: Wed Jan  1 15:54:15 2003\r\nX-OriginalArrivalTime: 23 Aug 2002 06:25:35.0047 (UTC)",
         {"header:Delivery-Date", "subject:(missing)", "date:(missing)", "mid:(missing)", "to:(missing)"},
         {"delivery-date:wed", "x-originalarrivaltime:23"}},
        {"a line that is no header is noted, not read",
         "From someone@example.com Tue Aug  6 11:51:02 2002\r\nSubject: hello",
         {"header:(malformed)", "subject:hello"},
         {"from-addr:someone@example.com"}},
    };
    for (const TokenCase &c : cases) {
        const std::vector<std::string> tokens = tokensOf(c.headers);
        for (const std::string &token : c.present)
            EXPECT_TRUE(has(tokens, token)) << c.what << ": missing " << token;
        for (const std::string &token : c.absent)
            EXPECT_FALSE(has(tokens, token)) << c.what << ": unexpected " << token;
        for (const std::string &token : tokens)
            EXPECT_TRUE(std::none_of(token.begin(), token.end(), [](unsigned char b) { return b <= ' ' || b == 127; }))
                << c.what << ": a blank or control byte in " << token;
    }
}

TEST(HeaderTokens, BrokenInputStillGivesTokensAndNeverRaises)
{
    // A B-encoded word outside the base64 alphabet is read as it stands.
    const std::vector<std::string> tokens = tokensOf("Subject: =?x?B?!!!!?= offer\r\nFrom: =?x?B?!!!!?= <a@b.example>");
    EXPECT_TRUE(has(tokens, "subject:offer"));
    EXPECT_TRUE(has(tokens, "from-addr:a@b.example"));
    EXPECT_NO_THROW(tokensOf(std::string(5000, 'x') + ":" + std::string(70000, '\xff')));
    EXPECT_NO_THROW(tokensOf("\t\r\n:\r\n: :\r\nReceived: from [999.1.1.1] by"));
}

#pragma once
// Small made-up header blocks for the learned score's tests: two families
// that differ in sender, sending host, mail program and subject words, so
// that a few of each train a clear difference.

#include "classify/learned_filter.h"

#include <string>

namespace tw::test {

inline TmsHeaders headerBlock(const std::string &text)
{
    TmsHeaders headers;
    headers.SetText(text);
    return headers;
}

// Spam number N: cheap pills from a dial-up address, each with its own id.
inline TmsHeaders spamHeaders(int n, const std::string &subject = "Cheap pills for you")
{
    return headerBlock("Received: from dsl-" + std::to_string(n) + ".example.net ([203.0.113." +
                       std::to_string(n % 250) + "]) by mx.home.example with SMTP\r\n"
                       "From: \"Best Offers\" <offers" + std::to_string(n) + "@pills.example>\r\n"
                       "To: undisclosed-recipients:;\r\n"
                       "Subject: " + subject + " " + std::to_string(n) + "\r\n"
                       "X-Mailer: Mass Sender 3.1\r\n"
                       "Message-ID: <" + std::to_string(1000 + n) + "@pills.example>\r\n");
}

// Ordinary mail number N: a colleague writing about the project.
inline TmsHeaders hamHeaders(int n, const std::string &subject = "Minutes of the project meeting")
{
    return headerBlock("Received: from mail.work.example (mail.work.example [198.51.100.5]) by mx.home.example "
                       "with ESMTP\r\n"
                       "From: Ann Other <ann@work.example>\r\n"
                       "To: me@home.example\r\n"
                       "Subject: " + subject + " " + std::to_string(n) + "\r\n"
                       "User-Agent: Mutt/1.4\r\n"
                       "Message-ID: <meeting." + std::to_string(n) + "@work.example>\r\n");
}

// Trains Count messages of each family (numbered from First).
inline void trainBoth(LearnedFilter &filter, int count, int first = 0, const std::string &mailbox = "")
{
    for (int n = first; n < first + count; ++n) {
        filter.train(spamHeaders(n), TrainedAs::Spam, mailbox);
        filter.train(hamHeaders(n), TrainedAs::Ham, mailbox);
    }
}

} // namespace tw::test

// tidewell-why: explains offline why a message would be marked. Reads the
// rules, settings, blacklist and learned score from the program folder and
// the registry as the program does, reads one raw header block, classifies it as a check
// would and prints the explanation the program shows, then "Mark: " and the
// mark the classification gives. No file is changed.

#include "why_options.h"

#include "classify/classifier.h"
#include "classify/message_row.h"
#include "classify/mx_lookup_resolver.h"
#include "net/dns_server_choice.h"
#include "net/msmx.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "settings/dns_setting.h"
#include "settings/settings_schema.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

using namespace tw;

namespace {

constexpr int kBadUsage = 2;

bool readInput(const std::string &file, std::string &bytes)
{
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}


} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the resolver waits in the event loop

    std::string error;
    const auto options = why::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tidewell-why: " << error << "\n" << why::kUsage;
        return kBadUsage;
    }
    if (options->help) {
        std::cout << why::kUsage << why::kHelpSettings;
        return 0;
    }
    std::string input;
    if (!readInput(options->file, input)) {
        std::cerr << "tidewell-why: cannot read " << options->file << "\n";
        return kBadUsage;
    }

    // The explanation goes on from defaults, but the user must know why.
    for (const std::string &text : unreadableSettingsFiles())
        std::cerr << "tidewell-why: " << text << "\n";

    SpamSettingsModel spam;
    try {
        spam.readSettings();
    } catch (const std::exception &e) {
        // The program shows this and goes on with what it could read.
        std::cerr << "tidewell-why: " << e.what() << "\n";
    }
    KnownSpammers known;
    known.LoadUpKnownList(programFile("known.lst"));

    const DnsServer server = configuredDnsServer();
    TmsMXResolver resolver;
    resolver.DNSAddress = server.address;
    resolver.Port = server.port;
    resolver.setTimeOut(kDomainQuerySeconds);
    ResolverMxLookup lookup(resolver);
    UnknownDomains domains(&lookup);

    const HeaderBlock block = readHeaderBlock(input);
    TmsRemoteInfo info;
    TmsRemoteInfoItem &item = info.Add();
    item.Headers = block.headers;
    const long long size = options->size.value_or(static_cast<long long>(block.bytesRead));
    item.Size = static_cast<int>(size);

    WaitingMessages messages;
    const int row = messages.add(rowFromHeaders(block.headers, size));
    WhyLog why;
    Classifier classifier(messages, info, spam.rules, spam.tests, known, domains, why);
    classifier.setMailboxNumber(options->mailbox);
    // The learned score as the program reads it; a damaged store stays where it is.
    LearnedFilter learned(programFile(kLearnedStoreFile));
    const std::string learnedProblem = learned.load(false);
    if (!learnedProblem.empty())
        std::cerr << "tidewell-why: " << learnedProblem << "\n";
    classifier.setLearnedFilter(&learned);

    classifier.MarkForDeletion(row);
    const int classified = messages.row(row).mark;
    if (options->mark)
        messages.row(row).mark = *options->mark;

    std::string out;
    for (const std::string &line : classifier.explain(row))
        out += line + "\n";
    out += "Mark: " + std::to_string(classified) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

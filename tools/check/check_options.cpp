#include "check_options.h"

#include "settings/settings_schema.h"

#include <algorithm>
#include <charconv>

namespace tw::check {

namespace {

std::optional<int> mailboxNumber(const std::string &text)
{
    int n = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (failure != std::errc() || end != text.data() + text.size() || n < 1 || n > kMailboxCount)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error)
{
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--delete") {
            options.remove = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--discover" || argument.rfind("--discover=", 0) == 0) {
            if (argument == "--discover") {
                if (++i == arguments.size()) {
                    error = "--discover needs an e-mail address";
                    return std::nullopt;
                }
                options.address = arguments[i];
            } else {
                options.address = argument.substr(11);
            }
            options.discover = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--mailbox" || argument.rfind("--mailbox=", 0) == 0) {
            std::string value;
            if (argument == "--mailbox") {
                if (++i == arguments.size()) {
                    error = "--mailbox needs a mailbox number (1 to 12)";
                    return std::nullopt;
                }
                value = arguments[i];
            } else {
                value = argument.substr(10);
            }
            const std::optional<int> n = mailboxNumber(value);
            if (!n) {
                error = "not a mailbox number (1 to 12): " + value;
                return std::nullopt;
            }
            if (std::find(options.mailboxes.begin(), options.mailboxes.end(), *n) == options.mailboxes.end())
                options.mailboxes.push_back(*n);
        } else {
            error = "unknown argument: " + argument;
            return std::nullopt;
        }
    }
    if (options.discover && (options.remove || options.dryRun || !options.mailboxes.empty())) {
        error = "--discover checks no mailbox: it goes with --json only";
        return std::nullopt;
    }
    return options;
}

} // namespace tw::check

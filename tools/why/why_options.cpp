#include "why_options.h"

#include "platform/bytes.h"

namespace tw::why {

namespace {

bool readNumber(const std::string &option, const std::string &text, long long low, long long high, long long &value,
                std::string &error)
{
    if (!parseInt(text, value) || value < low || value > high) {
        error = option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                ", not \"" + text + "\"";
        return false;
    }
    return true;
}

} // namespace

std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error)
{
    Options options;
    bool haveFile = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        const bool isOption = argument == "--size" || argument == "--mailbox" || argument == "--mark";
        if (isOption) {
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return std::nullopt;
            }
            const std::string &text = arguments[++i];
            long long value = 0;
            if (argument == "--size") {
                if (!readNumber(argument, text, 0, INT32_MAX, value, error))
                    return std::nullopt;
                options.size = value;
            } else if (argument == "--mailbox") {
                if (!readNumber(argument, text, 0, 12, value, error))
                    return std::nullopt;
                options.mailbox = static_cast<int>(value);
            } else {
                if (!readNumber(argument, text, -1, 14, value, error))
                    return std::nullopt;
                options.mark = static_cast<int>(value);
            }
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return std::nullopt;
        }
        if (haveFile) {
            error = "only one FILE may be given";
            return std::nullopt;
        }
        options.file = argument;
        haveFile = true;
    }
    if (!haveFile) {
        error = "FILE is missing";
        return std::nullopt;
    }
    return options;
}

} // namespace tw::why

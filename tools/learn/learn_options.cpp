#include "learn_options.h"

namespace tw::learn {

std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error)
{
    Options options;
    std::vector<std::string> *files = nullptr; // where the files being read go
    size_t filesBefore = 0;                    // how many it held when its option came
    std::string option;
    auto optionComplete = [&] {
        if (files && files->size() == filesBefore) {
            error = option + " needs at least one FILE";
            return false;
        }
        return true;
    };
    for (const std::string &argument : arguments) {
        std::vector<std::string> *next = argument == "--spam"    ? &options.spam
                                         : argument == "--ham"   ? &options.ham
                                         : argument == "--score" ? &options.score
                                                                 : nullptr;
        if (next || argument == "--stats") {
            if (!optionComplete())
                return std::nullopt;
            files = next;
            filesBefore = next ? next->size() : 0;
            option = argument;
            options.stats = options.stats || argument == "--stats";
            continue;
        }
        if (argument.starts_with("--")) {
            error = "unknown option " + argument;
            return std::nullopt;
        }
        if (!files) {
            error = "a FILE must follow --spam, --ham or --score: " + argument;
            return std::nullopt;
        }
        files->push_back(argument);
    }
    if (!optionComplete())
        return std::nullopt;
    if (options.spam.empty() && options.ham.empty() && options.score.empty() && !options.stats) {
        error = "nothing to do";
        return std::nullopt;
    }
    return options;
}

} // namespace tw::learn

#include "classify/file_training.h"

#include "classify/message_sources.h"

namespace tw {

namespace {

std::string className(TrainedAs as) { return as == TrainedAs::Spam ? "junk" : "ordinary mail"; }
std::string otherClassName(TrainedAs as) { return as == TrainedAs::Spam ? "ordinary mail" : "junk"; }

} // namespace

FileTraining trainFromSource(LearnedFilter &filter, const std::string &path, TrainedAs as,
                             const std::function<bool(long long, long long)> &progress)
{
    FileTraining result;
    if (!filter.available()) {
        result.error = "The learned score's store " + filter.path() + " could not be read, so nothing can be trained.";
        return result;
    }
    const MessageSourceResult read = readMessageSource(
        path,
        [&](const TmsHeaders &headers) {
            ++result.read;
            switch (filter.train(headers, as, std::string())) {
            case TrainOutcome::Trained:
                ++result.trained;
                break;
            case TrainOutcome::Moved:
                ++result.moved;
                break;
            case TrainOutcome::AlreadyTrained:
            case TrainOutcome::NotAvailable:
                ++result.already;
                break;
            }
        },
        progress);
    result.unreadable = read.unreadable;
    result.canceled = read.canceled;
    result.error = read.error;
    return result;
}

std::string fileTrainingText(const FileTraining &result, TrainedAs as)
{
    if (!result.error.empty() && result.read == 0)
        return result.error;
    std::string text = (result.canceled ? "Canceled after " : "Read ") + std::to_string(result.read) +
                       " message(s): " + std::to_string(result.trained) + " trained as " + className(as);
    if (result.moved > 0)
        text += ", " + std::to_string(result.moved) + " moved from " + otherClassName(as);
    if (result.already > 0)
        text += ", " + std::to_string(result.already) + " trained as " + className(as) + " before";
    text += ".";
    if (result.unreadable > 0)
        text += " " + std::to_string(result.unreadable) + " file(s) could not be read.";
    if (result.read == 0 && !result.canceled)
        text += " No message was found there.";
    return text;
}

} // namespace tw

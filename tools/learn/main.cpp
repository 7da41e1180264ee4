// tidewell-learn: trains the learned score from messages in files and asks
// it for scores, on the store the program itself uses (learned.dat in the
// program folder; TIDEWELL_HOME as for the program). Training writes the
// store, so it is refused while Tidewell runs: the program keeps the store
// in memory and would write its own over it.

#include "learn_options.h"

#include "classify/file_training.h"
#include "classify/message_sources.h"
#include "classify/spam_test_settings.h"
#include "platform/paths.h"
#include "platform/private_files.h"
#include "platform/singleinstance.h"
#include "platform/text_file.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>

using namespace tw;

namespace {

constexpr int kBadUsage = 2;
constexpr int kFailed = 1;

// Trains every file of Files as As; false when one of them could not be read.
bool trainFiles(LearnedFilter &filter, const std::vector<std::string> &files, TrainedAs as)
{
    FileTraining total;
    bool allRead = true;
    for (const std::string &file : files) {
        const FileTraining one = trainFromSource(filter, file, as);
        if (!one.error.empty() || one.unreadable > 0) {
            std::cerr << "tidewell-learn: " << file << ": "
                      << (one.error.empty() ? std::to_string(one.unreadable) + " file(s) could not be read" : one.error)
                      << "\n";
            allRead = false;
        }
        total.read += one.read;
        total.trained += one.trained;
        total.moved += one.moved;
        total.already += one.already;
        total.unreadable += one.unreadable;
    }
    std::cout << fileTrainingText(total, as) << "\n";
    return allRead;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::string error;
    const auto options = learn::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tidewell-learn: " << error << "\n" << learn::kUsage;
        return kBadUsage;
    }
    const bool training = !options->spam.empty() || !options->ham.empty();
    if (training && TFirstInstance(programFolder()).ownedElsewhere()) {
        std::cerr << "tidewell-learn: Tidewell is running and would write its own learned score over what is "
                     "trained here. Close it first, or use \"Train from files...\" in its spam settings.\n";
        return kFailed;
    }

    LearnedFilter filter(programFile(kLearnedStoreFile));
    // Only training writes files; scoring and counting leave a damaged store where it is.
    const std::string problem = filter.load(training);
    if (!problem.empty())
        std::cerr << "tidewell-learn: " << problem << "\n";
    if (training && !filter.available())
        return kFailed;

    int status = 0;
    if (!options->spam.empty() && !trainFiles(filter, options->spam, TrainedAs::Spam))
        status = kFailed;
    if (!options->ham.empty() && !trainFiles(filter, options->ham, TrainedAs::Ham))
        status = kFailed;
    if (training) {
        std::string why;
        if (!makePrivateFolders(programFolder(), &why) || !filter.save(&why)) {
            std::cerr << "tidewell-learn: cannot save " << filter.path() << ": " << why << "\n";
            return kFailed;
        }
    }

    if (!options->score.empty() && !filter.ready())
        std::cerr << "tidewell-learn: the program uses the score only once " << kLearnedMinimumTrained
                  << " junk and " << kLearnedMinimumTrained << " ordinary messages are trained (now "
                  << filter.spamTrained() << " and " << filter.hamTrained() << ")\n";
    for (const std::string &file : options->score) {
        std::string why;
        const std::optional<TmsHeaders> headers = headerBlockOfFile(file, &why);
        if (!headers) {
            std::cerr << "tidewell-learn: cannot read " << file << ": " << why << "\n";
            status = kFailed;
            continue;
        }
        std::cout << scoreText(filter.score(*headers)) << "\t" << file << "\n";
    }

    if (options->stats)
        std::cout << "Junk trained: " << filter.spamTrained() << "\n"
                  << "Ordinary mail trained: " << filter.hamTrained() << "\n"
                  << "Tokens: " << filter.tokenCount() << "\n"
                  << "In use: " << (filter.ready() ? "yes" : "no, " + std::to_string(kLearnedMinimumTrained) +
                                                                 " of each are needed")
                  << "\n";
    return status;
}

#pragma once
// The spam-test settings the classification reads: size limits, the
// blacklist switch, the unknown-domain and non-English tests with the mark
// each gives, the non-English sensitivity and the two detection counters.
// Fields carry the names of the spam settings window's controls; the comment
// on each names its tidewell.ini section/key. Defaults are those of an empty
// ini file.

#include <string>

namespace tw {

struct SpamTestSettings {
    bool cbSmaller = false;       // [Smaller] QSmaller: the "smaller than" size test is on
    int nSmaller = 100;           // [Smaller] Num: its limit in bytes
    bool rbSmallerCheck = true;   // [Smaller] Check: true marks with a check mark, false with a question mark

    bool cbLarger = false;        // [Larger] QLarger
    int nLarger = 20000;          // [Larger] Num
    bool rbLargerCheck = true;    // [Larger] Check

    bool cbKnownSpammers = true;  // [Known] QMonitor: compare senders with the blacklist

    bool cbValid = true;          // [Known] Valid: the unknown-domain test is on
    bool rbCheck = false;         // [Known] Question (set = check mark): mark given to unknown domains
    std::string edUnknown = "0";  // [Known] Num: unknown domains detected (decimal text)

    bool cbAscii = true;          // [Ascii] QMonitor: the non-English test is on
    bool rbAsciiCheck = false;    // [Ascii] Question is the opposite: Question=1 means question mark
    int Range = 0;                // [Ascii] Range: sensitivity 0..3
    std::string edAscii = "0";    // [Ascii] Num: messages with non-English characters detected

    bool cbLearned = true;                 // [Learned] QMonitor: the learned score test is on
    std::string edLearnedCutoff = "0.99";  // [Learned] Cutoff: the score from which it marks (decimal point)
    bool rbLearnedCheck = false;           // [Learned] Check: true marks with a check mark, false with a question mark
};

// The learned score's cutoff as a number: the stored text read with a
// decimal point, kept between kLearnedCutoffMin and 1; a text that is no
// number gives the default 0.99.
inline constexpr double kLearnedCutoffDefault = 0.99;
inline constexpr double kLearnedCutoffMin = 0.5;
double learnedCutoff(const SpamTestSettings &settings);
// A score or cutoff as the program writes it: three decimals, a decimal point.
std::string scoreText(double value);

// Adds 1 to a detection counter kept as decimal text; a text that is not a
// number counts as 0.
void bumpCounter(std::string &counter);

// The two counters' named operations.
inline void bumpUnknown(SpamTestSettings &settings) { bumpCounter(settings.edUnknown); }
inline void bumpNonAscii(SpamTestSettings &settings) { bumpCounter(settings.edAscii); }

} // namespace tw

#pragma once
// The learned score of a header block: how much its tokens look like the
// spam rather than the ordinary mail trained so far, from 0 (ordinary) to 1
// (spam). Each token's spam probability is Robinson's: the share of spam
// among the messages that held it, drawn towards 0.5 while it has been seen
// only a few times. The most telling tokens are combined with Fisher's
// chi-square method twice, once for the evidence of spam and once for that
// of ordinary mail; the score is the balance of the two, so a message with
// strong evidence both ways (or none) lands near 0.5, the unsure middle.

#include "classify/token_counts.h"
#include "net/msmsgcls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The trained token counts and how many messages of each class they came from.
struct TrainedCounts {
    TokenCounts tokens;
    std::uint32_t spamMessages = 0;
    std::uint32_t hamMessages = 0;
};

// The distinct token hashes of Headers, sorted.
std::vector<std::uint64_t> tokenHashes(const TmsHeaders &headers);

// Adds Delta (+1 or -1) to the counts of every distinct token of Headers
// and to the message total of its class; Day marks the tokens as trained then.
void trainCounts(TrainedCounts &counts, const TmsHeaders &headers, bool spam, int delta, std::uint32_t day);

// One token's weight in a score.
struct Clue {
    std::string token;
    double probability = 0.5; // that a message holding it is spam
};

struct ScoreExplanation {
    double score = 0.5;
    // The strongest clues each way, strongest first: towards spam
    // (probability above 0.5) and towards ordinary mail (below).
    std::vector<Clue> spamClues;
    std::vector<Clue> hamClues;
};

// The score of Headers against Counts: 0.5 when nothing has been trained.
double learnedScore(const TrainedCounts &counts, const TmsHeaders &headers);
// The same from the token hashes of a message (tokenHashes).
double learnedScore(const TrainedCounts &counts, const std::vector<std::uint64_t> &hashes);

// The score with its clues: at most ClueCount each way.
ScoreExplanation explainScore(const TrainedCounts &counts, const TmsHeaders &headers, size_t clueCount = 5);

} // namespace tw

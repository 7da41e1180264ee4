#include "classify/learned_score.h"

#include "classify/header_tokens.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tw {

namespace {

// How strongly an unknown token's 0.5 holds against its own counts: a token
// seen once moves only part of the way towards what that one message says.
constexpr double kStrength = 0.2;
constexpr double kUnknown = 0.5;
// Only tokens this far from 0.5 count: the many weak ones mostly repeat
// each other (a list's dozen headers) and would outvote the strong ones.
constexpr double kMinDeviation = 0.375;
// At most this many of the most telling tokens are combined.
constexpr size_t kMaxClues = 150;
// Probabilities stay inside (0, 1) so that their logarithms are finite.
constexpr double kFloor = 1e-6;

double tokenProbability(const TokenCount &count, std::uint32_t spamMessages, std::uint32_t hamMessages)
{
    const double spamShare = spamMessages ? std::min(1.0, double(count.spam) / spamMessages) : 0.0;
    const double hamShare = hamMessages ? std::min(1.0, double(count.ham) / hamMessages) : 0.0;
    if (spamShare + hamShare <= 0)
        return kUnknown;
    const double p = spamShare / (spamShare + hamShare);
    const double n = double(count.spam) + double(count.ham);
    return std::clamp((kStrength * kUnknown + n * p) / (kStrength + n), kFloor, 1 - kFloor);
}

// The probability that a chi-square variable with Freedom (even) degrees
// of freedom exceeds ChiSquare.
double chiSquareTail(double chiSquare, size_t freedom)
{
    const double m = chiSquare / 2;
    double term = std::exp(-m);
    double sum = term;
    for (size_t i = 1; i < freedom / 2; ++i) {
        term *= m / double(i);
        sum += term;
    }
    return std::min(sum, 1.0);
}

struct Weighed {
    std::uint64_t hash;
    double probability;
};

// The telling tokens of a message, most telling first, at most kMaxClues.
std::vector<Weighed> tellingTokens(const TrainedCounts &counts, const std::vector<std::uint64_t> &hashes)
{
    std::vector<Weighed> telling;
    telling.reserve(hashes.size());
    for (std::uint64_t hash : hashes)
        counts.tokens.prefetch(hash);
    for (std::uint64_t hash : hashes) {
        TokenCount count;
        if (!counts.tokens.find(hash, count))
            continue;
        const double p = tokenProbability(count, counts.spamMessages, counts.hamMessages);
        if (std::fabs(p - 0.5) >= kMinDeviation)
            telling.push_back({hash, p});
    }
    auto stronger = [](const Weighed &a, const Weighed &b) {
        const double da = std::fabs(a.probability - 0.5), db = std::fabs(b.probability - 0.5);
        return da != db ? da > db : a.hash < b.hash;
    };
    if (telling.size() > kMaxClues) {
        std::nth_element(telling.begin(), telling.begin() + kMaxClues, telling.end(), stronger);
        telling.resize(kMaxClues);
    }
    std::sort(telling.begin(), telling.end(), stronger);
    return telling;
}

double combine(const std::vector<Weighed> &telling)
{
    if (telling.empty())
        return kUnknown;
    // The two products are kept as mantissa and exponent so that they never
    // underflow; one logarithm each at the end.
    double hamProduct = 1, spamProduct = 1;
    int hamExponent = 0, spamExponent = 0;
    for (const Weighed &token : telling) {
        int e = 0;
        hamProduct = std::frexp(hamProduct * token.probability, &e);
        hamExponent += e;
        spamProduct = std::frexp(spamProduct * (1 - token.probability), &e);
        spamExponent += e;
    }
    const double logHam = std::log(hamProduct) + hamExponent * std::log(2.0);
    const double logSpam = std::log(spamProduct) + spamExponent * std::log(2.0);
    const size_t freedom = 2 * telling.size();
    const double spamEvidence = 1 - chiSquareTail(-2 * logSpam, freedom);
    const double hamEvidence = 1 - chiSquareTail(-2 * logHam, freedom);
    return std::clamp((1 + spamEvidence - hamEvidence) / 2, 0.0, 1.0);
}

} // namespace

std::vector<std::uint64_t> tokenHashes(const TmsHeaders &headers)
{
    // Repeats are dropped through a small table of the hashes seen so far
    // (a header block rarely has more than a few hundred tokens; past the
    // table's size, repeats are looked for the slow way).
    constexpr size_t kSeenSize = 1024;
    std::array<std::uint64_t, kSeenSize> seen{};
    std::vector<std::uint64_t> hashes;
    hashes.reserve(160);
    tokenizeHeaders(headers, [&](std::string_view token) {
        const std::uint64_t hash = tokenHash(token);
        if (hashes.size() >= kSeenSize / 2) {
            if (std::find(hashes.begin(), hashes.end(), hash) == hashes.end())
                hashes.push_back(hash);
            return;
        }
        size_t i = hash & (kSeenSize - 1);
        while (seen[i] != 0 && seen[i] != hash)
            i = (i + 1) & (kSeenSize - 1);
        if (seen[i] == hash)
            return;
        seen[i] = hash;
        hashes.push_back(hash);
    });
    return hashes;
}

void trainCounts(TrainedCounts &counts, const TmsHeaders &headers, bool spam, int delta, std::uint32_t day)
{
    std::vector<std::uint64_t> seen;
    seen.reserve(128);
    tokenizeHeaders(headers, [&](std::string_view token) {
        const std::uint64_t hash = tokenHash(token);
        if (std::find(seen.begin(), seen.end(), hash) != seen.end())
            return;
        seen.push_back(hash);
        counts.tokens.add(token, hash, spam, delta, day);
    });
    std::uint32_t &total = spam ? counts.spamMessages : counts.hamMessages;
    total = delta > 0 ? total + 1 : total - std::min<std::uint32_t>(total, 1);
}

double learnedScore(const TrainedCounts &counts, const std::vector<std::uint64_t> &hashes)
{
    return combine(tellingTokens(counts, hashes));
}

double learnedScore(const TrainedCounts &counts, const TmsHeaders &headers)
{
    return learnedScore(counts, tokenHashes(headers));
}

ScoreExplanation explainScore(const TrainedCounts &counts, const TmsHeaders &headers, size_t clueCount)
{
    std::vector<std::string> tokens = headerTokens(headers);
    std::vector<std::uint64_t> hashes;
    hashes.reserve(tokens.size());
    for (const std::string &token : tokens)
        hashes.push_back(tokenHash(token));
    std::vector<std::uint64_t> sorted = hashes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const std::vector<Weighed> telling = tellingTokens(counts, sorted);

    ScoreExplanation explanation;
    explanation.score = combine(telling);
    auto textOf = [&](std::uint64_t hash) {
        const auto at = std::find(hashes.begin(), hashes.end(), hash);
        return at == hashes.end() ? std::string() : tokens[size_t(at - hashes.begin())];
    };
    for (const Weighed &token : telling) {
        std::vector<Clue> &side = token.probability > 0.5 ? explanation.spamClues : explanation.hamClues;
        if (side.size() < clueCount)
            side.push_back({textOf(token.hash), token.probability});
    }
    return explanation;
}

} // namespace tw

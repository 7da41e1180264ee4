#include "settings/Encryp.h"

#include <gtest/gtest.h>
#include <set>

using namespace tw;

namespace {

struct FixedSeed {
    explicit FixedSeed(int seed) { TKeyedEncryption::setFixedSeed(seed); }
    ~FixedSeed() { TKeyedEncryption::setFixedSeed(std::nullopt); }
};

std::string bytes1to255()
{
    std::string s;
    for (int c = 1; c < 256; ++c)
        s += char(c);
    return s;
}

} // namespace

// Worked by hand from the algorithm:
//  key "vepu" (118 101 112 117), seed 42, "ab" (97 98):
//    (42 + 97) mod 255 = 139, 139 xor 118 = 253 -> FD
//    (253 + 98) mod 255 = 96,  96 xor 101 = 5   -> 05
//  key "ab" (97 98), seed 0, "xyz" (120 121 122), the key repeating:
//    120 xor 97 = 25 -> 19;  (25 + 121) = 146 xor 98 = 240 -> F0;
//    (240 + 122) mod 255 = 107 xor 97 = 10 -> 0A
TEST(TKeyedEncryption, HandComputedVectors)
{
    const struct {
        const char *key;
        int seed;
        const char *plain;
        const char *cipher;
    } cases[] = {
        {"vepu", 42, "ab", "2AFD05"},
        {"ab", 0, "xyz", "0019F00A"},
    };
    for (const auto &c : cases) {
        FixedSeed seed(c.seed);
        TKeyedEncryption cipher;
        cipher.Key = c.key;
        EXPECT_EQ(cipher.encrypt(c.plain), c.cipher);
        EXPECT_EQ(cipher.decrypt(c.cipher), c.plain);
    }
}

TEST(TKeyedEncryption, LayoutAndPropertyInterface)
{
    TKeyedEncryption cipher;
    EXPECT_EQ(cipher.Action, atEncryption);
    cipher.Key = kPasswordKey;
    cipher.Input = "x";
    cipher.Execute();
    const std::string out = cipher.Output();
    ASSERT_EQ(out.size(), 4u); // a one-character password gives four characters
    EXPECT_EQ(out.find_first_not_of("0123456789ABCDEF"), std::string::npos);

    cipher.Input = "";
    cipher.Execute();
    EXPECT_EQ(cipher.Output(), "");

    TKeyedEncryption other; // the second instance deciphers the first one's text
    other.Key = kPasswordKey;
    other.Action = atDecryption;
    other.Input = out;
    other.Execute();
    EXPECT_EQ(other.Output(), "x");
}

// Every byte 1..255 with every seed, so every chaining value including 255
// is met; the key is empty once to exercise the fallback key.
TEST(TKeyedEncryption, EveryByteRoundTripsWithEverySeed)
{
    const std::string plain = bytes1to255();
    for (const char *key : {kPasswordKey, ""}) {
        for (int seed = 0; seed < 256; ++seed) {
            FixedSeed fixed(seed);
            TKeyedEncryption cipher;
            cipher.Key = key;
            const std::string text = cipher.encrypt(plain);
            ASSERT_EQ(text.size(), 2 + 2 * plain.size());
            ASSERT_EQ(cipher.decrypt(text), plain) << "seed " << seed << " key '" << key << "'";
            ASSERT_EQ(cipher.decrypt(cipher.encrypt(std::string(1, '\xFF'))), "\xFF") << "seed " << seed;
        }
    }
}

TEST(TKeyedEncryption, RandomSeedsDifferButDecipherAlike)
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    std::set<std::string> texts;
    for (int i = 0; i < 20; ++i) {
        const std::string text = cipher.encrypt("secret");
        EXPECT_EQ(cipher.decrypt(text), "secret");
        texts.insert(text);
    }
    EXPECT_GT(texts.size(), 1u);
}

TEST(TKeyedEncryption, TextItCannotHaveMadeDeciphersToNothing)
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    for (const char *bad : {"2A", "2AF", "2AFD0", "2AZZ", "zz00", "2A FD"})
        EXPECT_EQ(cipher.decrypt(bad), "") << bad;
}

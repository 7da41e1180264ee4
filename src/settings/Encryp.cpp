#include "settings/Encryp.h"

#include "platform/bytes.h"

#include <QRandomGenerator>

#include <vector>

namespace tw {

namespace {

// Used only when an instance has no key; every instance in the program has one.
const std::string kFallbackKey = "qM7wK2x";

std::optional<int> &fixedSeed()
{
    static std::optional<int> seed;
    return seed;
}

// The key position runs 1, 2, ..., length, 1, 2, ...
size_t nextKeyPosition(size_t j, size_t keyLength) { return j < keyLength ? j + 1 : 1; }

} // namespace

void TKeyedEncryption::setFixedSeed(std::optional<int> seed) { fixedSeed() = seed; }

const std::string &TKeyedEncryption::effectiveKey() const { return Key.empty() ? kFallbackKey : Key; }

void TKeyedEncryption::Execute()
{
    if (Input.empty())
        m_output.clear();
    else
        m_output = Action == atEncryption ? encipher(Input) : decipher(Input);
}

std::string TKeyedEncryption::encrypt(const std::string &plain)
{
    Input = plain;
    Action = atEncryption;
    Execute();
    return m_output;
}

std::string TKeyedEncryption::decrypt(const std::string &cipher)
{
    Input = cipher;
    Action = atDecryption;
    Execute();
    return m_output;
}

std::string TKeyedEncryption::encipher(const std::string &plain) const
{
    const std::string &key = effectiveKey();
    unsigned s = fixedSeed() ? unsigned(*fixedSeed()) & 255u : QRandomGenerator::global()->bounded(256u);
    std::string out;
    out.reserve(2 + 2 * plain.size());
    appendHexByte(out, s);
    size_t j = 0;
    for (char c : plain) {
        j = nextKeyPosition(j, key.size());
        const unsigned x = static_cast<unsigned char>(c);
        s = ((s + x) % 255) ^ static_cast<unsigned char>(key[j - 1]);
        appendHexByte(out, s);
    }
    return out;
}

std::string TKeyedEncryption::decipher(const std::string &cipher) const
{
    if (cipher.size() < 4 || cipher.size() % 2 != 0)
        return {};
    std::vector<unsigned> numbers;
    numbers.reserve(cipher.size() / 2);
    for (size_t i = 0; i < cipher.size(); i += 2) {
        const int hi = hexDigitValue(cipher[i]);
        const int lo = hexDigitValue(cipher[i + 1]);
        if (hi < 0 || lo < 0)
            return {};
        numbers.push_back(unsigned(hi * 16 + lo));
    }
    const std::string &key = effectiveKey();
    std::string out;
    out.reserve(numbers.size() - 1);
    unsigned p = numbers[0];
    size_t j = 0;
    for (size_t i = 1; i < numbers.size(); ++i) {
        const unsigned y = numbers[i];
        j = nextKeyPosition(j, key.size());
        const unsigned d = y ^ static_cast<unsigned char>(key[j - 1]);
        // d = (p + x) mod 255, so x = (d - p) mod 255 with 0 standing for 255.
        // Taking the remainder (rather than comparing p and d) also recovers
        // byte 255 after an output byte of 255.
        unsigned x = (d + 255 * 2 - p) % 255;
        if (x == 0)
            x = 255;
        out += char(x);
        p = y;
    }
    return out;
}

} // namespace tw

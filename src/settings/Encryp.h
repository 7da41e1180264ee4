#pragma once
// TKeyedEncryption: the small keyed cipher that protects the mailbox
// passwords kept in the settings registry. A cipher text is two upper-case
// hexadecimal digits of a random seed followed by two digits per password
// byte; each byte is chained to the previous output byte (mod 255) and mixed
// with the repeating key, so enciphering the same password twice usually
// gives different texts that both decipher to it.

#include <optional>
#include <string>

namespace tw {

enum TActionType { atEncryption, atDecryption };

// The key every instance in the program uses, so that a password enciphered
// by the general settings window is deciphered when a mailbox is loaded.
inline constexpr const char *kPasswordKey = "vepu";

class TKeyedEncryption {
public:
    std::string Input;                 // text to transform
    std::string Key;                   // key text; an empty key uses a built-in fallback key
    TActionType Action = atEncryption;

    // The result of the last Execute.
    const std::string &Output() const { return m_output; }

    // Enciphers or deciphers Input with Key into Output; an empty Input gives
    // an empty Output. Deciphering text this cipher cannot have produced (odd
    // length, fewer than four characters, a character that is no hexadecimal
    // digit) gives an empty Output rather than invented bytes.
    void Execute();

    // Shorthands: set Input and Action, Execute, return Output.
    std::string encrypt(const std::string &plain);
    std::string decrypt(const std::string &cipher);

    // Tests pin the random seed (0..255); nullopt restores random seeds.
    static void setFixedSeed(std::optional<int> seed);

private:
    const std::string &effectiveKey() const;
    std::string encipher(const std::string &plain) const;
    std::string decipher(const std::string &cipher) const;

    std::string m_output;
};

} // namespace tw

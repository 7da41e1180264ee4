// What a server says during a SASL exchange: the SASL line of its CAPA, and
// the two SCRAM messages (the input's first line is the server's first
// message, the rest its last one, each also tried as base64). The client
// must accept them or refuse them with a reason, never crash or hang.
#include "fuzz_support.h"
#include "net/sasl.h"

#include <string>

using namespace tw::sasl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const auto names = mechanismNames(input);
    passwordMechanism(names);
    tokenMechanism(names);

    const size_t end = input.find('\n');
    const std::string first = input.substr(0, end);
    const std::string last = end == std::string::npos ? std::string() : input.substr(end + 1);
    for (const bool encoded : {false, true}) {
        const std::string serverFirst = encoded ? fromBase64(first).value_or(first) : first;
        const std::string serverFinal = encoded ? fromBase64(last).value_or(last) : last;
        for (const Mechanism mechanism : {Mechanism::ScramSha1, Mechanism::ScramSha256}) {
            // A fixed nonce, so that seeds can continue it.
            ScramClient scram(mechanism, "user", "pencil", "fyko+d2lbbFgONRv9qkxdawL");
            const auto proof = scram.clientFinal(serverFirst);
            if (!proof && scram.error().empty())
                __builtin_trap(); // a refusal always says why
            scram.verifyServerFinal(serverFinal);
        }
    }
    return 0;
}

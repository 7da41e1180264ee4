#include "net/sasl.h"

#include "platform/bytes.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <algorithm>

namespace tw::sasl {

namespace {

QByteArray bytes(const std::string &text) { return QByteArray(text.data(), qsizetype(text.size())); }
std::string text(const QByteArray &bytes) { return std::string(bytes.constData(), size_t(bytes.size())); }

QCryptographicHash::Algorithm algorithmOf(Mechanism mechanism)
{
    return mechanism == Mechanism::ScramSha1 ? QCryptographicHash::Sha1 : QCryptographicHash::Sha256;
}

bool listed(const std::vector<std::string> &names, Mechanism mechanism)
{
    return std::find(names.begin(), names.end(), mechanismName(mechanism)) != names.end();
}

// A SCRAM user name: "=" and "," are written as "=3D" and "=2C".
std::string scramName(const std::string &user)
{
    std::string escaped;
    for (char c : user) {
        if (c == '=')
            escaped += "=3D";
        else if (c == ',')
            escaped += "=2C";
        else
            escaped += c;
    }
    return escaped;
}

// The value of attribute Name ("r", "s", ...) in a SCRAM message, or nothing.
std::optional<std::string> attribute(const std::string &message, char name)
{
    size_t start = 0;
    while (start <= message.size()) {
        size_t end = message.find(',', start);
        if (end == std::string::npos)
            end = message.size();
        if (end - start >= 2 && message[start] == name && message[start + 1] == '=')
            return message.substr(start + 2, end - start - 2);
        start = end + 1;
    }
    return std::nullopt;
}

std::string randomNonce()
{
    // 18 random bytes give 24 printable characters without ",".
    QByteArray random(18, '\0');
    QRandomGenerator::system()->generate(random.begin(), random.end());
    return text(random.toBase64());
}

std::string exclusiveOr(const std::string &a, const std::string &b)
{
    std::string result = a;
    for (size_t i = 0; i < result.size() && i < b.size(); ++i)
        result[i] = char(result[i] ^ b[i]);
    return result;
}

} // namespace

const char *mechanismName(Mechanism mechanism)
{
    switch (mechanism) {
    case Mechanism::Plain: return "PLAIN";
    case Mechanism::ScramSha1: return "SCRAM-SHA-1";
    case Mechanism::ScramSha256: return "SCRAM-SHA-256";
    case Mechanism::XOAuth2: return "XOAUTH2";
    case Mechanism::OAuthBearer: return "OAUTHBEARER";
    case Mechanism::None: break;
    }
    return "";
}

std::vector<std::string> mechanismNames(const std::string &arguments)
{
    std::vector<std::string> names;
    std::string name;
    for (char c : arguments) {
        if (c == '\r' || c == '\n')
            break;
        if (c == ' ' || c == '\t') {
            if (!name.empty())
                names.push_back(upperCase(name));
            name.clear();
            continue;
        }
        name += c;
    }
    if (!name.empty())
        names.push_back(upperCase(name));
    return names;
}

Mechanism passwordMechanism(const std::vector<std::string> &names)
{
    for (Mechanism mechanism : {Mechanism::ScramSha256, Mechanism::ScramSha1, Mechanism::Plain})
        if (listed(names, mechanism))
            return mechanism;
    return Mechanism::None;
}

Mechanism tokenMechanism(const std::vector<std::string> &names)
{
    for (Mechanism mechanism : {Mechanism::XOAuth2, Mechanism::OAuthBearer})
        if (listed(names, mechanism))
            return mechanism;
    return Mechanism::None;
}

std::string plainResponse(const std::string &user, const std::string &password)
{
    return std::string(1, '\0') + user + std::string(1, '\0') + password;
}

std::string xoauth2Response(const std::string &user, const std::string &token)
{
    return "user=" + user + "\x01" "auth=Bearer " + token + "\x01\x01";
}

std::string oauthBearerResponse(const std::string &user, const std::string &host, int port, const std::string &token)
{
    return "n,a=" + scramName(user) + ",\x01" "host=" + host + "\x01" "port=" + std::to_string(port) +
           "\x01" "auth=Bearer " + token + "\x01\x01";
}

std::string oauthBearerErrorAck() { return "\x01"; }

std::string toBase64(const std::string &raw) { return text(bytes(raw).toBase64()); }

std::optional<std::string> fromBase64(const std::string &encoded)
{
    const auto result = QByteArray::fromBase64Encoding(bytes(encoded), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return text(*result);
}

// --- SCRAM -----------------------------------------------------------------

ScramClient::ScramClient(Mechanism mechanism, const std::string &user, const std::string &password,
                         const std::string &nonce)
    : m_mechanism(mechanism), m_user(user), m_password(password), m_nonce(nonce.empty() ? randomNonce() : nonce)
{
}

std::string ScramClient::clientFirst() const { return "n,," + std::string("n=") + scramName(m_user) + ",r=" + m_nonce; }

std::string ScramClient::hmac(const std::string &key, const std::string &message) const
{
    return text(QMessageAuthenticationCode::hash(bytes(message), bytes(key), algorithmOf(m_mechanism)));
}

std::string ScramClient::hash(const std::string &message) const
{
    return text(QCryptographicHash::hash(bytes(message), algorithmOf(m_mechanism)));
}

std::optional<std::string> ScramClient::clientFinal(const std::string &serverFirst)
{
    if (const auto failure = attribute(serverFirst, 'e')) {
        m_error = "the server refused the sign-in (" + *failure + ")";
        return std::nullopt;
    }
    if (startsWith(serverFirst, "m=")) {
        m_error = "the server asks for a SCRAM extension this program does not know";
        return std::nullopt;
    }
    const auto nonce = attribute(serverFirst, 'r');
    const auto saltText = attribute(serverFirst, 's');
    const auto iterationText = attribute(serverFirst, 'i');
    long long iterations = 0;
    if (!nonce || !saltText || !iterationText || !parseInt(*iterationText, iterations)) {
        m_error = "the server's SCRAM message is incomplete";
        return std::nullopt;
    }
    if (nonce->size() <= m_nonce.size() || !startsWith(*nonce, m_nonce)) {
        m_error = "the server's SCRAM nonce does not continue the client's";
        return std::nullopt;
    }
    const auto salt = fromBase64(*saltText);
    if (!salt || salt->empty()) {
        m_error = "the server's SCRAM salt is not valid";
        return std::nullopt;
    }
    if (iterations < 1 || iterations > MaxIterations) {
        m_error = "the server asks for " + *iterationText + " SCRAM iterations";
        return std::nullopt;
    }
    const auto algorithm = algorithmOf(m_mechanism);
    m_saltedPassword = text(QPasswordDigestor::deriveKeyPbkdf2(
        algorithm, bytes(m_password), bytes(*salt), int(iterations), quint64(QCryptographicHash::hashLength(algorithm))));
    const std::string clientKey = hmac(m_saltedPassword, "Client Key");
    const std::string withoutProof = "c=" + toBase64("n,,") + ",r=" + *nonce;
    m_authMessage = clientFirst().substr(3) + "," + serverFirst + "," + withoutProof;
    const std::string signature = hmac(hash(clientKey), m_authMessage);
    return withoutProof + ",p=" + toBase64(exclusiveOr(clientKey, signature));
}

bool ScramClient::verifyServerFinal(const std::string &serverFinal)
{
    if (m_authMessage.empty()) {
        m_error = "the server ended SCRAM before the client's proof";
        return false;
    }
    if (const auto failure = attribute(serverFinal, 'e')) {
        m_error = "the server refused the sign-in (" + *failure + ")";
        return false;
    }
    const auto verifier = attribute(serverFinal, 'v');
    const std::string expected = hmac(hmac(m_saltedPassword, "Server Key"), m_authMessage);
    if (!verifier || fromBase64(*verifier) != expected) {
        m_error = "the server could not prove that it knows the password";
        return false;
    }
    return true;
}

} // namespace tw::sasl

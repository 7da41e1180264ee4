#include "net/oauth2_sign_in.h"

#include "net/errors.h"
#include "net/oauth_loopback.h"
#include "net/stringtable.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"
#include "platform/shell.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QOAuth2AuthorizationCodeFlow>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

namespace tw {

namespace {

QString qs(const std::string &text) { return QString::fromStdString(text); }

// Random text of unreserved characters, as PKCE verifiers and states need.
std::string randomToken(int bytes)
{
    QByteArray random(bytes, '\0');
    QRandomGenerator::system()->generate(random.begin(), random.end());
    return random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals).toStdString();
}

// A lifetime the provider did not announce is taken to be this short.
constexpr int kAssumedLifetimeSeconds = 600;

// The provider's own words from an OAuth2 error answer ("invalid_grant:
// Token has been revoked"), or "" when Body is not one.
std::string providerError(const QByteArray &body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const std::string error = object.value(QStringLiteral("error")).toString().toStdString();
    const std::string description = object.value(QStringLiteral("error_description")).toString().toStdString();
    if (error.empty())
        return {};
    return description.empty() ? error : error + ": " + description;
}

// Qt's flow hands a token reply to its handler through a connection
// without a context object; a reply still under way when the sign-in ends
// (a time-out, a cancel) must never reach the handler after it is gone.
class AbandonPendingReplies {
public:
    explicit AbandonPendingReplies(QNetworkAccessManager &network) : m_network(network) {}
    ~AbandonPendingReplies()
    {
        for (QNetworkReply *reply : m_network.findChildren<QNetworkReply *>()) {
            reply->disconnect();
            reply->abort();
            reply->deleteLater();
        }
    }
    AbandonPendingReplies(const AbandonPendingReplies &) = delete;
    AbandonPendingReplies &operator=(const AbandonPendingReplies &) = delete;

private:
    QNetworkAccessManager &m_network;
};

} // namespace

std::string pkceChallengeS256(const std::string &verifier)
{
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(verifier), QCryptographicHash::Sha256);
    return digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals).toStdString();
}

struct TOAuth2SignIn::Outcome {
    bool done = false;
    bool granted = false;
    bool refused = false;  // the provider answered with an OAuth2 error
    std::string text;
    QVariantMap tokens;

    void fail(const std::string &why, bool byProvider)
    {
        if (done)
            return;
        done = true;
        refused = byProvider;
        text = why;
    }
};

TOAuth2SignIn::TOAuth2SignIn(QObject *parent) : QObject(parent) {}

TOAuth2SignIn::~TOAuth2SignIn() = default;

bool TOAuth2SignIn::hasUsableAccessToken() const
{
    return !m_accessToken.empty() && m_expiresAt.isValid() &&
           QDateTime::currentDateTimeUtc().secsTo(m_expiresAt) >= MinimumValiditySeconds;
}

void TOAuth2SignIn::forgetAccessToken()
{
    m_accessToken.clear();
    m_expiresAt = QDateTime();
    if (m_unconfirmed) {
        RefreshToken = m_confirmedRefreshToken;
        m_unconfirmed = false;
    }
}

void TOAuth2SignIn::confirmAccount()
{
    if (!m_unconfirmed)
        return;
    m_unconfirmed = false;
    if (!RefreshToken.empty() && RefreshToken != m_confirmedRefreshToken && OnRefreshTokenChanged)
        OnRefreshTokenChanged(RefreshToken);
}

std::string accountOfIdToken(const std::string &idToken)
{
    const size_t first = idToken.find('.');
    const size_t second = first == std::string::npos ? first : idToken.find('.', first + 1);
    if (second == std::string::npos)
        return {};
    const QByteArray payload = QByteArray::fromBase64(
        QByteArray::fromStdString(idToken.substr(first + 1, second - first - 1)), QByteArray::Base64UrlEncoding);
    const QJsonObject claims = QJsonDocument::fromJson(payload).object();
    // The provider's text goes into messages: control bytes never do.
    const auto shown = [](const QJsonValue &value) {
        std::string text = value.toString().toStdString().substr(0, 200);
        std::erase_if(text, [](char c) { return (unsigned char)c < 32 || c == 127; });
        return text;
    };
    if (const std::string email = shown(claims.value(QStringLiteral("email"))); !email.empty())
        return email;
    for (const char *name : {"preferred_username", "upn"}) {
        const std::string value = shown(claims.value(QLatin1String(name)));
        if (value.find('@') != std::string::npos)
            return value;
    }
    return {};
}

bool sameAccount(const std::string &account, const std::string &userName)
{
    const std::string user = trimmed(userName);
    const bool userIsAddress = user.find('@') != std::string::npos;
    return sameText(userIsAddress ? account : account.substr(0, account.find('@')), user);
}

std::string TOAuth2SignIn::accessToken()
{
    if (hasUsableAccessToken())
        return m_accessToken;
    forgetAccessToken();
    if (RefreshToken.empty())
        throw ESignInExpiredError("This mailbox is not signed in: it needs a sign-in in the browser.");
    if (const std::string missing = Endpoints.missing(); !missing.empty())
        throw ESignInError(missing);
    runFlow(false, RequestSeconds);
    return m_accessToken;
}

void TOAuth2SignIn::signInWithBrowser()
{
    if (const std::string missing = Endpoints.missing(); !missing.empty())
        throw ESignInError(missing);
    forgetAccessToken();
    runFlow(true, BrowserSeconds);
}

void TOAuth2SignIn::runFlow(bool withBrowser, int seconds)
{
    const std::string who = Endpoints.provider.empty() ? std::string("The provider") : Endpoints.provider;
    Outcome outcome;

    // The handler outlives the flow that points to it.
    std::unique_ptr<QOAuthOobReplyHandler> handler;
    TLoopbackRedirect *redirect = nullptr;
    if (withBrowser) {
        redirect = new TLoopbackRedirect(Endpoints.redirectHost);
        handler.reset(redirect);
        if (!redirect->listening())
            throw ESignInError("No port could be opened on this computer to receive the sign-in from the browser.");
    } else {
        handler = std::make_unique<QOAuthOobReplyHandler>();
    }
    QOAuth2AuthorizationCodeFlow flow(&m_network);
    const AbandonPendingReplies abandon(m_network); // before the flow and the handler go
    flow.setAuthorizationUrl(QUrl(qs(Endpoints.authorizeUrl)));
    flow.setAccessTokenUrl(QUrl(qs(Endpoints.tokenUrl)));
    flow.setClientIdentifier(qs(Endpoints.clientId));
    flow.setClientIdentifierSharedKey(qs(Endpoints.clientSecret));
    flow.setScope(qs(Endpoints.scope));
    flow.setReplyHandler(handler.get());

    const std::string verifier = randomToken(32);
    const QString state = qs(randomToken(24));
    flow.setState(state);
    if (redirect)
        redirect->setExpectedState(state);
    const bool withSecret = !Endpoints.clientSecret.empty();
    // Qt 6.4 knows no PKCE: the challenge goes with the authorization
    // request and the verifier with the code. A public client sends no
    // secret at all; some providers refuse an empty one.
    flow.setModifyParametersFunction([&](QAbstractOAuth::Stage stage, QMultiMap<QString, QVariant> *parameters) {
        switch (stage) {
        case QAbstractOAuth::Stage::RequestingAuthorization:
            parameters->insert(QStringLiteral("code_challenge"), qs(pkceChallengeS256(verifier)));
            parameters->insert(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
            for (const auto &[name, value] : Endpoints.extraAuthorizationParameters)
                parameters->insert(qs(name), qs(value));
            break;
        case QAbstractOAuth::Stage::RequestingAccessToken:
            parameters->insert(QStringLiteral("code_verifier"), qs(verifier));
            break;
        case QAbstractOAuth::Stage::RefreshingAccessToken:
            parameters->remove(QStringLiteral("redirect_uri"));
            break;
        default: break;
        }
        if (!withSecret)
            parameters->remove(QStringLiteral("client_secret"));
    });

    connect(&flow, &QAbstractOAuth::authorizeWithBrowser, this, [&](const QUrl &url) {
        const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
        const bool opened = OpenBrowser ? OpenBrowser(address) : Shell::current().openUrl(address);
        if (!opened)
            outcome.fail("The browser could not be opened for the sign-in.", false);
    });
    connect(&flow, &QAbstractOAuth2::error, this, [&](const QString &error, const QString &description, const QUrl &) {
        outcome.fail(who + " refused the sign-in (" + error.toStdString() +
                         (description.isEmpty() ? "" : ": " + description.toStdString()) + ").",
                     true);
    });
    connect(handler.get(), &QAbstractOAuthReplyHandler::tokensReceived, this, [&](const QVariantMap &tokens) {
        if (tokens.contains(QStringLiteral("error"))) {
            const std::string error = tokens.value(QStringLiteral("error")).toString().toStdString();
            const std::string description = tokens.value(QStringLiteral("error_description")).toString().toStdString();
            outcome.fail(who + " refused the sign-in (" + error + (description.empty() ? "" : ": " + description) + ").",
                         true);
        } else if (!tokens.contains(QStringLiteral("access_token"))) {
            outcome.fail(who + " answered without an access token.", false);
        } else {
            outcome.tokens = tokens;
        }
    });
    // Qt's handler only warns about a token request that failed, and passes
    // over a reply it cannot read without a word, so the sign-in would wait
    // for its time limit: every token reply is judged here first, and one
    // that failed or cannot hold tokens ends the sign-in at once, saying why.
    m_network.TokenUrl = flow.accessTokenUrl();
    connect(&m_network, &QNetworkAccessManager::finished, &flow, [&](QNetworkReply *reply) {
        if (reply->request().url() != flow.accessTokenUrl())
            return;
        if (const std::string refusal = refusedTokenReply(reply); !refusal.empty()) {
            outcome.fail(who + " " + refusal + ".", false);
            return;
        }
        if (reply->error() == QNetworkReply::NoError) {
            const std::string type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toStdString();
            const std::string problem = unusableTokenReply(type, reply->peek(reply->bytesAvailable()));
            if (!problem.empty())
                outcome.fail(who + " " + problem + ".", false);
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const std::string error = providerError(reply->readAll());
        if (!error.empty())
            outcome.fail(who + " refused the sign-in (" + error + ").", status == 400 || status == 401);
        else
            outcome.fail(who + " could not be reached for the sign-in: " + reply->errorString().toStdString() + ".",
                         false);
    });
    connect(&flow, &QAbstractOAuth::granted, this, [&] {
        if (!outcome.done && !outcome.tokens.isEmpty()) {
            outcome.done = true;
            outcome.granted = true;
        }
    });

    if (withBrowser) {
        flow.grant();
    } else {
        flow.setRefreshToken(qs(RefreshToken));
        flow.refreshAccessToken();
    }

    QTimer tick; // wakes the wait, so that a cancel and the limit are seen
    tick.start(1000);
    QElapsedTimer clock;
    clock.start();
    bool canceled = false;
    waitUntil([&] {
        canceled = Canceled && Canceled();
        return outcome.done || canceled || clock.elapsed() >= qint64(seconds) * 1000;
    });
    if (redirect)
        m_refusedRedirects = redirect->refused();
    if (canceled && !outcome.granted)
        throw ECanceledError(loadStr(57001));
    if (!outcome.done) {
        const std::string limit = seconds % 60 == 0 && seconds >= 120 ? std::to_string(seconds / 60) + " minutes"
                                                                      : std::to_string(seconds) + " seconds";
        throw ESignInError(withBrowser ? "The sign-in in the browser was not completed within " + limit + "."
                                       : who + " did not answer the sign-in within " + limit + ".");
    }
    if (!outcome.granted) {
        if (outcome.refused && !withBrowser)
            throw ESignInExpiredError(outcome.text + " The sign-in has to be renewed in the browser.");
        throw ESignInError(outcome.text);
    }
    takeTokens(outcome.tokens, withBrowser);
}

void TOAuth2SignIn::takeTokens(const QVariantMap &tokens, bool fromBrowser)
{
    if (fromBrowser) {
        bool hold = false;
        if (const std::string expected = trimmed(ExpectedAccount); !expected.empty()) {
            const std::string idToken = tokens.value(QStringLiteral("id_token")).toString().toStdString();
            const std::string account = accountOfIdToken(idToken);
            if (!account.empty() && !sameAccount(account, expected))
                throw ESignInError("The browser signed in as " + account + ", not as " + expected +
                                   ", the user of this mailbox; that sign-in was not kept. Sign in again in the "
                                   "browser with the account " + expected + ".");
            hold = account.empty(); // the mail server's answer decides
        }
        if (hold && !m_unconfirmed)
            m_confirmedRefreshToken = RefreshToken;
        m_unconfirmed = hold;
    }
    m_accessToken = tokens.value(QStringLiteral("access_token")).toString().toStdString();
    bool announced = false;
    const qint64 lifetime = tokens.value(QStringLiteral("expires_in")).toLongLong(&announced);
    m_expiresAt = QDateTime::currentDateTimeUtc().addSecs(announced && lifetime > 0 ? lifetime
                                                                                    : kAssumedLifetimeSeconds);
    const std::string refresh = tokens.value(QStringLiteral("refresh_token")).toString().toStdString();
    if (!refresh.empty() && refresh != RefreshToken) {
        RefreshToken = refresh;
        if (OnRefreshTokenChanged && !m_unconfirmed)
            OnRefreshTokenChanged(RefreshToken);
    }
}

} // namespace tw

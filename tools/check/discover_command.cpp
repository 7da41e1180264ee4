#include "discover_command.h"

#include "net/mail_discovery.h"
#include "settings/dns_setting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

namespace tw::check {

namespace {

constexpr int kFound = 0;
constexpr int kNothingFound = 1;
constexpr int kNoAddress = 2;

QString text(const std::string &utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

std::string signInText(const TDiscoveredServer &server)
{
    std::string text = signInName(server.signIn);
    if (!server.oauthProvider.empty())
        text += " (" + server.oauthProvider + ")";
    return text;
}

void printLines(const TDiscoveryResult &result, std::ostream &out)
{
    for (const TDiscoveredServer &server : result.servers)
        out << protocolName(server.protocol) << "\t" << server.host << "\t" << server.port << "\t"
            << securityName(server.security) << "\t" << signInText(server) << "\t" << sourceName(server.source)
            << "\n";
    const TDiscoveredServer &best = result.servers.front();
    out << "User name: " << best.userName << "\n";
    std::set<std::string> told;
    for (const TDiscoveredServer &server : result.servers)
        if (!server.signInGuidance.empty() && told.insert(server.signInGuidance).second)
            out << (server.providerName.empty() ? std::string() : server.providerName + ": ")
                << server.signInGuidance << "\n";
}

std::string json(const std::string &address, const TDiscoveryResult &result)
{
    QJsonArray servers;
    for (const TDiscoveredServer &server : result.servers) {
        QJsonObject object;
        object.insert("protocol", protocolName(server.protocol));
        object.insert("server", text(server.host));
        object.insert("port", int(server.port));
        object.insert("security", securityName(server.security));
        object.insert("signIn", signInName(server.signIn));
        object.insert("oauthProvider", text(server.oauthProvider));
        object.insert("userName", text(server.userName));
        object.insert("provider", text(server.providerName));
        object.insert("source", sourceName(server.source));
        object.insert("guidance", text(server.signInGuidance));
        servers.append(object);
    }
    QJsonArray notes;
    for (const std::string &note : result.notes)
        notes.append(text(note));
    QJsonObject object;
    object.insert("address", text(address));
    object.insert("servers", servers);
    object.insert("notes", notes);
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

int discoverCommand(const std::string &address, bool asJson, std::ostream &out, std::ostream &err)
{
    if (const std::string problem = addressProblem(address); !problem.empty()) {
        err << "tidewell-check: " << problem << "\n";
        return kNoAddress;
    }
    TDiscoveryOptions options;
    options.dns = configuredDnsServer();
    const TDiscoveryResult result = discoverMailSettings(address, options);
    if (asJson)
        out << json(address, result) << "\n";
    else if (result.found())
        printLines(result, out);
    for (const std::string &note : result.notes)
        err << "tidewell-check: " << note << "\n";
    if (!result.found()) {
        err << "tidewell-check: nothing found for " << address
            << ": ask your provider for the server's name, port and security, and enter them in the settings.\n";
        return kNothingFound;
    }
    return kFound;
}

} // namespace tw::check

#include "net/mail_providers.h"

#include "net/oauth_providers.h"
#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

using P = TMailProtocol;
using S = TMailSecurity;
using SignIn = TDiscoveredSignIn;

std::vector<TProviderServer> imapAndPop(const std::string &imapHost, const std::string &popHost)
{
    return {{P::IMAP, imapHost, 993, S::TLS}, {P::POP3, popHost, 995, S::TLS}};
}

// A domain or host name as the table holds it: lower case, no final dot.
std::string tableForm(const std::string &name)
{
    std::string form = lowerCase(trimmed(name));
    if (!form.empty() && form.back() == '.')
        form.pop_back();
    return form;
}

bool isSameOrBelow(const std::string &name, const std::string &base)
{
    return name == base || endsWith(name, "." + base);
}

std::vector<TMailProvider> buildProviders()
{
    std::vector<TMailProvider> list;
    const std::string microsoftServer = "outlook.office365.com";

    TMailProvider gmail;
    gmail.name = "Gmail";
    gmail.domains = {"gmail.com", "googlemail.com"};
    gmail.servers = imapAndPop("imap.gmail.com", "pop.gmail.com");
    gmail.signIn = SignIn::OAuth2;
    gmail.oauthProvider = "Google";
    gmail.signInGuidance = "Google also takes an app password once 2-Step Verification is on: make one at "
                           "myaccount.google.com, Security, App passwords.";
    list.push_back(gmail);

    TMailProvider workspace = gmail;
    workspace.name = "Google Workspace";
    workspace.domains = {};
    workspace.mailExchangers = {"aspmx.l.google.com", "googlemail.com", "smtp.google.com"};
    list.push_back(workspace);

    TMailProvider outlook;
    outlook.name = "Outlook.com";
    outlook.domains = {"outlook.com", "hotmail.com", "live.com", "msn.com", "passport.com", "outlook.de",
                       "hotmail.de", "hotmail.co.uk", "hotmail.fr", "hotmail.it", "live.de", "live.co.uk",
                       "live.fr", "live.nl", "outlook.fr", "outlook.es", "outlook.it"};
    outlook.servers = imapAndPop(microsoftServer, microsoftServer);
    outlook.signIn = SignIn::OAuth2;
    outlook.oauthProvider = "Microsoft";
    outlook.signInGuidance = "Microsoft no longer takes passwords from mail programs: sign in with OAuth2. "
                             "POP3 must first be allowed in Outlook.com, Settings, Forwarding and IMAP.";
    list.push_back(outlook);

    TMailProvider office = outlook;
    office.name = "Microsoft 365";
    office.domains = {};
    office.mailExchangers = {"mail.protection.outlook.com"};
    office.signInGuidance = "Microsoft 365 takes OAuth2 sign-ins; your administrator may have to allow IMAP or "
                            "POP3 for your account.";
    list.push_back(office);

    TMailProvider yahoo;
    yahoo.name = "Yahoo";
    yahoo.domains = {"yahoo.com", "ymail.com", "rocketmail.com", "yahoo.co.uk", "yahoo.de", "yahoo.fr",
                     "yahoo.it", "yahoo.es", "yahoo.ca", "yahoo.com.au", "yahoo.co.jp", "yahoo.co.in"};
    yahoo.servers = imapAndPop("imap.mail.yahoo.com", "pop.mail.yahoo.com");
    yahoo.signIn = SignIn::OAuth2;
    yahoo.oauthProvider = "Yahoo";
    yahoo.signInGuidance = "Yahoo also takes an app password: make one at login.yahoo.com, Account security, "
                           "Generate app password.";
    list.push_back(yahoo);

    TMailProvider aol;
    aol.name = "AOL";
    aol.domains = {"aol.com", "aim.com", "aol.de", "aol.co.uk"};
    aol.servers = imapAndPop("imap.aol.com", "pop.aol.com");
    aol.signIn = SignIn::OAuth2;
    aol.oauthProvider = "AOL";
    aol.signInGuidance = "AOL also takes an app password: make one at login.aol.com, Account security, "
                         "Generate app password.";
    list.push_back(aol);

    TMailProvider icloud;
    icloud.name = "iCloud";
    icloud.domains = {"icloud.com", "me.com", "mac.com"};
    icloud.servers = {{P::IMAP, "imap.mail.me.com", 993, S::TLS}}; // iCloud offers no POP3
    icloud.signIn = SignIn::AppPassword;
    icloud.signInGuidance = "iCloud takes an app-specific password: make one at account.apple.com, Sign-In and "
                            "Security, App-Specific Passwords. The user name is your address without "
                            "\"@icloud.com\".";
    icloud.userNameIsLocalPart = true;
    list.push_back(icloud);

    TMailProvider fastmail;
    fastmail.name = "Fastmail";
    fastmail.domains = {"fastmail.com", "fastmail.fm", "fastmail.cn", "fastmail.de", "fastmail.net",
                        "fastmail.org", "fastmail.to", "fastmail.us", "messagingengine.com", "sent.com"};
    fastmail.mailExchangers = {"messagingengine.com"};
    fastmail.servers = imapAndPop("imap.fastmail.com", "pop.fastmail.com");
    fastmail.signIn = SignIn::OAuth2;
    fastmail.oauthProvider = "Fastmail";
    fastmail.signInGuidance = "Fastmail also takes an app password: make one in Settings, Privacy & Security, "
                              "Manage app passwords.";
    list.push_back(fastmail);

    TMailProvider gmx;
    gmx.name = "GMX";
    gmx.domains = {"gmx.net", "gmx.de", "gmx.at", "gmx.ch", "gmx.eu"};
    gmx.servers = imapAndPop("imap.gmx.net", "pop.gmx.net");
    gmx.signInGuidance = "GMX lets mail programs in only once you allow it: E-Mail settings, POP3 & IMAP, "
                         "allow access.";
    list.push_back(gmx);

    TMailProvider gmxCom = gmx;
    gmxCom.name = "GMX (international)";
    gmxCom.domains = {"gmx.com", "gmx.us", "gmx.co.uk", "gmx.fr", "gmx.es"};
    gmxCom.servers = imapAndPop("imap.gmx.com", "pop.gmx.com");
    list.push_back(gmxCom);

    TMailProvider webDe;
    webDe.name = "WEB.DE";
    webDe.domains = {"web.de"};
    webDe.servers = imapAndPop("imap.web.de", "pop3.web.de");
    webDe.signInGuidance = "WEB.DE lets mail programs in only once you allow it: E-Mail settings, POP3 & IMAP, "
                           "allow access.";
    list.push_back(webDe);

    TMailProvider mailRu;
    mailRu.name = "Mail.ru";
    mailRu.domains = {"mail.ru", "inbox.ru", "list.ru", "bk.ru", "internet.ru"};
    mailRu.servers = imapAndPop("imap.mail.ru", "pop.mail.ru");
    mailRu.signIn = SignIn::AppPassword;
    mailRu.signInGuidance = "Mail.ru takes a password for external applications: make one in Settings, "
                            "Security, Passwords for external applications.";
    list.push_back(mailRu);

    TMailProvider yandex;
    yandex.name = "Yandex";
    yandex.domains = {"yandex.ru", "yandex.com", "ya.ru", "yandex.by", "yandex.kz", "yandex.ua", "yandex.com.tr",
                      "narod.ru"};
    yandex.mailExchangers = {"mx.yandex.net", "mx.yandex.ru"};
    yandex.servers = imapAndPop("imap.yandex.com", "pop.yandex.com");
    yandex.signIn = SignIn::OAuth2;
    yandex.oauthProvider = "Yandex";
    yandex.signInGuidance = "Yandex also takes an app password: make one at id.yandex.com, Security, App "
                            "passwords, Mail; allow mail programs in Mail settings, Mail clients.";
    yandex.unlistedTokenHosts = {"imap.yandex.com", "imap.yandex.ru", "pop.yandex.com", "pop.yandex.ru"};
    list.push_back(yandex);

    TMailProvider qq;
    qq.name = "QQ Mail";
    qq.domains = {"qq.com", "vip.qq.com", "foxmail.com"};
    qq.servers = imapAndPop("imap.qq.com", "pop.qq.com");
    qq.signIn = SignIn::AppPassword;
    qq.signInGuidance = "QQ Mail takes an authorization code instead of the password: turn on the IMAP/POP3 "
                        "service in Settings, Account, and generate the code there.";
    list.push_back(qq);

    // NetEase: one entry per domain, each with its own servers.
    for (const char *domain : {"163.com", "126.com", "yeah.net"}) {
        TMailProvider netease;
        netease.name = std::string("NetEase ") + domain;
        netease.domains = {domain};
        netease.servers = imapAndPop(std::string("imap.") + domain, std::string("pop.") + domain);
        netease.signIn = SignIn::AppPassword;
        netease.signInGuidance = "NetEase mail takes an authorization code instead of the password: turn on "
                                 "IMAP in Settings, POP3/SMTP/IMAP, and make a client authorization code there.";
        list.push_back(netease);
    }

    TMailProvider zoho;
    zoho.name = "Zoho Mail";
    zoho.domains = {"zoho.com", "zohomail.com"};
    zoho.mailExchangers = {"mx.zoho.com", "mx2.zoho.com", "mx3.zoho.com"};
    zoho.servers = imapAndPop("imap.zoho.com", "pop.zoho.com");
    zoho.signInGuidance = "Zoho Mail lets mail programs in once IMAP or POP access is on (Settings, Mail "
                          "Accounts); with two-factor sign-in use an application-specific password.";
    list.push_back(zoho);

    TMailProvider zohoEu = zoho;
    zohoEu.name = "Zoho Mail (EU)";
    zohoEu.domains = {"zoho.eu", "zohomail.eu"};
    zohoEu.mailExchangers = {"mx.zoho.eu", "mx2.zoho.eu", "mx3.zoho.eu"};
    zohoEu.servers = imapAndPop("imap.zoho.eu", "pop.zoho.eu");
    list.push_back(zohoEu);

    TMailProvider mailboxOrg;
    mailboxOrg.name = "mailbox.org";
    mailboxOrg.domains = {"mailbox.org"};
    mailboxOrg.mailExchangers = {"mxext1.mailbox.org", "mxext2.mailbox.org", "mxext3.mailbox.org"};
    mailboxOrg.servers = imapAndPop("imap.mailbox.org", "pop3.mailbox.org");
    list.push_back(mailboxOrg);

    TMailProvider posteo;
    posteo.name = "Posteo";
    posteo.domains = {"posteo.de", "posteo.net", "posteo.at", "posteo.ch", "posteo.eu", "posteo.org",
                      "posteo.us", "posteo.uk", "posteo.be", "posteo.nl", "posteo.com"};
    posteo.servers = imapAndPop("posteo.de", "posteo.de");
    list.push_back(posteo);

    TMailProvider proton;
    proton.name = "Proton Mail Bridge";
    proton.domains = {"proton.me", "protonmail.com", "protonmail.ch", "pm.me"};
    // Proton's servers speak no IMAP; its Bridge on this computer does.
    proton.servers = {{P::IMAP, "127.0.0.1", 1143, S::STARTTLS}};
    proton.signIn = SignIn::AppPassword;
    proton.signInGuidance = "Proton Mail is read through Proton Mail Bridge on this computer: start Bridge, and "
                            "sign in with the Bridge password it shows (not your Proton password). Bridge's "
                            "certificate is its own, so Tidewell asks once whether to trust it.";
    list.push_back(proton);
    return list;
}

} // namespace

const std::vector<TMailProvider> &mailProviders()
{
    static const std::vector<TMailProvider> providers = buildProviders();
    return providers;
}

const TMailProvider *providerForDomain(const std::string &domain)
{
    const std::string wanted = tableForm(domain);
    for (const TMailProvider &provider : mailProviders())
        if (std::find(provider.domains.begin(), provider.domains.end(), wanted) != provider.domains.end())
            return &provider;
    return nullptr;
}

const TMailProvider *providerForMailExchanger(const std::string &exchanger)
{
    const std::string wanted = tableForm(exchanger);
    for (const TMailProvider &provider : mailProviders())
        for (const std::string &base : provider.mailExchangers)
            if (isSameOrBelow(wanted, base))
                return &provider;
    return nullptr;
}

bool takesUnlistedToken(const std::string &server)
{
    const std::string host = serverHost(server);
    for (const TMailProvider &provider : mailProviders())
        if (std::find(provider.unlistedTokenHosts.begin(), provider.unlistedTokenHosts.end(), host) !=
            provider.unlistedTokenHosts.end())
            return true;
    return false;
}

} // namespace tw

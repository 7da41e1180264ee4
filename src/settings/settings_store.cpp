#include "settings/settings_store.h"

#include "net/sign_in.h"
#include "net/tls_trust.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/bytes.h"
#include "platform/registry.h"

namespace tw {

namespace {

std::string sectionKey(const char *section) { return std::string(kMainKey) + "\\" + section; }

// Reads values of one registry key into members that hold their defaults.
class KeyReader {
public:
    KeyReader(const Registry &registry, std::string key) : m_registry(registry), m_key(std::move(key)) {}

    void operator()(const std::string &name, std::string &member) const
    {
        if (auto v = stored(name))
            member = *v;
    }
    void operator()(const std::string &name, int &member) const
    {
        if (auto v = stored(name))
            member = profileInteger(*v, member);
    }
    void operator()(const std::string &name, bool &member) const
    {
        if (auto v = stored(name))
            member = profileInteger(*v, member ? 1 : 0) != 0;
    }

private:
    std::optional<std::string> stored(const std::string &name) const
    {
        return m_registry.readString(Hive::CurrentUser, m_key, name);
    }
    const Registry &m_registry;
    std::string m_key;
};

// Writes values into one registry key: text unchanged, integers in decimal,
// flags as "1"/"0".
class KeyWriter {
public:
    KeyWriter(Registry &registry, std::string key) : m_registry(registry), m_key(std::move(key)) {}

    void operator()(const std::string &name, const std::string &value) const
    {
        m_registry.writeString(m_key, name, value);
    }
    void operator()(const std::string &name, int value) const { (*this)(name, std::to_string(value)); }
    void operator()(const std::string &name, bool value) const { (*this)(name, std::string(value ? "1" : "0")); }

    // Writes a value that settings files from before it existed lack only
    // when it differs from its default or is stored already: such a file
    // stays as it was until the value is used, and a save writes no more
    // than it needs to.
    template <class T> void unlessDefault(const std::string &name, const T &value, const T &fallback) const
    {
        if (value != fallback || m_registry.readString(Hive::CurrentUser, m_key, name))
            (*this)(name, value);
    }

private:
    Registry &m_registry;
    std::string m_key;
};

std::string numbered(const char *name, int n) { return name + std::to_string(n); }

std::string iniPath() { return programFile(kIniFileName); }

// Security<n> and Fingerprint<n> as the program uses them: an unknown
// security is Automatic, a fingerprint is kept in its canonical form (one
// that is no fingerprint at all trusts nothing).
void readSecurityValues(const KeyReader &read, int n, int &security, std::string &fingerprint)
{
    read(numbered("Security", n), security);
    if (security < 0 || security >= kSecurityChoices)
        security = 0;
    read(numbered("Fingerprint", n), fingerprint);
    fingerprint = normalizedFingerprint(fingerprint);
}

// The sign-in values of mailbox N but its refresh token, with an unknown
// method read as Password.
void readSignInValues(const KeyReader &read, int n, MailboxSignIn &signIn)
{
    read(numbered("SignIn", n), signIn.method);
    if (signIn.method < 0 || signIn.method >= kSignInChoices)
        signIn.method = 0;
    read(numbered("TokenCommand", n), signIn.tokenCommand);
    read(numbered("OAuthAuthorizeUrl", n), signIn.authorizeUrl);
    read(numbered("OAuthTokenUrl", n), signIn.tokenUrl);
    read(numbered("OAuthScope", n), signIn.scope);
    read(numbered("OAuthClientId", n), signIn.clientId);
}

void writeSignInValues(const KeyWriter &write, int n, const MailboxSignIn &signIn)
{
    const std::string none;
    write.unlessDefault(numbered("SignIn", n), signIn.method, 0);
    write.unlessDefault(numbered("TokenCommand", n), signIn.tokenCommand, none);
    write.unlessDefault(numbered("OAuthAuthorizeUrl", n), signIn.authorizeUrl, none);
    write.unlessDefault(numbered("OAuthTokenUrl", n), signIn.tokenUrl, none);
    write.unlessDefault(numbered("OAuthScope", n), signIn.scope, none);
    write.unlessDefault(numbered("OAuthClientId", n), signIn.clientId, none);
}

// Encrypted<n> and PlainText<n>: what earlier sessions showed of the server.
void readProtectionValues(const KeyReader &read, int n, bool &encrypted, int &plainText)
{
    read(numbered("Encrypted", n), encrypted);
    read(numbered("PlainText", n), plainText);
    if (plainText < 0 || plainText > int(PlainTextAnswer::No))
        plainText = int(PlainTextAnswer::NotAsked);
}

// Protocol<n>, Folder<n> and ImapDelete<n>: an unknown protocol is POP3, and
// a folder left empty is the inbox.
void readProtocolValues(const KeyReader &read, int n, int &protocol, std::string &folder, bool &imapDelete)
{
    read(numbered("Protocol", n), protocol);
    if (protocol < 0 || protocol >= kProtocolChoices)
        protocol = int(MailProtocol::POP3);
    read(numbered("Folder", n), folder);
    if (folder.empty())
        folder = kDefaultImapFolder;
    read(numbered("ImapDelete", n), imapDelete);
}

void writeProtocolValues(const KeyWriter &write, int n, const MailboxAccount &account)
{
    write.unlessDefault(numbered("Protocol", n), account.protocol, int(MailProtocol::POP3));
    write.unlessDefault(numbered("Folder", n), account.folder, std::string(kDefaultImapFolder));
    write.unlessDefault(numbered("ImapDelete", n), account.imapDelete, false);
}

} // namespace

GeneralSettings readGeneralSettings()
{
    GeneralSettings settings;
    forEachValue(settings, KeyReader(Registry(), sectionKey(kGeneralSection)));
    return settings;
}

LogNaming readLogNaming()
{
    LogNamingFlags flags;
    forEachValue(flags, KeyReader(Registry(), sectionKey(kLogfileSection)));
    // Read into radio buttons in this order, the last set flag wins.
    if (flags.Month)
        return LogNaming::Month;
    if (flags.Quarter)
        return LogNaming::Quarter;
    return LogNaming::AsIs;
}

void saveGeneralSettings(const GeneralSettings &settings, LogNaming naming)
{
    Registry registry;
    forEachValue(settings, KeyWriter(registry, sectionKey(kGeneralSection)));
    const LogNamingFlags flags{naming == LogNaming::AsIs, naming == LogNaming::Quarter, naming == LogNaming::Month};
    forEachValue(flags, KeyWriter(registry, sectionKey(kLogfileSection)));
}

void saveAutomatic(bool automatic)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kGeneralSection))("Automatic", automatic);
}

void saveNoTrayNoticeShown()
{
    Registry registry;
    KeyWriter(registry, sectionKey(kGeneralSection))("NoTrayNoticeShown", true);
}

int readPoints()
{
    int points = kPointsDefault;
    KeyReader(Registry(), sectionKey(kGeneralSection))(kPointsName, points);
    return points;
}

void savePoints(int points)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kGeneralSection))(kPointsName, points);
}

namespace {

MailboxIdentity identityOf(const MailboxAccount &account) { return {account.userName, account.server}; }

// The secrets of mailbox N (named Who) read into Password and RefreshToken;
// a keyring failure's text goes to Failure.
void readSecrets(MailboxSecrets &secrets, int n, const MailboxIdentity &who, std::string &password,
                 std::string &refreshToken, std::string &failure)
{
    StoredSecret stored = secrets.read(n, who, MailboxSecret::Password);
    password = std::move(stored.value);
    failure = std::move(stored.keyringFailure);
    stored = secrets.read(n, who, MailboxSecret::RefreshToken);
    refreshToken = std::move(stored.value);
    if (failure.empty())
        failure = std::move(stored.keyringFailure);
}

} // namespace

ServerSettings readServerSettings(MailboxSecrets &secrets)
{
    ServerSettings settings;
    const Registry registry;
    const KeyReader read(registry, sectionKey(kServerSection));
    read("Which", settings.Which);
    for (int n = 1; n <= kMailboxCount; ++n) {
        MailboxAccount &account = settings.account(n);
        read(numbered("Server", n), account.server);
        read(numbered("Mailbox", n), account.userName);
        read(numbered("Check", n), account.checked);
        readSecurityValues(read, n, account.security, account.fingerprint);
        readSignInValues(read, n, account.signIn);
        readProtectionValues(read, n, account.encrypted, account.plainText);
        readProtocolValues(read, n, account.protocol, account.folder, account.imapDelete);
        std::string failure;
        readSecrets(secrets, n, identityOf(account), account.password, account.signIn.refreshToken, failure);
    }
    return settings;
}

ServerSettings readServerSettings(TKeyedEncryption &cipher)
{
    MailboxSecrets inFile(PasswordStore::SettingsFile, cipher);
    return readServerSettings(inFile);
}

std::optional<MailboxProblem> mailboxProblem(int n, const MailboxAccount &account, bool passwordRequired)
{
    const bool hasServer = !account.server.empty();
    const bool hasUser = !account.userName.empty();
    using Field = MailboxProblem::Field;
    if (hasServer && !hasUser)
        return MailboxProblem{n, Field::UserName,
                              "Mailbox " + std::to_string(n) + " has a server " + account.server + " but no mailbox"};
    if (!hasServer && hasUser)
        return MailboxProblem{n, Field::Server,
                              "Mailbox " + std::to_string(n) + " " + account.userName + " has a blank server"};
    if (!hasServer)
        return std::nullopt;
    // A mailbox that signs in with a token needs no password, but a token
    // command needs a command.
    const auto method = signInMethodFromSetting(account.signIn.method);
    if (method == TSignInMethod::Password && account.password.empty() && passwordRequired)
        return MailboxProblem{n, Field::Password, "Mailbox " + std::to_string(n) + " - there is no password set"};
    if (method == TSignInMethod::OAuthCommand && trimmed(account.signIn.tokenCommand).empty())
        return MailboxProblem{n, Field::SignIn, "Mailbox " + std::to_string(n) + " - there is no token command set"};
    return std::nullopt;
}

std::optional<MailboxProblem> saveServerSettings(const ServerSettings &settings, MailboxSecrets &secrets)
{
    Registry registry;
    const std::string key = sectionKey(kServerSection);
    const KeyReader read(registry, key);
    const KeyWriter write(registry, key);
    write("Which", settings.Which);
    for (int n = 1; n <= kMailboxCount; ++n) {
        const MailboxAccount &account = settings.account(n);
        // The account as stored until now names the keyring's entries.
        MailboxIdentity before;
        read(numbered("Mailbox", n), before.userName);
        read(numbered("Server", n), before.server);
        write(numbered("Server", n), account.server);
        write(numbered("Mailbox", n), account.userName);
        write(numbered("Check", n), account.checked);
        secrets.save(n, before, identityOf(account), MailboxSecret::Password, account.password);
        write(numbered("Security", n), account.security);
        write(numbered("Fingerprint", n), account.fingerprint);
        writeSignInValues(write, n, account.signIn);
        secrets.save(n, before, identityOf(account), MailboxSecret::RefreshToken, account.signIn.refreshToken);
        write.unlessDefault(numbered("Encrypted", n), account.encrypted, false);
        write.unlessDefault(numbered("PlainText", n), account.plainText, 0);
        writeProtocolValues(write, n, account);
        if (auto problem = mailboxProblem(n, account, secrets.inUse() != PasswordStore::AskEachCheck))
            return problem;
    }
    return std::nullopt;
}

std::optional<MailboxProblem> saveServerSettings(const ServerSettings &settings, TKeyedEncryption &cipher)
{
    MailboxSecrets inFile(PasswordStore::SettingsFile, cipher);
    return saveServerSettings(settings, inFile);
}

void savePasswordStore(PasswordStore store)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kGeneralSection))("PasswordStore", int(store));
}

RemotePOPAccount readMailboxForRemotePOP(int n, MailboxSecrets &secrets, const std::function<void()> &passwordsLost)
{
    Registry registry;
    const std::string key = sectionKey(kServerSection);
    const KeyReader read(registry, key);
    const KeyWriter write(registry, key);

    std::string oldPassword;
    read(numbered("Passwd", n), oldPassword);
    std::string marker = "xx";
    read(kVersionMarkerName, marker);
    write(kVersionMarkerName, std::string(kVersionMarker));

    RemotePOPAccount result;
    if (marker == kVersionMarker) {
        read(numbered("Server", n), result.server);
        read(numbered("Mailbox", n), result.userName);
        readSecurityValues(read, n, result.security, result.fingerprint);
        readSignInValues(read, n, result.signIn);
        readProtectionValues(read, n, result.encrypted, result.plainText);
        readProtocolValues(read, n, result.protocol, result.folder, result.imapDelete);
        readSecrets(secrets, n, {result.userName, result.server}, result.password, result.signIn.refreshToken,
                    result.secretFailure);
        result.loaded = true;
        return result;
    }
    if (!oldPassword.empty()) {
        if (passwordsLost)
            passwordsLost();
        // Only the settings file ever held passwords in an older format.
        for (int m = 1; m <= kMailboxCount; ++m)
            clearSettingsFilePassword(m);
    }
    return result;
}

RemotePOPAccount readMailboxForRemotePOP(int n, TKeyedEncryption &cipher, const std::function<void()> &passwordsLost)
{
    MailboxSecrets inFile(PasswordStore::SettingsFile, cipher);
    return readMailboxForRemotePOP(n, inFile, passwordsLost);
}

void saveMailboxFingerprint(int n, const std::string &fingerprint)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kServerSection))(numbered("Fingerprint", n), fingerprint);
}

void saveMailboxEncrypted(int n)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kServerSection))(numbered("Encrypted", n), true);
}

void saveMailboxPlainTextAnswer(int n, PlainTextAnswer answer)
{
    Registry registry;
    KeyWriter(registry, sectionKey(kServerSection))(numbered("PlainText", n), int(answer));
}

MessageListColumns readMessageListColumns()
{
    MessageListColumns columns;
    const Registry registry;
    const KeyReader read(registry, sectionKey(kColumnSection));
    for (size_t i = 0; i < columns.widths.size(); ++i)
        read(numbered("col", int(i) + 1), columns.widths[i]);
    return columns;
}

std::array<bool, 5> storedMessageListColumns()
{
    std::array<bool, 5> stored{};
    const Registry registry;
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = registry.readString(Hive::CurrentUser, sectionKey(kColumnSection), numbered("col", int(i) + 1))
                        .has_value();
    return stored;
}

void saveMessageListColumns(const MessageListColumns &columns)
{
    Registry registry;
    const KeyWriter write(registry, sectionKey(kColumnSection));
    for (size_t i = 0; i < columns.widths.size(); ++i)
        write(numbered("col", int(i) + 1), columns.widths[i]);
}

std::array<int, kRuleGridColumns> readRuleGridWidths(RuleGrid grid)
{
    std::array<int, kRuleGridColumns> widths;
    widths.fill(kKeepDesignWidth);
    const Registry registry;
    const KeyReader read(registry, sectionKey(sectionOf(grid)));
    for (int i = 0; i < kRuleGridColumns; ++i)
        read(numbered("col", i), widths[size_t(i)]);
    return widths;
}

void saveRuleGridWidths(RuleGrid grid, const std::vector<int> &visibleWidths)
{
    Registry registry;
    const KeyWriter write(registry, sectionKey(sectionOf(grid)));
    for (size_t i = 0; i < visibleWidths.size(); ++i)
        write(numbered("col", int(i)), visibleWidths[i]);
}

WindowPlacement readWindowPlacement(const WindowPlacement &current)
{
    const Registry registry;
    WindowPlacement placement;       // absent values keep these defaults
    WindowPlacement kept = current;  // walked alongside, for texts that are no number
    std::vector<int *> keptValues;
    forEachValue(kept, [&](const char *, int &value) { keptValues.push_back(&value); });
    size_t index = 0;
    forEachValue(placement, [&](const char *name, int &member) {
        if (auto stored = registry.readString(Hive::CurrentUser, kMainKey, name))
            member = parseProfileInteger(*stored).value_or(*keptValues[index]);
        ++index;
    });
    return placement;
}

void saveWindowPlacement(const WindowPlacement &placement)
{
    Registry registry;
    forEachValue(placement, KeyWriter(registry, kMainKey));
}

TextWindowSize readTextWindowSize()
{
    TextWindowSize size;
    const Registry registry;
    forEachValue(size, KeyReader(registry, sectionKey(kTextWindowSection)));
    return size;
}

void saveTextWindowSize(const TextWindowSize &size)
{
    Registry registry;
    forEachValue(size, KeyWriter(registry, sectionKey(kTextWindowSection)));
}

namespace {

class IniReader {
public:
    explicit IniReader(const IniFile &ini) : m_ini(ini) {}
    void operator()(const char *section, const char *key, std::string &member) const
    {
        member = m_ini.readString(section, key, member);
    }
    void operator()(const char *section, const char *key, int &member) const
    {
        member = m_ini.readInteger(section, key, member);
    }
    void operator()(const char *section, const char *key, bool &member) const
    {
        member = m_ini.readBool(section, key, member);
    }
    void operator()(const char *section, const char *key, InvertedFlag flag) const
    {
        flag.member = !m_ini.readBool(section, key, !flag.member);
    }

private:
    const IniFile &m_ini;
};

class IniWriter {
public:
    explicit IniWriter(IniFile &ini) : m_ini(ini) {}
    void operator()(const char *section, const char *key, const std::string &value) const
    {
        m_ini.writeString(section, key, value);
    }
    void operator()(const char *section, const char *key, int value) const { m_ini.writeInteger(section, key, value); }
    void operator()(const char *section, const char *key, bool value) const { m_ini.writeBool(section, key, value); }
    void operator()(const char *section, const char *key, ConstInvertedFlag flag) const
    {
        m_ini.writeBool(section, key, !flag.member);
    }

private:
    IniFile &m_ini;
};

} // namespace

SpamTestSettings readSpamTestSettings()
{
    SpamTestSettings settings;
    const IniFile ini(iniPath());
    forEachValue(settings, IniReader(ini));
    return settings;
}

void saveSpamTestSettings(const SpamTestSettings &settings)
{
    IniFile ini(iniPath());
    forEachValue(settings, IniWriter(ini));
}

int readAsciiRange() { return IniFile(iniPath()).readInteger(kAsciiSection, kRangeKey, SpamTestSettings{}.Range); }

void saveAsciiRange(int range)
{
    IniFile ini(iniPath());
    ini.writeInteger(kAsciiSection, kRangeKey, range);
}

std::vector<std::string> unreadableSettingsFiles()
{
    std::vector<std::string> texts;
    for (const std::string &text : {Registry().readError(), IniFile(iniPath()).readError()})
        if (!text.empty())
            texts.push_back(text);
    return texts;
}

} // namespace tw

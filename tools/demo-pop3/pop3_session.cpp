#include "demo-pop3/pop3_session.h"

#include <cctype>
#include <charconv>

namespace tw::demo {
namespace {

std::string ok(const std::string &text) { return "+OK " + text + "\r\n"; }
std::string err(const std::string &text) { return "-ERR " + text + "\r\n"; }

std::string upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A decimal number that fills Text exactly; -1 otherwise.
long long number(const std::string &text)
{
    long long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : -1;
}

constexpr const char *kCapabilities = "USER\r\nTOP\r\nUIDL\r\nPIPELINING\r\nIMPLEMENTATION tidewell-demo-pop3\r\n";

} // namespace

std::string multiLine(const std::string &firstLine, const std::string &text)
{
    std::string out = ok(firstLine);
    size_t start = 0;
    while (start < text.size()) {
        if (text[start] == '.')
            out += '.';
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        out.append(text, start, end - start);
        start = end;
    }
    if (!out.empty() && out.compare(out.size() - 2, 2, "\r\n") != 0)
        out += "\r\n";
    return out + ".\r\n";
}

Pop3Session::Pop3Session(Account account, bool &lock) : m_account(std::move(account)), m_lock(lock) {}

Pop3Session::~Pop3Session() { release(); }

void Pop3Session::release()
{
    if (m_holdsLock)
        m_lock = false;
    m_holdsLock = false;
}

std::string Pop3Session::greeting() const { return ok("Tidewell demo POP3 server ready"); }

std::string Pop3Session::handle(const std::string &line)
{
    if (line.size() > 255)
        return err("command line too long");
    const size_t blank = line.find(' ');
    const std::string command = upper(line.substr(0, blank));
    const std::string argument = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    if (command == "CAPA")
        return multiLine("Capability list follows", kCapabilities);
    switch (m_state) {
    case State::Authorization: return authorization(command, argument);
    case State::Transaction: return transaction(command, argument);
    case State::Done: break;
    }
    return err("session has ended");
}

std::string Pop3Session::authorization(const std::string &command, const std::string &argument)
{
    if (command == "USER") {
        m_user = argument;
        return ok("send your password");
    }
    if (command == "PASS")
        return login(argument);
    if (command == "QUIT") {
        m_state = State::Done;
        return ok("Tidewell demo POP3 server signing off");
    }
    return err("log in first with USER and PASS");
}

std::string Pop3Session::login(const std::string &password)
{
    if (m_user.empty())
        return err("USER first");
    const bool accepted = m_user == m_account.user && password == m_account.password;
    m_user.clear();
    if (!accepted)
        return err("[AUTH] wrong user name or password");
    if (m_lock)
        return err("[IN-USE] the mailbox is in use by another session");
    std::string problem;
    if (!m_maildrop.open(m_account.folder, problem))
        return err("[SYS/TEMP] " + problem);
    m_lock = m_holdsLock = true;
    m_state = State::Transaction;
    return ok(std::to_string(m_maildrop.count()) + " messages (" + std::to_string(m_maildrop.liveSize()) +
              " octets)");
}

std::string Pop3Session::transaction(const std::string &command, const std::string &argument)
{
    if (command == "STAT")
        return ok(std::to_string(m_maildrop.liveCount()) + " " + std::to_string(m_maildrop.liveSize()));
    if (command == "LIST")
        return listing(argument, false);
    if (command == "UIDL")
        return listing(argument, true);
    if (command == "TOP")
        return top(argument);
    if (command == "RETR")
        return retrieve(argument);
    if (command == "DELE")
        return dele(argument);
    if (command == "NOOP")
        return ok("");
    if (command == "RSET") {
        m_maildrop.reset();
        return ok(std::to_string(m_maildrop.liveCount()) + " messages");
    }
    if (command == "QUIT")
        return quit();
    if (command == "USER" || command == "PASS")
        return err("already logged in");
    return err("unknown command");
}

std::string Pop3Session::quit()
{
    m_state = State::Done;
    const bool removed = m_maildrop.commit();
    release();
    return removed ? ok("Tidewell demo POP3 server signing off") : err("some deleted messages could not be removed");
}

int Pop3Session::messageNumber(const std::string &argument, std::string &error) const
{
    const long long n = number(argument);
    if (n < 1 || n > m_maildrop.count()) {
        error = err("no such message");
        return 0;
    }
    if (!m_maildrop.valid(int(n))) {
        error = err("message " + argument + " already deleted");
        return 0;
    }
    return int(n);
}

std::string Pop3Session::listing(const std::string &argument, bool uniqueIds)
{
    const auto value = [&](int n) {
        return uniqueIds ? m_maildrop.uniqueId(n) : std::to_string(m_maildrop.size(n));
    };
    if (!argument.empty()) {
        std::string error;
        const int n = messageNumber(argument, error);
        return n == 0 ? error : ok(std::to_string(n) + " " + value(n));
    }
    std::string lines;
    for (int n = 1; n <= m_maildrop.count(); ++n)
        if (m_maildrop.valid(n))
            lines += std::to_string(n) + " " + value(n) + "\r\n";
    return multiLine(std::to_string(m_maildrop.liveCount()) + " messages", lines);
}

std::string Pop3Session::top(const std::string &argument)
{
    const size_t blank = argument.find(' ');
    const long long bodyLines = blank == std::string::npos ? -1 : number(argument.substr(blank + 1));
    if (bodyLines < 0)
        return err("TOP needs a message number and a line count");
    std::string error;
    const int n = messageNumber(argument.substr(0, blank), error);
    if (n == 0)
        return error;
    const std::string &text = m_maildrop.text(n);
    size_t end = text.find("\r\n\r\n");
    end = end == std::string::npos ? text.size() : end + 4; // headers and the empty line
    for (long long line = 0; line < bodyLines && end < text.size(); ++line) {
        const size_t next = text.find("\r\n", end);
        end = next == std::string::npos ? text.size() : next + 2;
    }
    return multiLine("top of message follows", text.substr(0, end));
}

std::string Pop3Session::retrieve(const std::string &argument)
{
    std::string error;
    const int n = messageNumber(argument, error);
    if (n == 0)
        return error;
    return multiLine(std::to_string(m_maildrop.size(n)) + " octets", m_maildrop.text(n));
}

std::string Pop3Session::dele(const std::string &argument)
{
    std::string error;
    const int n = messageNumber(argument, error);
    if (n == 0)
        return error;
    m_maildrop.markDeleted(n);
    return ok("message " + std::to_string(n) + " deleted");
}

} // namespace tw::demo

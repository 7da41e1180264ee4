#include "classify/classifier.h"

#include "classify/match_operators.h"
#include "classify/non_english.h"
#include "platform/bytes.h"

#include <map>

namespace tw {

namespace {

constexpr size_t kMaxDomain = 255;
const std::string kYes = "Yes";
const std::string kMailboxMarker = " - MailBox #";
const std::string kBlacklistNote = " is on the KNOWN SPAMMER BLACKLIST (you may edit if this is in error)";

// A header's value for the tests. A value whose encoded words cannot be
// decoded is taken as absent rather than aborting the whole classification.
std::string fieldValue(const TmsHeaders &headers, const std::string &name)
{
    try {
        return headers.GetFieldBody(name);
    } catch (const ETidewellError &) {
        return std::string();
    }
}

std::string addressOf(const TmsHeaders &headers, const std::string &name)
{
    return SplitAddress(fieldValue(headers, name)).address;
}

// The part after the first "@" (at most 255 bytes); the whole text without one.
std::string domainPart(const std::string &address)
{
    const size_t at = address.find('@');
    return at == std::string::npos ? address : address.substr(at + 1, kMaxDomain);
}

std::string userPart(const std::string &address) { return address.substr(0, address.find('@')); }

// The operators an exception or a header line rule may name.
bool textOperator(const std::string &op, std::string_view text, const std::string &pattern, bool caseSensitive)
{
    return operatorUsesText(op) && matchOperator(op, text, pattern, caseSensitive);
}

bool isSubjectOperator(const std::string &op) { return operatorUsesText(op) || op == opIsBlank || op == opIsUppercase; }

// The sender text a sender rule looks at.
std::string senderPiece(const std::string &kind, const std::string &op, const std::string &sender)
{
    if (kind == "Domain name")
        return domainPart(sender);
    const bool wholeAddressOperator = operatorUsesText(op) || op == opIsBlank;
    return wholeAddressOperator ? sender : userPart(sender);
}

} // namespace

Classifier::Classifier(WaitingMessages &messages, const TmsRemoteInfo &remoteInfo, RuleTables &rules,
                       SpamTestSettings &settings, const KnownSpammers &knownSpammers, UnknownDomains &domains,
                       WhyLog &why)
    : m_messages(messages), m_remoteInfo(remoteInfo), m_rules(rules), m_settings(settings), m_known(knownSpammers),
      m_domains(domains), m_why(why)
{
}

const TmsHeaders &Classifier::headersOf(int index) const
{
    static const TmsHeaders kNoHeaders;
    return index >= 0 && index < m_remoteInfo.Count() ? m_remoteInfo.Items(index).Headers : kNoHeaders;
}

void Classifier::MarkForDeletion(int index)
{
    if (index >= 0) {
        classifyRow(index);
        return;
    }
    for (int i = 0; i < m_messages.count(); ++i)
        classifyRow(i);
}

bool Classifier::applyResult(int index, bool matched, bool check)
{
    int &current = m_messages.row(index).mark;
    if (matched) {
        if (check)
            current = mark::CheckMark;
        else if (current != mark::CheckMark)
            current = mark::QuestionMark;
    }
    return stopsHere(index);
}

// Outside why mode a check mark ends the sequence.
bool Classifier::stopsHere(int index) const
{
    return !m_why.whyMode && m_messages.row(index).mark == mark::CheckMark;
}

void Classifier::classifyRow(int index)
{
    const TWaitingMessage &row = m_messages.row(index);
    const std::string subject = row.subject;
    const std::string sender = row.senderAddress;

    int image = mark::DefaultException;
    if (qIsInException(index, subject, sender, image)) {
        m_messages.row(index).mark = image;
        return;
    }

    bool check = false;
    if (tooBigSmall(row.sizeText, check))
        m_messages.row(index).mark = check ? mark::CheckMark : mark::QuestionMark;
    if (stopsHere(index))
        return;

    bool matched = qMarkThisSubject(subject, check);
    if (applyResult(index, matched, check))
        return;
    matched = qmarkThisSender(sender, check);
    if (applyResult(index, matched, check))
        return;
    matched = qMarkThisHeader(index, check);
    if (applyResult(index, matched, check))
        return;
    if (m_settings.cbAscii) {
        matched = CheckNonAscii(index, check);
        if (applyResult(index, matched, check))
            return;
    }
    if (m_settings.cbValid) {
        matched = CheckDomain(index, check);
        if (applyResult(index, matched, check))
            return;
    }
    std::string kind;
    std::string value;
    if (m_settings.cbKnownSpammers && isInKnownList(sender, kind, value)) {
        int &current = m_messages.row(index).mark;
        if (current != mark::CheckMark)
            current = mark::BlacklistMark;
        m_why.whyAdd(true, kind, "\"" + value + "\"" + kBlacklistNote);
    }
}

bool Classifier::btRemarkClick()
{
    for (int i = 0; i < m_messages.count(); ++i)
        m_messages.row(i).mark = mark::None;
    MarkForDeletion(-1);
    return m_messages.markedCount() > 0;
}

std::vector<std::string> Classifier::explain(int index)
{
    TWaitingMessage &row = m_messages.row(index);
    m_why.lines = {"Message from " + row.senderAddress, "Subject of   " + row.subject, ""};
    const int remembered = row.mark;
    row.mark = mark::None;
    m_why.whyMode = true;
    try {
        MarkForDeletion(index);
    } catch (...) {
        m_why.whyMode = false;
        m_messages.row(index).mark = remembered;
        throw;
    }
    m_why.whyMode = false;
    const int produced = m_messages.row(index).mark;
    if (m_why.lines.size() == 3)
        m_why.lines.push_back("Message was neither on the exception list nor on the list of matching criteria");
    if (remembered == mark::CheckMark && produced != mark::CheckMark)
        m_why.lines.push_back("** You marked this message **");
    if (remembered == mark::None && produced != mark::None)
        m_why.lines.push_back("** You un-marked this message **");
    m_messages.row(index).mark = remembered;
    return m_why.lines;
}

void Classifier::BumpUpGrid(RuleKind kind, int row)
{
    if (m_why.whyMode)
        return;
    m_rules.table(kind).bumpHits(row, hitsColumn(kind));
}

bool Classifier::qIsInException(int index, const std::string &subject, const std::string &sender, int &image)
{
    const RuleTable &table = m_rules.exceptions;
    const TmsHeaders &headers = headersOf(index);
    std::map<std::string, std::string> values; // header values looked up for this message
    for (int r = 1; r < table.RowCount(); ++r) {
        const std::string &what = table.cell(col::ExceptWhat, r);
        if (what.empty())
            continue;
        const std::string &op = table.cell(col::ExceptCondition, r);
        const std::string &text = table.cell(col::ExceptMatches, r);
        const bool caseSensitive = table.cell(col::ExceptCase, r) == kYes;
        bool matched = false;
        if (what == "Domain name") {
            matched = endsWithText(sender, text, false);
            if (matched)
                m_why.whyExcept("Domain name", "Equals", text, false);
        } else if (what == "E-mail address") {
            matched = startsWithText(sender, text, false);
            if (matched)
                m_why.whyExcept("E-mail address", "Equals", text, false);
        } else if (what == "Subject") {
            matched = textOperator(op, subject, text, caseSensitive);
            if (matched)
                m_why.whyExcept("Subject", op, text, caseSensitive);
        } else if (what == "Any Header") {
            // The last line of the block is not tested.
            for (int k = 0; k + 1 < headers.Count(); ++k) {
                if (!textOperator(op, headers.Strings(k), text, caseSensitive))
                    continue;
                matched = true;
                m_why.whyExcept("Any Header " + headers.Strings(k), op, text, caseSensitive);
                if (!m_why.whyMode)
                    break;
            }
        } else {
            auto found = values.find(upperCase(what));
            if (found == values.end())
                found = values.emplace(upperCase(what), fieldValue(headers, what)).first;
            matched = textOperator(op, found->second, text, caseSensitive);
            if (matched)
                m_why.whyExcept(what + " " + found->second, op, text, caseSensitive);
        }
        if (matched) {
            image = rulePicture(RuleKind::Exception, table, r);
            BumpUpGrid(RuleKind::Exception, r);
            return true;
        }
    }
    return false;
}

bool Classifier::tooBigSmall(const std::string &sizeText, bool &check)
{
    long long size = 0;
    if (!parseInt(sizeText, size) || size < 0)
        return false;
    if (m_settings.cbSmaller && size < m_settings.nSmaller) {
        check = m_settings.rbSmallerCheck;
        m_why.whyAdd(check, "Size", "smaller than", std::to_string(m_settings.nSmaller), false);
        return true;
    }
    if (m_settings.cbLarger && size > m_settings.nLarger) {
        check = m_settings.rbLargerCheck;
        m_why.whyAdd(check, "Size", "larger than", std::to_string(m_settings.nLarger), false);
        return true;
    }
    return false;
}

bool Classifier::qMarkThisSubject(const std::string &subject, bool &check)
{
    const RuleTable &table = m_rules.subject;
    bool matched = false;
    check = false;
    for (int r = 1; r < table.RowCount() && !table.cell(col::What, r).empty(); ++r) {
        const std::string &op = table.cell(col::What, r);
        const std::string &text = table.cell(col::Matches, r);
        const bool caseSensitive = table.cell(col::Case, r) == kYes;
        const bool rowCheck = table.cell(col::Delete, r) == kYes;
        if (!isSubjectOperator(op) || !matchOperator(op, subject, text, caseSensitive))
            continue;
        BumpUpGrid(RuleKind::Subject, r);
        m_why.whyAdd(rowCheck, "Subject", op, operatorUsesText(op) ? text : std::string(), caseSensitive);
        matched = true;
        check = check || rowCheck;
        if (rowCheck && !m_why.whyMode)
            break;
    }
    return matched;
}

bool Classifier::qmarkThisSender(const std::string &sender, bool &check)
{
    const RuleTable &table = m_rules.sender;
    bool matched = false;
    check = false;
    for (int r = 1; r < table.RowCount() && !table.cell(col::What, r).empty(); ++r) {
        const std::string &kind = table.cell(col::What, r);
        const std::string &op = table.cell(col::SenderCondition, r);
        const std::string &text = table.cell(col::SenderMatches, r);
        const bool rowCheck = table.cell(col::Delete, r) == kYes;
        if (!matchOperator(op, senderPiece(kind, op, sender), text, false))
            continue;
        BumpUpGrid(RuleKind::Sender, r);
        m_why.whyAdd(rowCheck, kind, op, operatorUsesText(op) ? text : std::string(), false);
        matched = true;
        check = check || rowCheck;
        if (rowCheck && !m_why.whyMode)
            break;
    }
    return matched;
}

bool Classifier::qMarkThisHeader(int index, bool &check)
{
    const RuleTable &table = m_rules.header;
    const TmsHeaders &headers = headersOf(index);
    bool anyMatched = false;
    check = false;
    for (int r = 1; r < table.RowCount() && !table.cell(col::What, r).empty(); ++r) {
        const std::string &what = table.cell(col::What, r);
        const std::string &text = table.cell(col::Matches, r);
        const bool caseSensitive = table.cell(col::Case, r) == kYes;
        const bool rowCheck = table.cell(col::Delete, r) == kYes;
        bool rowMatched = false;
        if (what == "To does not contain") {
            // "<address> - MailBox #<n>": only for mailbox n; a rule without a
            // readable number belongs to no mailbox and never applies.
            const size_t marker = text.find(kMailboxMarker);
            const int mailbox =
                marker == std::string::npos ? -1 : toIntDef(text.substr(marker + kMailboxMarker.size()), -1);
            if (mailbox >= 0 && mailbox == m_mailboxNumber) {
                const std::string address = text.substr(0, marker);
                const std::string to = fieldValue(headers, "To");
                rowMatched = !to.empty() && !containsText(to, address, false);
                if (rowMatched)
                    m_why.whyAdd(rowCheck, "Header \"" + to + "\"", "To does not contain", address, caseSensitive);
            }
        } else if (what == "Sender") {
            const std::string from = addressOf(headers, "From");
            if (text == "does not match Reply-to") {
                const std::string replyTo = fieldValue(headers, "Reply-to");
                rowMatched = !replyTo.empty() && !containsText(replyTo, from, false) &&
                             !containsText(from, replyTo, false);
                if (rowMatched)
                    m_why.whyAdd(rowCheck, "Header", "Sender", replyTo + " does not match Reply-to " + from,
                                 caseSensitive);
            } else {
                const std::string to = addressOf(headers, "To");
                rowMatched = !to.empty() && (containsText(to, from, false) || containsText(from, to, false));
                if (rowMatched)
                    m_why.whyAdd(rowCheck, "Header", "Sender", to + " equals To field " + from, caseSensitive);
            }
        } else {
            // Raw header lines; the last line of the block is not tested.
            for (int k = 0; k + 1 < headers.Count(); ++k) {
                if (!textOperator(what, headers.Strings(k), text, caseSensitive))
                    continue;
                rowMatched = true;
                BumpUpGrid(RuleKind::Header, r);
                m_why.whyAdd(rowCheck, "Header", what, text, caseSensitive);
                if (rowCheck && !m_why.whyMode)
                    break;
            }
        }
        if (rowMatched) {
            if (what == "To does not contain" || what == "Sender")
                BumpUpGrid(RuleKind::Header, r);
            anyMatched = true;
            check = check || rowCheck;
        }
        if (anyMatched && rowCheck && !m_why.whyMode)
            break;
    }
    return anyMatched;
}

bool Classifier::CheckNonAscii(int index, bool &check)
{
    check = m_settings.rbAsciiCheck;
    const TmsHeaders &headers = headersOf(index);
    const std::string subject = fieldValue(headers, "Subject");
    const std::string from = fieldValue(headers, "From");
    std::string name = SplitAddress(from).name;
    name = name.substr(0, name.find('('));
    const int range = m_settings.Range;
    std::string label;
    if (isNonEnglishText(subject, range))
        label = "Subject (" + subject + ") ";
    else if (isNonEnglishText(name, range))
        label = "Sender (" + from + ") ";
    else
        return false;
    bumpNonAscii(m_settings);
    m_why.whyAdd(check, label, sensitivityText(range), "Non-English (garbled) characters", false);
    return true;
}

bool Classifier::CheckDomain(int index, bool &check)
{
    check = m_settings.rbCheck;
    const TmsHeaders &headers = headersOf(index);
    const std::string replyAddress = addressOf(headers, "Reply-to");
    const std::string fromAddress = addressOf(headers, "From");
    const std::string reply = replyAddress.empty() ? std::string() : domainPart(replyAddress);
    const std::string from = fromAddress.empty() ? std::string() : domainPart(fromAddress);
    if (reply.empty() && from.empty())
        return false;
    // A Reply-to domain, when there is one, alone decides.
    const std::string &tested = reply.empty() ? from : reply;
    if (!m_domains.qUnknownDomain(tested, m_settings))
        return false;
    m_why.whyAdd(check, "Reply to or From (" + tested + ") ", "is an", "Unknown domain", false);
    return true;
}

bool Classifier::isInKnownList(const std::string &address, std::string &kind, std::string &value) const
{
    return m_known.isInKnownList(address, kind, value);
}

} // namespace tw

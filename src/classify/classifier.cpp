#include "classify/classifier.h"

#include "classify/message_view.h"
#include "classify/non_english.h"
#include "net/pop3_limits.h"
#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

constexpr size_t kMaxDomain = 255;
const std::string kMailboxMarker = " - MailBox #";
const std::string kBlacklistNote = " is on the KNOWN SPAMMER BLACKLIST (you may edit if this is in error)";

// The part after the first "@" (at most 255 bytes); the whole text without one.
std::string domainPart(const std::string &address)
{
    const size_t at = address.find('@');
    return at == std::string::npos ? address : address.substr(at + 1, kMaxDomain);
}

std::string userPart(const std::string &address) { return address.substr(0, address.find('@')); }

// A piece of the sender address with its upper-cased form.
struct Piece {
    explicit Piece(std::string text) : text(std::move(text)), folded(upperCase(this->text)) {}
    std::string text;
    std::string folded;
};

bool isSubjectOperator(MatchOp op) { return usesText(op) || op == MatchOp::IsBlank || op == MatchOp::IsUppercase; }

// The text a why line quotes: the rule text, for operators that have one.
std::string quotedRuleText(const PreparedRule &rule) { return usesText(rule.op) ? rule.text : std::string(); }

// False when no header line (but the last) can match Rule: every text
// operator with a non-empty text needs that text inside the line.
bool mayMatchSomeLine(const PreparedRule &rule, MessageView &view)
{
    if (rule.pattern.empty())
        return true;
    if (view.lineFilterPaysOff() && !rule.mayOccurIn(view.lineFilter()))
        return false;
    return view.joinedLines(!rule.caseSensitive).find(rule.pattern) != std::string::npos;
}

} // namespace

struct Classifier::Context {
    Context(TWaitingMessage &row, const TmsHeaders &headers, const PreparedRules &rules)
        : row(row), headers(headers), view(headers), rules(rules), foldedSubject(upperCase(row.subject)),
          foldedSender(upperCase(row.senderAddress)), subjectFilter(foldedSubject), senderFilter(foldedSender),
          senderDomain(domainPart(row.senderAddress)),
          senderUser(userPart(row.senderAddress))
    {
    }

    // The sender text a sender rule looks at: the domain for "Domain name";
    // for "E-mail address" the whole address, except that the
    // character-class operators look at the user name only.
    std::pair<std::string_view, std::string_view> senderPiece(const PreparedRule &rule) const
    {
        if (rule.target == RuleTarget::SenderDomain)
            return {senderDomain.text, senderDomain.folded};
        if (usesText(rule.op) || rule.op == MatchOp::IsBlank)
            return {row.senderAddress, foldedSender};
        return {senderUser.text, senderUser.folded};
    }

    TWaitingMessage &row;
    const TmsHeaders &headers;
    MessageView view;
    const PreparedRules &rules;
    const std::string foldedSubject;
    const std::string foldedSender;
    const BigramFilter subjectFilter;
    const BigramFilter senderFilter; // also holds every pair of the domain and user parts
    const Piece senderDomain;
    const Piece senderUser;
};

Classifier::Classifier(WaitingMessages &messages, const TmsRemoteInfo &remoteInfo, RuleTables &rules,
                       SpamTestSettings &settings, const KnownSpammers &knownSpammers, UnknownDomains &domains,
                       WhyLog &why)
    : m_messages(messages), m_remoteInfo(&remoteInfo), m_rules(rules), m_settings(settings), m_known(knownSpammers),
      m_domains(domains), m_why(why)
{
}

const TmsHeaders &Classifier::headersOf(int index) const
{
    static const TmsHeaders kNoHeaders;
    return index >= 0 && index < m_remoteInfo->Count() ? m_remoteInfo->Items(index).Headers : kNoHeaders;
}

const PreparedRules &Classifier::preparedRules()
{
    const std::array<std::uint64_t, 4> revisions = {m_rules.subject.revision(), m_rules.sender.revision(),
                                                     m_rules.header.revision(), m_rules.exceptions.revision()};
    if (!m_prepared || revisions != m_preparedRevisions) {
        m_prepared = prepareRules(m_rules);
        m_preparedRevisions = revisions;
    }
    return *m_prepared;
}

void Classifier::MarkForDeletion(int index)
{
    const PreparedRules &rules = preparedRules();
    if (index >= 0) {
        classifyRow(rules, index);
        return;
    }
    for (int i = 0; i < m_messages.count(); ++i)
        classifyRow(rules, i);
}

// Outside why mode a check mark ends the sequence.
bool Classifier::stopsHere(const Context &message) const
{
    return !m_why.whyMode && message.row.mark == mark::CheckMark;
}

bool Classifier::applyResult(Context &message, bool matched, bool check)
{
    int &current = message.row.mark;
    if (matched) {
        if (check)
            current = mark::CheckMark;
        else if (current != mark::CheckMark)
            current = mark::QuestionMark;
    }
    return stopsHere(message);
}

void Classifier::classifyRow(const PreparedRules &rules, int index)
{
    if (OnRowClassified)
        OnRowClassified(index);
    m_currentIndex = index;
    Context message(m_messages.row(index), headersOf(index), rules);

    // A message whose header block was not read whole is for the user to
    // look at: rules judging part of it could condemn it wrongly.
    if (index < m_remoteInfo->Count() && m_remoteInfo->Items(index).CutReplyBytes > 0) {
        message.row.mark = mark::QuestionMark;
        m_why.whyAdd(false, "Too large to read:",
                     "its header block and first body line are " +
                         std::to_string(m_remoteInfo->Items(index).CutReplyBytes) + " bytes (more than " +
                         std::to_string(pop3::kMaxHeaderBlockBytes) + ")");
        if (m_why.whyMode)
            m_why.lines.push_back("No rule was applied to it; look at it in your mail program before deleting it.");
        m_learnedWritten = true; // nor the learned score: it would judge a part too
        return;
    }

    int image = mark::DefaultException;
    if (qIsInException(message, image)) {
        message.row.mark = image;
        if (!m_why.whyMode && OnExcepted)
            OnExcepted(index);
        return;
    }

    bool check = false;
    if (tooBigSmall(message.row.sizeText, check))
        message.row.mark = check ? mark::CheckMark : mark::QuestionMark;
    if (stopsHere(message))
        return;

    bool matched = qMarkThisSubject(message, check);
    if (applyResult(message, matched, check))
        return;
    matched = qmarkThisSender(message, check);
    if (applyResult(message, matched, check))
        return;
    matched = qMarkThisHeader(message, check);
    if (applyResult(message, matched, check))
        return;
    if (m_settings.cbAscii) {
        matched = CheckNonAscii(message, check);
        if (applyResult(message, matched, check))
            return;
    }
    if (m_settings.cbValid) {
        matched = CheckDomain(message, check);
        if (applyResult(message, matched, check))
            return;
    }
    std::string kind;
    std::string value;
    if (m_settings.cbKnownSpammers && isInKnownList(message.row.senderAddress, kind, value)) {
        if (message.row.mark != mark::CheckMark)
            message.row.mark = mark::BlacklistMark;
        m_why.whyAdd(true, kind, "\"" + value + "\"" + kBlacklistNote);
    }
    CheckLearnedScore(message);
}

void Classifier::CheckLearnedScore(Context &message)
{
    // Rules and tests come first: the score only marks what nothing else marked.
    if (!learnedTestOn() || !m_learned->ready() || message.row.mark != mark::None)
        return;
    const double cutoff = learnedCutoff(m_settings);
    const bool check = m_settings.rbLearnedCheck;
    if (!m_why.whyMode) {
        if (m_learned->score(message.headers) >= cutoff)
            message.row.mark = check ? mark::CheckMark : mark::QuestionMark;
        return;
    }
    const ScoreExplanation explanation = m_learned->explain(message.headers);
    if (explanation.score < cutoff)
        return; // explain() shows the score below the other lines
    message.row.mark = check ? mark::CheckMark : mark::QuestionMark;
    m_why.whyAdd(check, "Learned score", scoreText(explanation.score) + " is at or above the cutoff " +
                                             scoreText(cutoff));
    writeLearnedLines(explanation, true, {});
}

void Classifier::writeLearnedLines(const ScoreExplanation &explanation, bool marked, const std::string &why)
{
    if (!marked)
        m_why.lines.push_back("Learned score " + scoreText(explanation.score) + why);
    auto side = [&](const char *heading, const std::vector<Clue> &clues) {
        if (clues.empty()) {
            m_why.lines.push_back(std::string("    ") + heading + " none");
            return;
        }
        m_why.lines.push_back(std::string("    ") + heading);
        for (const Clue &clue : clues)
            m_why.lines.push_back("        " + scoreText(clue.probability) + "  " + clue.token);
    };
    side("Clues for junk:", explanation.spamClues);
    side("Clues for ordinary mail:", explanation.hamClues);
    m_learnedWritten = true;
}

std::vector<int> Classifier::takeRowsWaitingFor(const std::string &domain)
{
    std::vector<int> rows;
    const auto [first, last] = m_waitingRows.equal_range(lowerCase(domain));
    for (auto it = first; it != last; ++it)
        rows.push_back(it->second);
    m_waitingRows.erase(first, last);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void Classifier::reclassifyQuietly(const std::vector<int> &rows)
{
    const PreparedRules &rules = preparedRules();
    m_quiet = true;
    for (int row : rows)
        if (row >= 0 && row < m_messages.count())
            classifyRow(rules, row);
    m_quiet = false;
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
    m_learnedWritten = false;
    try {
        MarkForDeletion(index);
    } catch (...) {
        m_why.whyMode = false;
        row.mark = remembered;
        throw;
    }
    m_why.whyMode = false;
    const int produced = row.mark;
    if (m_why.lines.size() == 3)
        m_why.lines.push_back("Message was neither on the exception list nor on the list of matching criteria");
    if (remembered == mark::CheckMark && produced != mark::CheckMark)
        m_why.lines.push_back("** You marked this message **");
    if (remembered == mark::None && produced != mark::None)
        m_why.lines.push_back("** You un-marked this message **");
    if (!m_learnedWritten && produced < mark::DefaultException)
        explainUnusedScore(index, produced);
    row.mark = remembered;
    return m_why.lines;
}

void Classifier::explainUnusedScore(int index, int produced)
{
    // A score that is off, or not trained enough to be used, took no part
    // in the mark: the explanation says nothing of it.
    if (!learnedTestOn() || !m_learned->ready())
        return;
    writeLearnedLines(m_learned->explain(headersOf(index)), false,
                      produced == mark::None ? ", below the cutoff " + scoreText(learnedCutoff(m_settings))
                                             : ", not used: the message is marked already");
}

void Classifier::BumpUpGrid(RuleKind kind, int row)
{
    if (m_why.whyMode || m_quiet)
        return;
    m_rules.table(kind).bumpHits(row, hitsColumn(kind));
}

bool Classifier::qIsInException(Context &message, int &image)
{
    MessageView &view = message.view;
    for (const PreparedRule &rule : message.rules.exceptions) {
        // Only the text operators take part here; any other never matches.
        const bool textOp = usesText(rule.op);
        bool matched = false;
        switch (rule.target) {
        case RuleTarget::SenderDomain: // "Ends with" on the whole address, whatever the operator cell says
            matched = rule.mayOccurIn(message.senderFilter) &&
                      matchPrepared(MatchOp::EndsWith, message.row.senderAddress, message.foldedSender,
                                    rule.foldedText, false);
            if (matched)
                m_why.whyExcept("Domain name", "Equals", rule.text, false);
            break;
        case RuleTarget::SenderAddress: // "Starts with" on the whole address
            matched = rule.mayOccurIn(message.senderFilter) &&
                      matchPrepared(MatchOp::StartsWith, message.row.senderAddress, message.foldedSender,
                                    rule.foldedText, false);
            if (matched)
                m_why.whyExcept("E-mail address", "Equals", rule.text, false);
            break;
        case RuleTarget::Subject:
            matched = textOp && rule.matches(message.row.subject, message.foldedSubject, message.subjectFilter);
            if (matched)
                m_why.whyExcept("Subject", rule.opName, rule.text, rule.caseSensitive);
            break;
        case RuleTarget::AnyHeaderLine:
            // The last line of the block is not tested.
            if (!textOp || !mayMatchSomeLine(rule, view))
                break;
            for (int k = 0; k + 1 < view.lineCount(); ++k) {
                if (!rule.matches(view.line(k), view.foldedLine(k)))
                    continue;
                matched = true;
                m_why.whyExcept("Any Header " + std::string(view.line(k)), rule.opName, rule.text, rule.caseSensitive);
                if (!m_why.whyMode)
                    break;
            }
            break;
        default: {
            if (!textOp)
                break;
            const MessageView::FieldValue &value = view.fieldValue(rule.fieldKey, rule.what);
            matched = rule.matches(value.text, value.folded, value.filter);
            if (matched)
                m_why.whyExcept(rule.what + " " + value.text, rule.opName, rule.text, rule.caseSensitive);
            break;
        }
        }
        if (matched) {
            image = rule.image;
            BumpUpGrid(RuleKind::Exception, rule.row);
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

bool Classifier::qMarkThisSubject(Context &message, bool &check)
{
    bool matched = false;
    check = false;
    for (const PreparedRule &rule : message.rules.subject) {
        if (!isSubjectOperator(rule.op) ||
            !rule.matches(message.row.subject, message.foldedSubject, message.subjectFilter))
            continue;
        BumpUpGrid(RuleKind::Subject, rule.row);
        m_why.whyAdd(rule.check, "Subject", rule.opName, quotedRuleText(rule), rule.caseSensitive);
        matched = true;
        check = check || rule.check;
        if (rule.check && !m_why.whyMode)
            break;
    }
    return matched;
}

bool Classifier::qmarkThisSender(Context &message, bool &check)
{
    bool matched = false;
    check = false;
    for (const PreparedRule &rule : message.rules.sender) {
        const auto [piece, foldedPiece] = message.senderPiece(rule);
        if (!rule.matches(piece, foldedPiece, message.senderFilter))
            continue;
        BumpUpGrid(RuleKind::Sender, rule.row);
        m_why.whyAdd(rule.check, rule.what, rule.opName, quotedRuleText(rule), false);
        matched = true;
        check = check || rule.check;
        if (rule.check && !m_why.whyMode)
            break;
    }
    return matched;
}

bool Classifier::qMarkThisHeader(Context &message, bool &check)
{
    MessageView &view = message.view;
    bool anyMatched = false;
    check = false;
    for (const PreparedRule &rule : message.rules.header) {
        bool matched = false;
        switch (rule.target) {
        case RuleTarget::ToDoesNotContain: {
            // "<address> - MailBox #<n>": only for mailbox n; a rule without a
            // readable number belongs to no mailbox and never applies.
            const size_t marker = rule.text.find(kMailboxMarker);
            const int mailbox =
                marker == std::string::npos ? -1 : toIntDef(rule.text.substr(marker + kMailboxMarker.size()), -1);
            if (mailbox < 0 || mailbox != m_mailboxNumber)
                break;
            const std::string address = rule.text.substr(0, marker);
            // Without an address every To header would "not contain" it and
            // all mail would be condemned; such a rule says nothing.
            if (isBlank(address))
                break;
            const std::string &to = view.field("To");
            matched = !to.empty() && !containsText(to, address, false);
            if (matched)
                m_why.whyAdd(rule.check, "Header \"" + to + "\"", "To does not contain", address, rule.caseSensitive);
            break;
        }
        case RuleTarget::SenderReplyTo: {
            const std::string from = view.address("From");
            const std::string &replyTo = view.field("Reply-to");
            matched = !replyTo.empty() && !containsText(replyTo, from, false) && !containsText(from, replyTo, false);
            if (matched)
                m_why.whyAdd(rule.check, "Header", "Sender", replyTo + " does not match Reply-to " + from,
                             rule.caseSensitive);
            break;
        }
        case RuleTarget::SenderEqualsTo: {
            const std::string from = view.address("From");
            const std::string to = view.address("To");
            matched = !to.empty() && (containsText(to, from, false) || containsText(from, to, false));
            if (matched)
                m_why.whyAdd(rule.check, "Header", "Sender", to + " equals To field " + from, rule.caseSensitive);
            break;
        }
        default:
            // Raw header lines; the last line of the block is not tested.
            if (!usesText(rule.op) || !mayMatchSomeLine(rule, view))
                break;
            for (int k = 0; k + 1 < view.lineCount(); ++k) {
                if (!rule.matches(view.line(k), view.foldedLine(k)))
                    continue;
                matched = true;
                BumpUpGrid(RuleKind::Header, rule.row);
                m_why.whyAdd(rule.check, "Header", rule.opName, rule.text, rule.caseSensitive);
                if (rule.check && !m_why.whyMode)
                    break;
            }
            break;
        }
        if (matched) {
            if (rule.target != RuleTarget::AnyHeaderLine) // line rules counted each matching line above
                BumpUpGrid(RuleKind::Header, rule.row);
            anyMatched = true;
            check = check || rule.check;
        }
        if (anyMatched && rule.check && !m_why.whyMode)
            break;
    }
    return anyMatched;
}

bool Classifier::CheckNonAscii(Context &message, bool &check)
{
    check = m_settings.rbAsciiCheck;
    const std::string &subject = message.view.field("Subject");
    const std::string &from = message.view.field("From");
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
    if (!m_quiet)
        bumpNonAscii(m_settings);
    m_why.whyAdd(check, label, sensitivityText(range), "Non-English (garbled) characters", false);
    return true;
}

bool Classifier::CheckDomain(Context &message, bool &check)
{
    check = m_settings.rbCheck;
    const std::string replyAddress = message.view.address("Reply-to");
    const std::string fromAddress = message.view.address("From");
    const std::string reply = domainPart(replyAddress);
    const std::string from = domainPart(fromAddress);
    if (reply.empty() && from.empty())
        return false;
    // A Reply-to domain, when there is one, alone decides.
    const std::string &tested = reply.empty() ? from : reply;
    const DomainVerdict verdict = m_domains.verdict(tested, m_settings);
    if (verdict == DomainVerdict::Pending)
        m_waitingRows.insert({lowerCase(tested), m_currentIndex});
    if (verdict != DomainVerdict::Unknown)
        return false;
    m_why.whyAdd(check, "Reply to or From (" + tested + ") ", "is an", "Unknown domain", false);
    return true;
}

bool Classifier::isInKnownList(const std::string &address, std::string &kind, std::string &value) const
{
    return m_known.isInKnownList(address, kind, value);
}

} // namespace tw

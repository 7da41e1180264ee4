#include "settings/settings_schema.h"

namespace tw {

const char *sectionOf(RuleGrid grid)
{
    switch (grid) {
    case RuleGrid::Subject: return "Subject";
    case RuleGrid::Headers: return "Headers";
    case RuleGrid::Sender: return "Sender";
    case RuleGrid::Exceptions: return "Exceptions";
    }
    return "Subject";
}

RuleGrid ruleGridOf(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Subject:
        return RuleGrid::Subject;
    case RuleKind::Header:
        return RuleGrid::Headers;
    case RuleKind::Sender:
        return RuleGrid::Sender;
    case RuleKind::Exception:
        return RuleGrid::Exceptions;
    }
    return RuleGrid::Subject;
}

std::array<int, kRuleGridColumns> designWidths(RuleGrid grid)
{
    switch (grid) {
    case RuleGrid::Subject: return {20, 112, 231, 29, 39, 38};
    case RuleGrid::Headers: return {20, 112, 221, 38, 36, 43};
    case RuleGrid::Sender: return {20, 77, 105, 188, 39, 39};
    case RuleGrid::Exceptions: return {98, 128, 139, 47, 33, 25};
    }
    return {};
}

} // namespace tw

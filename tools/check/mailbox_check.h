#pragma once
// One mailbox of a tidewell-check run: loads its account, lists and
// classifies its messages as the program's check does, prints them, and with
// --delete removes the marked ones as the program's deletion run does, with
// the same activity-log lines and blocks. It never asks anything: what would
// need a question (an untrusted certificate, a password in clear never
// allowed, a browser sign-in) makes the mailbox fail, saying why.

#include "check_options.h"

#include "classify/known_spammers.h"
#include "classify/learned_filter.h"
#include "classify/unknown_domains.h"
#include "keep/deleted_mail_store.h"
#include "settings/general_model.h"
#include "settings/spam_model.h"
#include "stats/activity_log.h"

#include <ostream>
#include <string>

namespace tw::check {

// What every mailbox of one run shares.
struct RunSetting {
    const Options &options;
    GeneralSettingsModel &general;
    SpamSettingsModel &spam;
    const KnownSpammers &known;
    const LearnedFilter &learned;
    UnknownDomains &domains;
    ActivityLog &log;
    const DeletedMailStore &deletedMail;
};

// Checks mailbox N, printing its messages to Out. Returns "" when it
// succeeded, else what went wrong (for standard error).
std::string checkMailbox(int n, RunSetting &setting, std::ostream &out);

} // namespace tw::check

#include "tools/ChkDskCheckers.h"

#include "platform/SystemQueryText.h"

namespace bw {

namespace {

enum class Mode { Any, Check, Repair };

// Exit statuses in the order they are tried; bits 0 means a status of exactly 0, else any of the
// bits set. A status no row takes is a failure. e2fsck's status is a sum of bits (32 cancelled,
// 8/16/128 failed, 4 left uncorrected, 1/2 corrected); the others use small numbers.
struct ExitRule {
    std::string_view program;
    Mode mode;
    int bits;
    CheckOutcome outcome;
};
inline constexpr ExitRule kExitRules[] = {
    {"e2fsck", Mode::Any, 32, CheckOutcome::Cancelled},
    {"e2fsck", Mode::Any, 8 | 16 | 128, CheckOutcome::Failed},
    {"e2fsck", Mode::Any, 4, CheckOutcome::ProblemsLeft},
    {"e2fsck", Mode::Any, 1 | 2, CheckOutcome::Repaired},
    {"e2fsck", Mode::Any, 0, CheckOutcome::NoProblems},
    {"xfs_repair", Mode::Check, 0, CheckOutcome::NoProblems},
    {"xfs_repair", Mode::Check, 1, CheckOutcome::ProblemsLeft},
    // Repairing, it ends with 0 whether or not it found anything; 2: a log that must be replayed.
    {"xfs_repair", Mode::Repair, 0, CheckOutcome::RepairDone},
    {"xfs_repair", Mode::Repair, 2, CheckOutcome::ProblemsLeft},
    {"btrfs", Mode::Check, 0, CheckOutcome::NoProblems},
    {"btrfs", Mode::Check, 1, CheckOutcome::ProblemsLeft},
    {"fsck.fat", Mode::Any, 0, CheckOutcome::NoProblems},
    {"fsck.fat", Mode::Check, 1, CheckOutcome::ProblemsLeft},
    {"fsck.fat", Mode::Repair, 1, CheckOutcome::Repaired},
};

struct OutcomeWords {
    CheckOutcome outcome;
    std::string_view text;
    bool result;
};
inline constexpr OutcomeWords kOutcomeWords[] = {
    {CheckOutcome::NoProblems, "No Problems found", true},
    {CheckOutcome::Repaired, "problems were found and repaired", true},
    {CheckOutcome::RepairDone,
     "the repair ran to its end (it does not tell whether it found anything)", true},
    {CheckOutcome::ProblemsLeft, "problems were found and left as they are", true},
    {CheckOutcome::Failed, "the check could not be completed", false},
    {CheckOutcome::Cancelled, "stopped by Cancel", false},
};

const OutcomeWords& words(CheckOutcome outcome) {
    for (const auto& w : kOutcomeWords)
        if (w.outcome == outcome) return w;
    return kOutcomeWords[0];
}

void append_args(std::vector<std::string>& argv, std::string_view args) {
    for (auto& a : text::split(args, ' ')) argv.push_back(std::move(a));
}

}  // namespace

const CheckerDef* CheckerFor(std::string_view fstype) {
    if (fstype.empty()) return nullptr;
    for (const auto& c : kCheckers)
        for (const auto& t : text::split(c.fstypes, ' '))
            if (t == fstype) return &c;
    return nullptr;
}

std::string CheckedFilesystems() {
    std::vector<std::string> all;
    for (const auto& c : kCheckers)
        for (auto& t : text::split(c.fstypes, ' ')) all.push_back(std::move(t));
    std::string out;
    for (const auto& t : all) out += (out.empty() ? "" : ", ") + t;
    return out;
}

CheckerPlan PlanChecker(const CheckerDef& c, const std::string& program_path,
                        const std::string& device, const CheckerOptions& o) {
    CheckerPlan plan;
    const std::string name(c.program);
    plan.argv.push_back(program_path);
    append_args(plan.argv, o.repair ? c.repair_args : c.check_args);
    if (!c.progress_args.empty()) {
        append_args(plan.argv, c.progress_args);
        plan.progress_on_fd3 = true;
    }
    if (o.verbose) {
        if (c.verbose_arg.empty())
            plan.notes.push_back("Verbose: " + name + " has no verbose mode; it runs as usual.");
        append_args(plan.argv, c.verbose_arg);
    }
    // A checker with a force switch checks a volume it takes as clean only when forced: without
    // it, it does "Drive is Dirty" itself. The others are asked by the caller's own dirty check.
    if (!o.only_if_dirty) append_args(plan.argv, c.force_arg);
    if (o.enhanced) {
        if (c.badblocks_arg.empty())
            plan.notes.push_back("Enhanced Scan: " + name +
                                 " offers no bad-block read; the check runs without it.");
        else if (!o.repair)
            plan.notes.push_back("Enhanced Scan: " + name +
                                 " reads the device for bad blocks only while repairing; this "
                                 "read-only check runs without it.");
        else
            append_args(plan.argv, c.badblocks_arg);
    }
    if (o.mounted && !o.repair) append_args(plan.argv, c.mounted_arg);
    plan.argv.push_back(device);
    return plan;
}

CheckOutcome OutcomeOf(const CheckerDef& c, bool repair, int status) {
    const Mode mode = repair ? Mode::Repair : Mode::Check;
    for (const auto& r : kExitRules) {
        if (r.program != c.program || (r.mode != Mode::Any && r.mode != mode)) continue;
        if (r.bits == 0 ? status == 0 : status > 0 && (status & r.bits) != 0) return r.outcome;
    }
    return CheckOutcome::Failed;
}

std::string OutcomeText(CheckOutcome outcome, std::string_view program, int exit_status) {
    std::string line = std::string(program) + ": " + std::string(words(outcome).text);
    if (outcome != CheckOutcome::Cancelled)
        line += exit_status < 0 ? " (ended by a signal)"
                                : " (exit status " + std::to_string(exit_status) + ")";
    return line + ".\n";
}

bool IsResult(CheckOutcome outcome) {
    return words(outcome).result;
}

}  // namespace bw

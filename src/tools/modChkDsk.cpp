#include "tools/modChkDsk.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "drives/DosApp.h"
#include "platform/prompt.h"
#include "tools/ChkDskText.h"
#include "tools/ChkDskVolume.h"

namespace bw {

namespace {

IChkDskSink* g_sink = nullptr;

// The sink is registered for exactly one check, whatever way it ends.
struct Registered {
    explicit Registered(IChkDskSink& sink) { g_sink = &sink; }
    ~Registered() { g_sink = nullptr; }
};

// Places the filesystem of `volume` is mounted (its mount point first).
std::vector<std::string> mount_points_of(const SystemQuery& query, const Volume& volume) {
    const auto mounts = query.mounts();
    std::vector<std::string> points{volume.mount_point};
    for (const auto& m : mounts) {
        if (m.target != volume.mount_point) continue;
        for (const auto& other : mounts)
            if (other.major == m.major && other.minor == m.minor && other.target != m.target &&
                std::find(points.begin(), points.end(), other.target) == points.end())
                points.push_back(other.target);
        break;
    }
    return points;
}

// One checker run: its output to Status line by line, its progress to Progress, Cancel read in
// every callback.
class CheckRun {
  public:
    CheckRun(IChkDskSink& sink, const CheckerDef& checker, bool repair)
        : sink_(sink), checker_(checker), repair_(repair), meter_(checker.program) {}

    void status(const std::string& text) {
        sink_.Status(text, cancel_);
        delivered_ = true;
    }

    CheckerExit run(CheckerHost& host, const CheckerPlan& plan) {
        CheckerEvents events;
        events.output = [this](std::string_view chunk) {
            for (const auto& line : pieces_.feed(chunk)) {
                meter_.feed_line(line);
                progress();
                status(line);
            }
        };
        events.progress = [this](std::string_view chunk) {
            meter_.feed_progress(chunk);
            progress();
        };
        events.poll = [this] { return poll(); };
        CheckerExit exit = host.run({plan.argv, plan.progress_on_fd3}, events);
        if (const std::string rest = pieces_.finish(); !rest.empty()) status(rest);
        return exit;
    }

    CheckOutcome outcome(const CheckerExit& exit) const {
        if (!exit.started) return CheckOutcome::Failed;
        if (stop_sent_ != CheckerStop::None && (exit.exit_status < 0 || stopped_by_itself(exit)))
            return CheckOutcome::Cancelled;
        return exit.exit_status < 0 ? CheckOutcome::Failed
                                    : OutcomeOf(checker_, repair_, exit.exit_status);
    }

    void finish_progress() {
        meter_.finish();
        progress();
    }

  private:
    bool stopped_by_itself(const CheckerExit& exit) const {
        return OutcomeOf(checker_, repair_, exit.exit_status) == CheckOutcome::Cancelled;
    }

    void progress() {
        if (meter_.value() <= shown_) return;
        shown_ = meter_.value();
        sink_.Progress(shown_, cancel_);
        delivered_ = true;
    }

    // Between reads: a quiet checker still gets its cancel read, through the unchanged percentage.
    CheckerStop poll() {
        if (!delivered_) sink_.Progress(shown_, cancel_);
        delivered_ = false;
        if (!cancel_) return CheckerStop::None;
        if (!repair_) return stop_sent_ = CheckerStop::Kill;
        if (checker_.program == "e2fsck") return stop_sent_ = CheckerStop::Interrupt;
        if (!told_letting_finish_) {
            told_letting_finish_ = true;
            status(std::string(checker_.program) +
                   " is repairing: it is let finish, since stopping a repair midway can leave "
                   "the volume worse than before.\n");
        }
        return CheckerStop::None;
    }

    IChkDskSink& sink_;
    const CheckerDef& checker_;
    bool repair_;
    ProgressMeter meter_;
    OutputPieces pieces_;
    bool cancel_ = false;
    bool delivered_ = false;
    bool told_letting_finish_ = false;
    std::int32_t shown_ = 0;
    CheckerStop stop_sent_ = CheckerStop::None;
};

// Ends a check that did not come to a checker's result.
ChkDskResult not_run(IChkDskSink& sink, const std::string& why) {
    bool cancel = false;
    sink.Status(why + "\n", cancel);
    bool error = true;
    sink.Done(error);
    return {true, false, CheckOutcome::Failed, false};
}

std::string command_text(const std::vector<std::string>& argv) {
    std::string out;
    for (const auto& a : argv) out += (out.empty() ? "" : " ") + a;
    return out;
}

// The line that tells how mounting a volume again went.
std::string mount_again(ChkDskMachine& machine, const std::string& drive,
                        const MountState& earlier) {
    const MountResult on = machine.mounts.mount_again(earlier);
    const std::string options = JoinMountOptions(earlier.options);
    if (on.ok) return drive + " mounted again at " + earlier.target + " (" + options + ").\n";
    return drive + " could not be mounted again (" + on.message + "). Mount it by hand: mount -o " +
           options + " " + earlier.source + " " + earlier.target + "\n";
}

// The volume taken off-line for its check, or why it stays mounted.
struct Offline {
    bool check = true;  // a check runs
    bool repair = false;
    std::optional<MountState> earlier;  // unmounted: mounted again as this afterwards
};

Offline take_offline(const Volume& volume, const CheckerDef& checker, const VolumeAccess& access,
                     ChkDskMachine& machine, const std::function<void(const std::string&)>& say) {
    Offline off{true, access.repair, std::nullopt};
    if (access.way != VolumeAccess::Way::Unmount) return off;
    const std::string drive = std::string(1, volume.letter) + ":";
    std::string kept;  // why it stays mounted
    if (!prompt().yes_no(UnmountQuestion(volume, access.repair), kChkDskTitle,
                         PromptIcon::Question)) {
        kept = drive + " stays mounted";
    } else {
        MountState state;
        const MountResult r = machine.mounts.unmount(volume.mount_point, &state);
        if (!r.ok) {
            kept = drive + " could not be unmounted (" + r.message + ")";
        } else {
            say(r.message + "\n");
            // Unmounted here is not free everywhere: another mount namespace may still hold it,
            // and a checker must never repair a file system that is in use.
            const std::string busy = machine.host.device_in_use("/dev/" + volume.device_name);
            if (busy.empty()) {
                off.earlier = state;
                return off;
            }
            say(mount_again(machine, drive, state));
            kept = busy;
        }
    }
    off.repair = false;
    if (!checker.checks_mounted) {
        off.check = false;
        say(kept + ", and " + std::string(checker.program) +
            " cannot check it mounted: not checked.\n");
    } else {
        say(kept + ": the check runs read-only; nothing is repaired.\n");
    }
    return off;
}

}  // namespace

bool ChkDskBusy() {
    return g_sink != nullptr;
}

ChkDskResult Chkdsk(std::string_view root, const ChkDskOptions& options, IChkDskSink& sink,
                    ChkDskMachine& machine) {
    if (ChkDskBusy()) return {};
    Registered registered(sink);
    const char letter =
        root.empty() ? '?' : static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    const std::string drive = std::string(1, letter) + ":";
    const Volume* found = machine.map.find(letter);
    if (!found || found->mount_point.empty())
        return not_run(sink, drive + " is not a mounted volume of this machine: nothing to check.");
    const Volume& volume = *found;
    const CheckerDef* checker = CheckerFor(volume.fstype);
    if (!checker)
        return not_run(sink, drive + " holds a filesystem of type " +
                                 (volume.fstype.empty() ? "unknown" : volume.fstype) +
                                 ", for which Brantwell has no checker (it checks " +
                                 CheckedFilesystems() + ").");
    const std::string program = machine.host.find_program(checker->program);
    if (program.empty())
        return not_run(
            sink, std::string(checker->program) + " is not installed: install the package " +
                      std::string(checker->package) + " to check " + volume.fstype + " volumes.");

    const auto say = [&sink](const std::string& text) {
        bool cancel = false;
        sink.Status(text, cancel);
    };
    // "Drive is Dirty" for a checker that cannot tell by itself: our own dirty check decides.
    if (options.only_if_dirty && checker->force_arg.empty()) {
        const DirtyResult dirty = CheckVolumeDirty(machine.query, volume);
        if (dirty.checked && !dirty.dirty) {
            say(drive +
                " is not marked dirty, so it is not checked (Drive is Dirty): No "
                "Problems recorded.\n");
            bool error = false;
            sink.Done(error);
            return {true, true, CheckOutcome::NoProblems, false};
        }
        say(drive +
            (dirty.checked ? " is marked dirty (" + dirty.detail + ")"
                           : " may be dirty (" + dirty.reason + ")") +
            ": it is checked.\n");
    }

    const VolumeAccess access =
        DecideAccess(volume, *checker, options.repair, mount_points_of(machine.query, volume),
                     machine.host.users_of(volume.mount_point));
    for (const auto& reason : access.reasons) say(reason + "\n");
    if (access.way == VolumeAccess::Way::NotRun) {
        bool error = true;
        sink.Done(error);
        return {true, false, CheckOutcome::Failed, false};
    }
    const Offline off = take_offline(volume, *checker, access, machine, say);
    if (!off.check) {
        bool error = true;
        sink.Done(error);
        return {true, false, CheckOutcome::Failed, false};
    }
    const bool repair = off.repair;
    const std::optional<MountState>& earlier = off.earlier;

    CheckRun checking(sink, *checker, repair);
    CheckerOptions copts{repair, options.verbose, options.only_if_dirty, options.enhanced,
                         !earlier.has_value()};
    const CheckerPlan plan = PlanChecker(*checker, program, "/dev/" + volume.device_name, copts);
    for (const auto& note : plan.notes) checking.status(note + "\n");
    checking.status("Running " + command_text(plan.argv) + "\n");
    const CheckerExit exit = checking.run(machine.host, plan);
    if (!exit.started) checking.status(exit.error + "\n");
    const CheckOutcome outcome = checking.outcome(exit);
    if (IsResult(outcome)) checking.finish_progress();
    checking.status(OutcomeText(outcome, checker->program, exit.exit_status));

    if (earlier) checking.status(mount_again(machine, drive, *earlier));
    bool error = !IsResult(outcome);
    sink.Done(error);
    return {true, true, outcome, repair};
}

ChkDskMachine& live_chkdsk_machine() {
    static Mounts mounts(Sysroot("/"), live_mount_runner());
    static ChkDskMachine machine{live_checker_host(), mounts, system_query(), volume_map()};
    return machine;
}

}  // namespace bw

#include "platform/Mounts.h"

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"

namespace bw {

namespace {

// Options of the kernel's generic mount flags; "rw" and the default atime mode set no bit.
struct FlagOption {
    std::string_view name;
    unsigned long flag;
};
inline constexpr FlagOption kFlagOptions[] = {
    {"ro", MS_RDONLY},
    {"rw", 0},
    {"nosuid", MS_NOSUID},
    {"nodev", MS_NODEV},
    {"noexec", MS_NOEXEC},
    {"sync", MS_SYNCHRONOUS},
    {"dirsync", MS_DIRSYNC},
    {"mand", MS_MANDLOCK},
    {"noatime", MS_NOATIME},
    {"nodiratime", MS_NODIRATIME},
    {"relatime", MS_RELATIME},
    {"strictatime", MS_STRICTATIME},
    {"lazytime", MS_LAZYTIME},
    {"async", 0},
    {"suid", 0},
    {"dev", 0},
    {"exec", 0},
    {"atime", 0},
};

// Options that exclude each other: setting one drops the others of its group.
inline constexpr std::string_view kExclusiveGroups[][3] = {
    {"ro", "rw", ""},
    {"discard", "nodiscard", ""},
    {"noatime", "relatime", "strictatime"},
    {"sync", "async", ""},
};

bool contradicts(std::string_view a, std::string_view b) {
    for (const auto& group : kExclusiveGroups) {
        const auto in = [&](std::string_view name) {
            return !name.empty() &&
                   std::find(std::begin(group), std::end(group), name) != std::end(group);
        };
        if (in(a) && in(b)) return true;
    }
    return a == b;
}

struct OpWords {
    MountCall::Op op;
    std::string_view verb, gerund;
};
inline constexpr OpWords kOpWords[] = {
    {MountCall::Op::Mount, "mount", "mounting"},
    {MountCall::Op::Remount, "remount", "remounting"},
    {MountCall::Op::Unmount, "umount", "unmounting"},
};

const OpWords& words(MountCall::Op op) {
    for (const auto& w : kOpWords)
        if (w.op == op) return w;
    return kOpWords[0];
}

const KernelFsDef& kernel_fs(KernelFs fs) {
    for (const auto& k : kKernelFilesystems)
        if (k.fs == fs) return k;
    return kKernelFilesystems[0];
}

class LiveMountRunner : public MountRunner {
  public:
    int run(const MountCall& c) override {
        int rc = 0;
        if (c.op == MountCall::Op::Unmount)
            rc = ::umount2(c.target.c_str(), 0);
        else
            rc = ::mount(c.source.empty() ? nullptr : c.source.c_str(), c.target.c_str(),
                         c.fstype.empty() ? nullptr : c.fstype.c_str(), c.flags,
                         c.data.empty() ? nullptr : c.data.c_str());
        return rc == 0 ? 0 : errno;
    }
    bool acts_on_machine() const override { return true; }
};

}  // namespace

MountRunner& live_mount_runner() {
    static LiveMountRunner runner;
    return runner;
}

std::vector<std::string> SplitMountOptions(std::string_view text) {
    return text::split(text, ',');
}

std::string JoinMountOptions(const std::vector<std::string>& options) {
    return text::join_nonempty(options, ',');
}

std::vector<std::string> ApplyMountOptions(std::vector<std::string> options,
                                           const std::vector<std::string>& changes) {
    for (const auto& change : changes) {
        if (change.empty()) continue;
        auto first = std::find_if(options.begin(), options.end(),
                                  [&](const std::string& o) { return contradicts(o, change); });
        if (first == options.end()) {
            options.push_back(change);
            continue;
        }
        *first = change;
        options.erase(std::remove_if(std::next(first), options.end(),
                                     [&](const std::string& o) { return contradicts(o, change); }),
                      options.end());
    }
    return options;
}

MountCall MountCallFor(MountCall::Op op, const MountState& state) {
    MountCall call;
    call.op = op;
    call.target = state.target;
    if (op == MountCall::Op::Unmount) return call;
    if (op == MountCall::Op::Mount) {
        call.source = state.source;
        call.fstype = state.fstype;
    } else {
        call.flags = MS_REMOUNT;
    }
    std::vector<std::string> data;
    for (const auto& option : state.options) {
        const auto flag = std::find_if(std::begin(kFlagOptions), std::end(kFlagOptions),
                                       [&](const FlagOption& f) { return f.name == option; });
        if (flag != std::end(kFlagOptions))
            call.flags |= flag->flag;
        else
            data.push_back(option);
    }
    call.data = JoinMountOptions(data);
    return call;
}

Mounts::Mounts(Sysroot root, MountRunner& runner) : root_(std::move(root)), runner_(runner) {}

std::optional<MountState> Mounts::find(std::string_view mount_point) const {
    std::optional<MountState> found;
    for (const auto& m : SystemQuery(root_).mounts()) {
        if (m.target != mount_point) continue;
        found = MountState{m.source, m.target, m.fstype, SplitMountOptions(m.options)};
    }
    return found;
}

bool Mounts::has_option(std::string_view mount_point, std::string_view option) const {
    const auto m = find(mount_point);
    return m && std::find(m->options.begin(), m->options.end(), option) != m->options.end();
}

bool Mounts::is_mounted(KernelFs fs) const {
    return root_.exists(kernel_fs(fs).witness);
}

std::optional<MountResult> Mounts::refused() const {
    if (runner_.acts_on_machine() && !root_.is_live())
        return MountResult{false, "not the running system: nothing mounted"};
    return std::nullopt;
}

MountResult Mounts::run(const MountCall& call, std::string done) {
    if (auto no = refused()) return *no;
    const int err = runner_.run(call);
    if (err == 0) return {true, std::move(done)};
    const OpWords& w = words(call.op);
    std::string message = std::string(w.verb) + ": " + std::strerror(err);
    if (err == EPERM) message += " (" + std::string(w.gerund) + " needs root)";
    return {false, message};
}

MountResult Mounts::mount_kernel_fs(KernelFs fs) {
    const KernelFsDef& k = kernel_fs(fs);
    MountCall call;
    call.source = std::string(k.fstype);
    call.target = std::string(k.target);
    call.fstype = std::string(k.fstype);
    return run(call, call.target + " mounted");
}

MountResult Mounts::remount(std::string_view mount_point, const std::vector<std::string>& changes) {
    auto state = find(mount_point);
    if (!state) return {false, std::string(mount_point) + " is not mounted"};
    state->options = ApplyMountOptions(std::move(state->options), changes);
    return run(MountCallFor(MountCall::Op::Remount, *state),
               state->target + " remounted " + JoinMountOptions(state->options));
}

MountResult Mounts::remount_flags(std::string_view mount_point,
                                  const std::vector<std::string>& changes) {
    auto state = find(mount_point);
    if (!state) return {false, std::string(mount_point) + " is not mounted"};
    state->options = ApplyMountOptions(std::move(state->options), changes);
    MountCall call = MountCallFor(MountCall::Op::Remount, *state);
    call.flags |= MS_BIND;
    call.data.clear();
    return run(call, state->target + " remounted " + JoinMountOptions(changes));
}

MountResult Mounts::unmount(std::string_view mount_point, MountState* earlier) {
    const auto state = find(mount_point);
    if (!state) return {false, std::string(mount_point) + " is not mounted"};
    MountResult result =
        run(MountCallFor(MountCall::Op::Unmount, *state), state->target + " unmounted");
    if (result.ok && earlier) *earlier = *state;
    return result;
}

MountResult Mounts::mount_again(const MountState& earlier) {
    return run(MountCallFor(MountCall::Op::Mount, earlier),
               earlier.source + " mounted at " + earlier.target);
}

}  // namespace bw

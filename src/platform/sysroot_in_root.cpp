// Opening a path beneath a fixture root so that no link leads out of it: a fixture given with
// --sysroot may be anyone's, and the program runs as root.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"
#include "platform/sysroot.h"

namespace bw {

namespace {

// The kernel's limit on links followed in one lookup; a fixture with a loop of links ends here.
constexpr int kMaxLinkHops = 40;
// Lookups tried again when the kernel saw the tree change under them.
constexpr int kLookupAttempts = 8;

// Names of a path in order, without "" and ".".
std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> names;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (!name.empty() && name != ".") names.emplace_back(name);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return names;
}

// The folder at `names` beneath the root, opened one link-free step at a time.
UniqueFd open_folder(int root_fd, const std::vector<std::string>& names, std::size_t count) {
    UniqueFd dir(::openat(root_fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (std::size_t i = 0; i < count && dir.ok(); ++i)
        dir.reset(::openat(dir.get(), names[i].c_str(),
                           O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return dir;
}

// The same rules as RESOLVE_IN_ROOT: ".." stops at the root, an absolute link target starts
// again at the root. Every step is opened with O_NOFOLLOW, so a link put in place after it was
// looked at is refused (ELOOP) instead of followed.
int walk_in_root(int root_fd, std::string_view abs, int flags) {
    std::vector<std::string> todo = components(abs);
    std::vector<std::string> done;
    int hops = 0;
    for (std::size_t next = 0; next < todo.size();) {
        const std::string name = todo[next++];
        if (name == "..") {
            if (!done.empty()) done.pop_back();
            continue;
        }
        const UniqueFd parent = open_folder(root_fd, done, done.size());
        if (!parent.ok()) return -1;
        std::string target(4096, '\0');
        const ssize_t n = ::readlinkat(parent.get(), name.c_str(), target.data(), target.size());
        if (n < 0) {  // not a link (or not there: the final open says which)
            done.push_back(name);
            continue;
        }
        if (++hops > kMaxLinkHops) {
            errno = ELOOP;
            return -1;
        }
        target.resize(static_cast<std::size_t>(n));
        if (!target.empty() && target.front() == '/') done.clear();
        std::vector<std::string> rest = components(target);
        rest.insert(rest.end(), todo.begin() + static_cast<std::ptrdiff_t>(next), todo.end());
        todo = std::move(rest);
        next = 0;
    }
    if (done.empty()) return ::openat(root_fd, ".", flags | O_CLOEXEC);
    const UniqueFd parent = open_folder(root_fd, done, done.size() - 1);
    if (!parent.ok()) return -1;
    return ::openat(parent.get(), done.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

int Sysroot::open_in_root(int root_fd, std::string_view abs, int flags, InRoot how) {
    if (how == InRoot::kernel) {
        open_how spec{};
        spec.flags = static_cast<unsigned>(flags | O_CLOEXEC);
        spec.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
        const std::string rel = "./" + std::string(abs);  // "//x" would be absolute
        long fd = -1;
        // EAGAIN: a rename in the tree raced the lookup, which the kernel then refuses to trust.
        for (int attempt = 0; attempt < kLookupAttempts; ++attempt)
            if ((fd = ::syscall(SYS_openat2, root_fd, rel.c_str(), &spec, sizeof spec)) >= 0 ||
                errno != EAGAIN)
                break;
        if (fd >= 0 || errno != ENOSYS) return static_cast<int>(fd);
    }
    return walk_in_root(root_fd, abs, flags);
}

}  // namespace bw

#include "platform/sysroot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/UniqueFd.h"

namespace bw {

namespace fs = std::filesystem;

Sysroot::Sysroot(fs::path root) : root_(std::move(root)) {}

fs::path Sysroot::path(std::string_view abs) const {
    std::string_view rel = abs;
    while (!rel.empty() && rel.front() == '/') rel.remove_prefix(1);
    if (is_live()) return fs::path("/") / std::string(rel);
    return root_ / std::string(rel);
}

int Sysroot::open(std::string_view abs, int flags) const {
    if (is_live()) return ::open(path(abs).c_str(), flags | O_CLOEXEC);
    const UniqueFd root(::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!root.ok()) return -1;
    return open_in_root(root.get(), abs, flags, InRoot::kernel);
}

std::optional<std::string> Sysroot::read(std::string_view abs, std::string* error) const {
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (error) *error = std::string(abs) + ": " + why;
        return std::nullopt;
    };
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer that never comes.
    const UniqueFd fd(open(abs, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) return fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return fail("not a regular file");
    // /proc and /sys files tell no size (st_size is 0 or a page), so the cap is counted as read.
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(std::string("read error: ") + std::strerror(errno));
        if (n == 0) return text;
        if (text.size() + static_cast<std::size_t>(n) > kSysrootReadCap)
            return fail("larger than " + std::to_string(kSysrootReadCap >> 20) + " MiB");
        text.append(buf, static_cast<std::size_t>(n));
    }
}

std::string Sysroot::read_line(std::string_view abs) const {
    auto text = read(abs);
    if (!text) return {};
    std::string line = text->substr(0, text->find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}

bool Sysroot::exists(std::string_view abs) const {
    return UniqueFd(open(abs, O_PATH)).ok();
}

bool Sysroot::is_dir(std::string_view abs) const {
    return UniqueFd(open(abs, O_PATH | O_DIRECTORY)).ok();
}

std::vector<std::string> Sysroot::list(std::string_view abs) const {
    std::vector<std::string> names;
    UniqueFd fd(open(abs, O_RDONLY | O_DIRECTORY));
    if (!fd.ok()) return names;
    DIR* dir = ::fdopendir(fd.get());
    if (dir == nullptr) return names;
    fd.release();  // the DIR owns it now
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Sysroot::read_link(std::string_view abs) const {
    // The folder is resolved beneath the root; the last name is the link itself, not followed.
    const fs::path whole = fs::path(std::string(abs)).lexically_normal();
    const std::string name = whole.filename().string();
    if (name.empty() || name == "..") return std::nullopt;
    const UniqueFd parent(open(whole.parent_path().string(), O_PATH | O_DIRECTORY));
    if (!parent.ok()) return std::nullopt;
    std::string target(4096, '\0');
    const ssize_t n = ::readlinkat(parent.get(), name.c_str(), target.data(), target.size());
    if (n < 0) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    return target;
}

std::optional<std::string> Sysroot::resolve(std::string_view abs) const {
    // Walk the path one component at a time, following links lexically so that a fixture's
    // relative links ("../../devices/...") stay inside the fixture.
    fs::path done = "/";
    fs::path rest = fs::path(std::string(abs)).lexically_normal();
    int hops = 0;
    std::vector<fs::path> parts(rest.begin(), rest.end());
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& part = parts[i];
        if (part == "/" || part.empty()) continue;
        fs::path next = (done / part).lexically_normal();
        if (auto target = read_link(next.string())) {
            if (++hops > 40) return std::nullopt;
            fs::path t(*target);
            fs::path joined = t.is_absolute() ? t : (done / t);
            // Re-walk the joined path plus the remaining parts.
            for (size_t j = i + 1; j < parts.size(); ++j) joined /= parts[j];
            const fs::path normal = joined.lexically_normal();
            parts.assign(normal.begin(), normal.end());
            done = "/";
            i = static_cast<size_t>(-1);
            continue;
        }
        done = next;
    }
    if (!exists(done.string())) return std::nullopt;
    return done.string();
}

}  // namespace bw

#include "platform/sysroot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace bw {

namespace fs = std::filesystem;

Sysroot::Sysroot(fs::path root) : root_(std::move(root)) {}

fs::path Sysroot::path(std::string_view abs) const {
    std::string_view rel = abs;
    while (!rel.empty() && rel.front() == '/') rel.remove_prefix(1);
    if (is_live()) return fs::path("/") / std::string(rel);
    return root_ / std::string(rel);
}

std::optional<std::string> Sysroot::read(std::string_view abs, std::string* error) const {
    std::ifstream in(path(abs), std::ios::binary);
    if (!in) {
        if (error) *error = std::string(abs) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) {
        if (error) *error = std::string(abs) + ": read error";
        return std::nullopt;
    }
    return out.str();
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
    std::error_code ec;
    return fs::exists(path(abs), ec);
}

bool Sysroot::is_dir(std::string_view abs) const {
    std::error_code ec;
    return fs::is_directory(path(abs), ec);
}

std::vector<std::string> Sysroot::list(std::string_view abs) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path(abs), ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Sysroot::read_link(std::string_view abs) const {
    std::error_code ec;
    auto target = fs::read_symlink(path(abs), ec);
    if (ec) return std::nullopt;
    return target.string();
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

// The indexing service = the desktop's file indexer. The ones Debian ships run as systemd user
// services for every desktop session; switching one off for all users is masking it globally (a
// link to /dev/null in /etc/systemd/user, as `systemctl --global mask` makes), and switching it
// on again removes that link. Sessions already running keep their indexer until they end.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/TweakAdapters.h"

namespace bw::tweak {
namespace {

inline constexpr std::string_view kIndexerUnits[] = {
    "tracker-miner-fs-3.service",  // GNOME 40 and later
    "tracker-miner-fs.service",    // GNOME 3
    "kde-baloo.service",           // KDE Plasma
};
inline constexpr std::string_view kUnitFolders[] = {"/usr/lib/systemd/user/", "/lib/systemd/user/"};
inline constexpr std::string_view kMaskFolder = "/etc/systemd/user";
inline constexpr std::string_view kMaskTarget = "/dev/null";

std::string failure(int err) {
    std::string text = std::strerror(err);
    if (err == EACCES || err == EPERM || err == EROFS)
        text += " (switching the file indexer needs root)";
    return text;
}

class FileIndexer : public TweakAdapter {
  public:
    explicit FileIndexer(const TweakMachine& m) : root_(m.root) {}

    TweakReading read() const override {
        const TweakSnapshot found = capture();
        if (found.empty()) return {std::nullopt, "no desktop file indexer installed"};
        // On while any indexer may still start.
        std::uint32_t level = 0;
        for (const auto& u : found)
            if (u.value != "masked") level = 1;
        return {level, list_objects(found)};
    }

    std::vector<TweakChange> write(std::uint32_t level) override {
        std::vector<TweakChange> changes;
        for (const auto& u : capture()) {
            if ((u.value == "masked") == (level == 0)) continue;
            changes.push_back(set(u, level == 0 ? "masked" : "enabled"));
        }
        return changes;
    }

    TweakSnapshot capture() const override {
        TweakSnapshot found;
        for (const auto unit : kIndexerUnits) {
            bool installed = false;
            for (const auto folder : kUnitFolders)
                installed = installed || root_.exists(std::string(folder) + std::string(unit));
            if (installed)
                found.push_back({std::string(unit), masked(unit) ? "masked" : "enabled"});
        }
        return found;
    }

    std::vector<TweakChange> put_back(const TweakSnapshot& saved) override {
        return put_back_changed(saved, capture(), [&](const TweakSaved& now, const std::string& v) {
            return set(now, v);
        });
    }

  private:
    std::string mask_link(std::string_view unit) const {
        return std::string(kMaskFolder) + "/" + std::string(unit);
    }

    bool masked(std::string_view unit) const {
        return root_.read_link(mask_link(unit)) == std::string(kMaskTarget);
    }

    // The mask folder as a real folder beneath the root (made when missing), never through a link.
    std::optional<std::string> mask_folder(std::string* why) const {
        const std::string host = root_.path(kMaskFolder).string();
        if (!root_.exists(kMaskFolder) && ::mkdir(host.c_str(), 0755) != 0 && errno != EEXIST) {
            *why = std::string(kMaskFolder) + ": " + failure(errno);
            return std::nullopt;
        }
        struct stat st {};
        if (root_.resolve(kMaskFolder) != std::string(kMaskFolder) ||
            ::lstat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            *why = std::string(kMaskFolder) + " is not a plain folder";
            return std::nullopt;
        }
        return host;
    }

    TweakChange set(const TweakSaved& now, const std::string& state) const {
        TweakChange c{now.object, false, {}};
        std::string why;
        const auto folder = mask_folder(&why);
        if (!folder) {
            c.message = why;
            return c;
        }
        const std::string link = *folder + "/" + now.object;
        if (state == "masked") {
            if (::symlink(std::string(kMaskTarget).c_str(), link.c_str()) != 0) {
                c.message = failure(errno);
                return c;
            }
        } else if (masked(now.object) && ::unlink(link.c_str()) != 0) {
            c.message = failure(errno);
            return c;
        }
        c.ok = true;
        c.message = now.value + " -> " + state;
        return c;
    }

    Sysroot root_;
};

}  // namespace

std::unique_ptr<TweakAdapter> file_indexer(const TweakMachine& machine) {
    return std::make_unique<FileIndexer>(machine);
}

}  // namespace bw::tweak

#include "platform/KernelSwitches.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/UniqueFd.h"

namespace bw {

namespace {

const KernelSwitchDef& def_of(KernelSwitch which) {
    for (const auto& d : kKernelSwitches)
        if (d.which == which) return d;
    return kKernelSwitches[0];
}

// An object is one folder name: a disk or a host, never a way up or down the tree.
bool plain_name(std::string_view object) {
    return !object.empty() && object != "." && object != ".." &&
           object.find('/') == std::string_view::npos &&
           object.find('\0') == std::string_view::npos;
}

std::string failure(int err, const KernelSwitchDef& def, bool writing) {
    std::string text = std::strerror(err);
    if (writing && (err == EACCES || err == EPERM))
        text += " (switching " + std::string(def.what) + " needs root)";
    return text;
}

}  // namespace

KernelSwitches::KernelSwitches(Sysroot root) : root_(std::move(root)) {}

std::string KernelSwitches::path_of(KernelSwitch which, std::string_view object) {
    const KernelSwitchDef& def = def_of(which);
    return std::string(def.folder) + std::string(object) + std::string(def.file);
}

SwitchResult KernelSwitches::read(KernelSwitch which, std::string_view object) const {
    return access(which, object, nullptr);
}

SwitchResult KernelSwitches::write(KernelSwitch which, std::string_view object,
                                   std::string_view value) const {
    const std::string line = std::string(value) + "\n";
    return access(which, object, &line);
}

SwitchResult KernelSwitches::access(KernelSwitch which, std::string_view object,
                                    const std::string* value) const {
    const KernelSwitchDef& def = def_of(which);
    const std::string path = path_of(which, object);
    SwitchResult r;
    if (!plain_name(object)) {
        r.error = "\"" + std::string(object) + "\" is not a device name";
        return r;
    }
    // Links are followed within the sysroot; the file that is opened is the one they lead to.
    const auto resolved = root_.resolve(path);
    if (!resolved) {
        r.error = path + " does not exist";
        return r;
    }
    const std::string_view tree = def.folder.starts_with("/proc/sys/") ? "/proc/sys/" : "/sys/";
    if (!resolved->starts_with(tree)) {
        r.error = path + " leads out of " + std::string(tree.substr(0, tree.size() - 1));
        return r;
    }
    const std::string host = root_.path(*resolved).string();
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = path + " is not a regular file";
        return r;
    }
    // O_TRUNC as a shell redirect has it: the kernel ignores it, a fixture file loses its old tail.
    const int flags = (value ? O_WRONLY | O_TRUNC : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    UniqueFd fd(::open(host.c_str(), flags));
    if (!fd.ok()) {
        r.error = failure(errno, def, value != nullptr);
        return r;
    }
    // Checked again on what was opened: the tree may have changed since the look above.
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = path + " is not a regular file";
        return r;
    }
    if (value) {
        const ssize_t n = ::write(fd.get(), value->data(), value->size());
        if (n != static_cast<ssize_t>(value->size())) {
            r.error = failure(n < 0 ? errno : EIO, def, true);
            return r;
        }
        r.ok = true;
        return r;
    }
    char buf[256];
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
        r.error = failure(errno, def, false);
        return r;
    }
    r.value.assign(buf, static_cast<size_t>(n));
    r.value = r.value.substr(0, r.value.find('\n'));
    r.ok = true;
    return r;
}

}  // namespace bw

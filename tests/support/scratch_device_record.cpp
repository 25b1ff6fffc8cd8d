#include "support/scratch_device_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kZramControl = "/sys/class/zram-control/hot_remove";

// Field 22 of /proc/PID/stat: when the process started, in clock ticks since boot. 0 when the
// process is gone.
unsigned long long process_start(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');  // the name may hold spaces and brackets
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    // Field 3 (the state) is the first after the name; the start time is field 22.
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    unsigned long long start = 0;
    fields >> start;
    return start;
}

// Writes a sysfs attribute; false with the kernel's refusal (EBUSY for a device still open).
bool write_sys(const std::string& path, const std::string& value) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, value.data(), value.size()) == static_cast<ssize_t>(value.size());
    ::close(fd);
    return ok;
}

bool retry_for(std::chrono::milliseconds total, const std::function<bool()>& step) {
    const auto until = std::chrono::steady_clock::now() + total;
    for (;;) {
        if (step()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void unmount_folder(const fs::path& point, std::vector<std::string>& left) {
    if (scratch_mounted(point) && !retry_for(std::chrono::seconds(2), [&] {
            return run_shell("umount " + point.string()) == 0;
        })) {
        // Still held (a process of the test that outlived it): detach it, so nothing new finds
        // it and its folder can go; the device is freed once the last holder ends.
        run_shell("umount -l " + point.string());
    }
    std::error_code ec;
    fs::remove(point, ec);
    if (fs::exists(point, ec)) left.push_back(point.string() + " could not be removed");
}

// The device is still the one recorded: a name freed and made again has a new sequence number.
bool same_device(const ScratchRecord& r) {
    return r.diskseq != 0 && device_diskseq(fs::path(r.device).filename().string()) == r.diskseq;
}

void release_zram(const ScratchRecord& r, std::vector<std::string>& left) {
    const std::string sys = "/sys/block/zram" + std::to_string(r.zram_index);
    if (!same_device(r)) return;  // already removed, maybe made again by someone else since
    if (!retry_for(std::chrono::seconds(3), [&] { return write_sys(sys + "/reset", "1"); })) {
        left.push_back(r.device + " is still held open, so it was not reset");
        return;
    }
    // zram0 is the system's own: it is only emptied, never removed.
    if (r.zram_index > 0 && !write_sys(kZramControl, std::to_string(r.zram_index)))
        left.push_back(r.device + " could not be removed (hot_remove)");
}

void release_loop(const ScratchRecord& r, std::vector<std::string>& left) {
    const fs::path backing =
        "/sys/block/" + fs::path(r.device).filename().string() + "/loop/backing_file";
    if (!same_device(r) || !fs::exists(backing)) return;  // detached already, maybe reused since
    if (r.partitioned) run_shell("partx -d " + r.device);
    run_shell("losetup -d " + r.device);
    // losetup -d on a device still open only marks it to go at the last close.
    if (!retry_for(std::chrono::seconds(2), [&] { return !fs::exists(backing); }))
        left.push_back(r.device + " is still held open, so it was not detached");
}

const std::regex kDevice(R"(/dev/(zram|loop)([0-9]+))");

bool rig_path(const fs::path& p, const char* prefix) {
    const std::string name = p.filename().string();
    return p.is_absolute() && name.rfind(prefix, 0) == 0 && p.lexically_normal() == p &&
           p.string().find("/../") == std::string::npos;
}

fs::path record_folder() {
    return scratch_base() / ("bwscratch-" + std::to_string(::geteuid()));
}

// The folder exists, is a real folder of this user's and nobody else may enter it.
bool private_folder(const fs::path& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

bool scratch_mounted(const fs::path& point) {
    std::ifstream in("/proc/self/mounts");
    for (std::string dev, at, rest; in >> dev >> at && std::getline(in, rest);)
        if (at == point.string()) return true;
    return false;
}

ScratchRecord own_scratch_record() {
    ScratchRecord r;
    r.pid = ::getpid();
    r.start = process_start(r.pid);
    return r;
}

std::string format_scratch_record(const ScratchRecord& r) {
    std::ostringstream out;
    out << "pid " << r.pid << " " << r.start << "\n";
    if (!r.device.empty()) out << "device " << r.device << " " << r.diskseq << "\n";
    if (r.partitioned) out << "partitioned\n";
    for (const auto& m : r.mounts) out << "mount " << m.string() << "\n";
    if (!r.image.empty()) out << "image " << r.image.string() << "\n";
    if (r.ended) out << "ended\n";
    return out.str();
}

bool parse_scratch_record(const std::string& text, ScratchRecord* r) {
    *r = {};
    std::istringstream lines(text);
    bool has_pid = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string key, value;
        in >> key;
        std::getline(in >> std::ws, value);
        std::smatch m;
        if (key == "pid") {
            std::istringstream v(value);
            has_pid = static_cast<bool>(v >> r->pid >> r->start) && r->pid > 0;
        } else if (key == "device") {
            std::istringstream v(value);
            std::string device;
            if (!(v >> device >> r->diskseq) || !std::regex_match(device, m, kDevice)) return false;
            r->device = device;
            if (m[1] == "zram") r->zram_index = std::stoi(m[2]);
        } else if (key == "partitioned" && value.empty()) {
            r->partitioned = true;
        } else if (key == "ended" && value.empty()) {
            r->ended = true;
        } else if (key == "mount" && rig_path(value, "bwmnt.") &&
                   fs::path(value).parent_path() == scratch_base()) {
            r->mounts.emplace_back(value);
        } else if (key == "image" && rig_path(value, "bwloop.")) {
            r->image = value;
        } else if (!line.empty()) {
            return false;  // a line the rig does not write: follow nothing of it
        }
    }
    return has_pid;
}

bool scratch_owner_alive(const ScratchRecord& r) {
    return r.pid > 0 && process_start(r.pid) == r.start && r.start != 0;
}

fs::path new_scratch_record_path() {
    static std::atomic<int> count{0};
    const fs::path folder = record_folder();
    ::mkdir(folder.c_str(), 0700);
    if (!private_folder(folder)) return {};
    return folder / (std::to_string(::getpid()) + "-" + std::to_string(++count));
}

unsigned long long device_diskseq(const std::string& device_name) {
    std::ifstream in("/sys/block/" + device_name + "/diskseq");
    unsigned long long seq = 0;
    in >> seq;
    return in ? seq : 0;
}

bool save_scratch_record(const fs::path& path, const ScratchRecord& r) {
    if (path.empty()) return false;
    const fs::path tmp = path.string() + ".new";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << format_scratch_record(r);
        if (!out.flush()) return false;
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    return !ec;
}

bool release_scratch(const ScratchRecord& r, std::string* left) {
    std::vector<std::string> problems;
    for (const auto& m : r.mounts) unmount_folder(m, problems);
    if (r.zram_index >= 0) release_zram(r, problems);
    if (r.device.rfind("/dev/loop", 0) == 0) release_loop(r, problems);
    std::error_code ec;
    if (!r.image.empty()) fs::remove(r.image, ec);
    if (left) {
        left->clear();
        for (const auto& p : problems) *left += (left->empty() ? "" : "; ") + p;
    }
    return problems.empty();
}

std::string sweep_stale_scratch() {
    const fs::path folder = record_folder();
    if (!private_folder(folder)) return {};
    std::vector<std::pair<fs::path, ScratchRecord>> records;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ".new") continue;  // a record being written
        std::ifstream in(entry.path());
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ScratchRecord r;
        if (entry.is_regular_file(ec) && parse_scratch_record(text, &r))
            records.emplace_back(entry.path(), r);
    }
    std::string report;
    for (const auto& [path, r] : records) {
        if (!r.ended && scratch_owner_alive(r)) continue;
        // A device that a running process has recorded since is that process's now.
        bool taken = false;
        for (const auto& [other_path, other] : records)
            taken = taken || (other_path != path && other.device == r.device && !other.ended &&
                              scratch_owner_alive(other));
        std::string left;
        if (!taken && !release_scratch(r, &left)) {
            report += (report.empty() ? "" : "; ") + left;
            continue;
        }
        fs::remove(path, ec);
    }
    return report;
}

}  // namespace bw::test

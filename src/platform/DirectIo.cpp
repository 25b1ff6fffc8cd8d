#include "platform/DirectIo.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/SettingsFile.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMinAlign = 4096;
constexpr std::size_t kPage = 4096;

// --- Random data ---

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

std::uint64_t splitmix(std::uint64_t& s) {
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t fallback_seed() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(::getpid()) ^ static_cast<std::uint64_t>(ts.tv_nsec) ^
           (static_cast<std::uint64_t>(ts.tv_sec) << 32);
}

// --- Opening ---

std::string errno_reason(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

std::string no_direct_io(const fs::path& path) {
    return "The file system of " + path.parent_path().string() +
           " does not allow direct I/O, so it cannot be tested honestly.";
}

std::uint64_t read_number(const fs::path& p) {
    std::ifstream in(p);
    std::uint64_t v = 0;
    in >> v;
    return in ? v : 0;
}

std::uint64_t sysfs_logical_block(dev_t dev) {
    std::string base =
        "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    // A partition has no queue of its own: its disk's is one folder up.
    for (const char* rel : {"/queue/logical_block_size", "/../queue/logical_block_size"})
        if (std::uint64_t v = read_number(base + rel)) return v;
    return 0;
}

std::optional<OpenTarget> finish_open(UniqueFd fd, std::uint64_t size) {
    OpenTarget t;
    t.align = direct_io_align(fd.get());
    t.size = size;
    t.fd = std::move(fd);
    return t;
}

// --- Trust ---

std::string known_names() {
    std::string names;
    for (std::string_view name : kTestFileNames)
        names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

std::string untrusted_reason(const struct stat& st, const fs::path& path) {
    // Each rule: what makes the file untrusted, and what the reason says.
    struct Rule {
        bool bad;
        const char* why;
    };
    const Rule rules[] = {
        {!S_ISREG(st.st_mode), "is not a regular file"},
        {st.st_uid != ::geteuid(), "belongs to another user"},
        {(st.st_mode & (S_IWGRP | S_IWOTH)) != 0, "may be written by other users"},
        {st.st_nlink != 1, "has another name (a hard link)"},
    };
    for (const Rule& rule : rules)
        if (rule.bad) return path.string() + " " + rule.why + ", so Brantwell does not use it.";
    return "";
}

// --- The record ---

bool owned_regular_file(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

// Held while the record is read and rewritten: the exclusive lock of the working folder that the
// settings files' writers take too, so no lock file is left behind. Without the folder there is no
// record to guard.
UniqueFd lock_record(const fs::path& working_folder) {
    std::string no_folder;
    return settings_file::lock_exclusive(working_folder / kTestFileRecord, &no_folder);
}

// "" when the record now names exactly `paths` (no record at all for none), else the reason. The
// record is replaced whole, so a tester killed while writing it leaves the old one.
std::string write_record(const fs::path& working_folder, const std::vector<std::string>& paths) {
    const fs::path record = working_folder / kTestFileRecord;
    if (paths.empty())
        return ::unlink(record.c_str()) == 0 || errno == ENOENT ? "" : std::strerror(errno);
    std::string text;
    for (const auto& p : paths) text += p + "\n";
    const settings_file::FileFacts mode_0600{0600, 0, 0};
    std::string error;
    return settings_file::replace(record, text, &mode_0600, &error) ? "" : error;
}

// The paths the record names; none when it is missing or is not trusted (it is then replaced or
// removed as a whole, never followed). Lines without a test file's name are dropped. `refused`,
// when given, says why the record or a line of it was not followed.
std::vector<std::string> read_record(const fs::path& working_folder,
                                     std::string* refused = nullptr) {
    std::vector<std::string> paths;
    const fs::path record = working_folder / kTestFileRecord;
    std::string text, error = untrusted_file_reason(record);
    constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;
    const auto loaded = error.empty()
                            ? settings_file::load(record, text, kMaxRecordBytes, nullptr, &error)
                            : settings_file::Load::Failed;
    if (loaded == settings_file::Load::Missing) error.clear();
    if (loaded == settings_file::Load::Ok) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) continue;
            if (is_test_file_name(line))
                paths.push_back(line);
            else if (error.empty())
                error = record.string() + " names " + line +
                        ", which is not a test file, so Brantwell does not delete it.";
        }
    }
    if (refused) *refused = error;
    return paths;
}

}  // namespace

// --- Trust ---

bool is_test_file_name(const fs::path& path) {
    if (!path.is_absolute()) return false;
    const std::string name = path.filename().string();
    for (std::string_view known : kTestFileNames)
        if (name == known) return true;
    return false;
}

std::string untrusted_file_reason(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? ""
                               : errno_reason("Brantwell could not check " + path.string(), errno);
    return untrusted_reason(st, path);
}

// --- IoBuffer ---

IoBuffer::IoBuffer(std::size_t bytes, std::size_t align) {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed) seed = fallback_seed();
    for (auto& s : state_) s = splitmix(seed);
    // A buffer of 2 MiB or more sits on huge pages where the system allows it: the kernel pins
    // the pages of every direct transfer, and one huge page is cheaper to pin than 512 small ones.
    constexpr std::size_t kHugePage = 2 << 20;
    if (bytes >= kHugePage) {
        align = std::max(align, kHugePage);
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }
    void* p = nullptr;
    if (bytes == 0 || ::posix_memalign(&p, align, bytes) != 0) return;
    if (align >= kHugePage) ::madvise(p, bytes, MADV_HUGEPAGE);
    data_ = static_cast<unsigned char*>(p);
    size_ = bytes;
    for (std::size_t i = 0; i + 8 <= size_; i += 8) {
        std::uint64_t v = next();
        std::memcpy(data_ + i, &v, 8);
    }
}

IoBuffer::~IoBuffer() {
    std::free(data_);
}

// xoshiro256**: fast and good enough that no compressor finds structure in the data.
std::uint64_t IoBuffer::next() {
    std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

void IoBuffer::refresh(std::size_t bytes) {
    if (bytes > size_) bytes = size_;
    for (std::size_t page = 0; page + 8 <= bytes; page += kPage) {
        std::uint64_t v = next();
        std::memcpy(data_ + page, &v, 8);
    }
}

// --- Opening ---

std::uint64_t direct_io_align(int fd) {
    struct stat st {};
    std::uint64_t lbs = 0;
    if (::fstat(fd, &st) == 0) {
        if (S_ISBLK(st.st_mode)) {
            int size = 0;
            if (::ioctl(fd, BLKSSZGET, &size) == 0 && size > 0)
                lbs = static_cast<std::uint64_t>(size);
        } else {
            lbs = sysfs_logical_block(st.st_dev);
        }
    }
    return std::max(kMinAlign, lbs);
}

std::uint64_t aligned_block(std::uint64_t bytes, std::uint64_t align) {
    if (align == 0) return bytes;
    return (bytes + align - 1) / align * align;
}

namespace {

bool is_refusal(int err) { return err == EPERM || err == EACCES; }

std::string refusal_text(const std::string& path, int err) {
    return "Brantwell could not open " + path + " to read the drive directly (" +
           std::strerror(err) +
           "). The Performance Test reads the drive itself and needs root; this "
           "system refuses it. Run the Functional Test instead.";
}

}  // namespace

std::optional<OpenTarget> open_device(const std::string& path, std::string* error) {
    // Read-only, always: no test writes a block device.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC));
    if (!fd.ok()) {
        int err = errno;
        if (is_refusal(err))
            *error = refusal_text(path, err);
        else
            *error = errno_reason("Brantwell could not open " + path, err);
        return std::nullopt;
    }
    struct stat st {};
    std::uint64_t size = 0;
    if (::fstat(fd.get(), &st) != 0 || !S_ISBLK(st.st_mode)) {
        *error = path + " is not a block device.";
        return std::nullopt;
    }
    if (::ioctl(fd.get(), BLKGETSIZE64, &size) != 0 || size == 0) {
        *error = path + " has no size (no medium?).";
        return std::nullopt;
    }
    return finish_open(std::move(fd), size);
}

std::string raw_open_refusal(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC));
    return !fd.ok() && is_refusal(errno) ? refusal_text(path, errno) : std::string();
}

std::string device_open_refusal(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return !fd.ok() && is_refusal(errno) ? std::strerror(errno) : std::string();
}

std::optional<OpenTarget> open_direct_file(const fs::path& path, DirectAccess access,
                                           std::string* error) {
    int flags =
        (access == DirectAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_DIRECT | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd fd(::open(path.c_str(), flags));
    if (!fd.ok()) {
        int err = errno;
        *error = err == EINVAL ? no_direct_io(path)
                               : errno_reason("Brantwell could not open " + path.string(), err);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        *error = errno_reason("Brantwell could not check " + path.string(), errno);
        return std::nullopt;
    }
    if (std::string why = untrusted_reason(st, path); !why.empty()) {
        *error = why;
        return std::nullopt;
    }
    return finish_open(std::move(fd), static_cast<std::uint64_t>(st.st_size));
}

std::uint64_t free_bytes(const fs::path& folder) {
    struct statvfs sv {};
    if (::statvfs(folder.c_str(), &sv) != 0) return 0;
    return static_cast<std::uint64_t>(sv.f_bavail) * sv.f_frsize;
}

// --- Test files ---

std::optional<OpenTarget> create_test_file(const fs::path& working_folder, const fs::path& path,
                                           std::string* error) {
    if (path.string().find('\n') != std::string::npos) {
        *error = "Brantwell cannot keep a test file in a folder whose name holds a line break.";
        return std::nullopt;
    }
    // The clean-up after a crash deletes only files of the test files' names: a file of any
    // other name would be left behind, so it is not made.
    if (!is_test_file_name(path)) {
        *error = "Brantwell names its test files " + known_names() + ", not " + path.string() + ".";
        return std::nullopt;
    }
    {
        const UniqueFd lock = lock_record(working_folder);
        std::vector<std::string> paths = read_record(working_folder);
        if (std::find(paths.begin(), paths.end(), path.string()) == paths.end()) {
            paths.push_back(path.string());
            // A file the record does not name would outlive a crash: no record, no file.
            if (std::string why = write_record(working_folder, paths); !why.empty()) {
                *error = "Brantwell could not note the test file " + path.string() + " in " +
                         (working_folder / kTestFileRecord).string() + ": " + why;
                return std::nullopt;
            }
        }
    }
    // A leftover of an earlier run of ours goes; anything else in its place stops the test.
    if (owned_regular_file(path)) ::unlink(path.c_str());
    UniqueFd fd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_DIRECT, 0600));
    if (!fd.ok()) {
        int err = errno;
        std::error_code ec;  // what is in the way, rather than "File exists"
        const bool link = err == EEXIST && fs::is_symlink(fs::symlink_status(path, ec));
        *error =
            err == EINVAL
                ? no_direct_io(path)
            : err == EEXIST
                ? path.string() +
                      (link ? " is a symbolic link" : " is in the way, not a test file of ours") +
                      ": Brantwell does not write a test file through it or over it."
                : errno_reason("Brantwell could not create the test file " + path.string(), err);
        return std::nullopt;
    }
    return finish_open(std::move(fd), 0);
}

void remove_test_file(const fs::path& working_folder, const fs::path& path) {
    if (owned_regular_file(path)) ::unlink(path.c_str());
    const UniqueFd lock = lock_record(working_folder);
    std::vector<std::string> paths = read_record(working_folder);
    if (std::erase(paths, path.string()) > 0) write_record(working_folder, paths);
}

std::string remove_recorded_test_files(const fs::path& working_folder) {
    const UniqueFd lock = lock_record(working_folder);
    std::string refused;
    for (const auto& p : read_record(working_folder, &refused))
        if (owned_regular_file(p)) ::unlink(p.c_str());
    write_record(working_folder, {});
    return refused;
}

}  // namespace bw

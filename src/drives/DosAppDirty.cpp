// Whether a volume is marked dirty, read without changing anything.
#include <cstdint>

#include "drives/DosApp.h"

namespace bw {

namespace {

// ext2/3/4 superblock fields (offsets within the superblock, little-endian).
inline constexpr std::size_t kExtMagicAt = 0x38;
inline constexpr std::size_t kExtStateAt = 0x3A;
inline constexpr std::size_t kExtCompatAt = 0x5C;
inline constexpr std::size_t kExtIncompatAt = 0x60;
inline constexpr std::size_t kExtErrorCountAt = 0x194;
inline constexpr std::uint16_t kExtMagic = 0xEF53;
inline constexpr std::uint16_t kExtValidFs = 0x0001;
inline constexpr std::uint16_t kExtErrorFs = 0x0002;
inline constexpr std::uint32_t kExtCompatHasJournal = 0x0004;
inline constexpr std::uint32_t kExtIncompatRecover = 0x0004;
inline constexpr std::uint64_t kExtSuperblockOffset = 1024;
inline constexpr std::size_t kExtSuperblockSize = 1024;

std::uint32_t le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool is_ext(const std::string& fstype) {
    return fstype == "ext2" || fstype == "ext3" || fstype == "ext4";
}

}  // namespace

DirtyResult ExtSuperblockState(std::string_view sb, bool mounted) {
    DirtyResult r;
    if (sb.size() < kExtErrorCountAt + 4) {
        r.reason = "superblock cut short (" + std::to_string(sb.size()) + " bytes)";
        return r;
    }
    if (le(sb, kExtMagicAt, 2) != kExtMagic) {
        r.reason = "no ext2/3/4 superblock (bad magic number)";
        return r;
    }
    r.checked = true;
    const std::uint32_t state = le(sb, kExtStateAt, 2);
    const bool journal = le(sb, kExtCompatAt, 4) & kExtCompatHasJournal;
    const bool recover = le(sb, kExtIncompatAt, 4) & kExtIncompatRecover;
    const std::uint32_t errors = le(sb, kExtErrorCountAt, 4);
    // Without a journal the valid bit is cleared while mounted; with one it stays set.
    const bool unclean = !(state & kExtValidFs) && (journal || !mounted);
    if (state & kExtErrorFs)
        r.detail = "errors were detected (state " + std::to_string(state) + ")";
    else if (errors > 0)
        r.detail = std::to_string(errors) + " errors recorded";
    else if (recover && !mounted)
        r.detail = "the journal needs recovery";
    else if (unclean)
        r.detail = "not cleanly unmounted";
    r.dirty = !r.detail.empty();
    if (!r.dirty) r.detail = "clean";
    return r;
}

DirtyResult CheckVolumeDirty(const SystemQuery& query, const Volume& v) {
    DirtyResult r;
    const bool mounted = !v.mount_point.empty();
    if (is_ext(v.fstype)) {
        auto bytes = query.read_device(v.device_name, kExtSuperblockOffset, kExtSuperblockSize);
        if (bytes.error.empty()) return ExtSuperblockState(bytes.bytes, mounted);
        // The device cannot be read (no root, a refused open): the kernel's own count of the
        // errors it met on a mounted ext4 still tells.
        if (auto count = query.fs_statistic("ext4", v.device_name, "errors_count")) {
            r.checked = true;
            r.dirty = *count != "0" && !count->empty();
            r.detail = r.dirty ? *count + " errors recorded by the kernel" : "clean";
            r.reason = "superblock not read: " + bytes.error;
            return r;
        }
        r.reason = bytes.error;
        return r;
    }
    if (v.fstype == "btrfs") {
        if (auto errors = query.btrfs_error_count(v.uuid)) {
            r.checked = true;
            r.dirty = *errors > 0;
            r.detail = r.dirty ? std::to_string(*errors) + " device errors recorded" : "clean";
            return r;
        }
        r.reason = "btrfs error counters are not available";
        return r;
    }
    if (v.fstype == "xfs") {
        // XFS keeps no dirty flag outside its log; its driver reports metadata it found damaged.
        std::string error;
        if (auto health = query.xfs_health(v.mount_point, &error)) {
            r.checked = true;
            r.dirty = health->sick != 0;
            r.detail = r.dirty ? "damaged metadata reported by the XFS driver" : "clean";
            return r;
        }
        r.reason = "XFS keeps no dirty flag outside its log; " + error;
        return r;
    }
    r.reason = (v.fstype.empty() ? std::string("unknown filesystem") : v.fstype) +
               ": no read-only dirty check";
    return r;
}

bool& DirtyFlag() {
    static bool dirty = false;
    return dirty;
}

DirtyResult& LastDirtyCheck() {
    static DirtyResult last;
    return last;
}

void CheckDirty(char drive, const SystemQuery& query, const VolumeMap& map) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    DirtyResult r;
    if (const Volume* v = map.find(letter))
        r = CheckVolumeDirty(query, *v);
    else
        r.reason = std::string(1, letter) + ": is not a drive letter of this machine";
    LastDirtyCheck() = r;
    DirtyFlag() = r.dirty;
}

void CheckDirty(char drive) {
    CheckDirty(drive, system_query(), volume_map());
}

}  // namespace bw

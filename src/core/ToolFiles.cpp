#include "core/ToolFiles.h"

#include <functional>
#include <map>
#include <mutex>

#include "core/AppState.h"
#include "platform/NewFile.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::span<const std::string_view>, std::less<>> files;
};

Registry& registry() {
    static Registry r;
    return r;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

ToolFileResult result_of(const fs::path& target, const new_file::Result& written) {
    ToolFileResult r;
    r.path = target;
    r.error = written.error;
    switch (written.outcome) {
        case new_file::Outcome::Written: r.outcome = ToolFileResult::Outcome::Written; break;
        case new_file::Outcome::AlreadyPresent:
            r.outcome = ToolFileResult::Outcome::AlreadyPresent;
            break;
        case new_file::Outcome::Failed: r.outcome = ToolFileResult::Outcome::Failed; break;
    }
    return r;
}

}  // namespace

bool RegisterStoredFile(std::string_view name, std::span<const std::string_view> pieces) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.files[std::string(name)] = pieces;
    return true;
}

std::span<const std::string_view> StoredPieces(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.files.find(name);
    return it == r.files.end() ? std::span<const std::string_view>() : it->second;
}

bool DecodePiece(std::string_view piece, std::string& out) {
    if (piece.size() % 2 != 0) return false;
    for (size_t i = 0; i < piece.size(); i += 2) {
        int hi = hex_digit(piece[i]);
        if (hi < 0) return false;
        // A value below 0x10 is one digit followed by a blank.
        if (piece[i + 1] == ' ') {
            out.push_back(static_cast<char>(hi));
            continue;
        }
        int lo = hex_digit(piece[i + 1]);
        if (lo < 0) return false;
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

bool DecodePieces(std::span<const std::string_view> pieces, std::string& out) {
    out.clear();
    size_t total = 0;
    for (auto p : pieces) total += p.size() / 2;
    out.reserve(total);
    for (auto p : pieces)
        if (!DecodePiece(p, out)) return false;
    return true;
}

std::string EncodeCell(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (byte < 0x10) return {kDigits[byte], ' '};
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

namespace {

// A stored file written by `write` as `target` unless `taken` (the name is in use).
ToolFileResult write_stored(std::string_view name, const fs::path& target, bool taken,
                            const std::function<new_file::Result(std::string_view)>& write) {
    ToolFileResult r;
    r.path = target;
    if (taken) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
        return r;
    }
    auto pieces = StoredPieces(name);
    if (pieces.empty()) {
        r.error = std::string(name) + " is not built into this program";
        return r;
    }
    std::string bytes;
    if (!DecodePieces(pieces, bytes)) {
        r.error = "the stored copy of " + std::string(name) + " is damaged";
        return r;
    }
    return result_of(target, write(bytes));
}

}  // namespace

ToolFileResult WriteStoredFile(std::string_view name, const fs::path& folder, unsigned mode) {
    const fs::path target = folder / name;
    if (folder.empty()) {
        ToolFileResult r;
        r.path = target;
        r.error = "no folder to write " + std::string(name) + " into";
        return r;
    }
    return write_stored(name, target, new_file::name_taken(target), [&](std::string_view bytes) {
        return new_file::write(target, bytes, mode);
    });
}

namespace {

// A folder that could not be held is said as such, not taken for "the file is already there".
ToolFileResult no_held_folder(const fs::path& target, const fs::path& folder) {
    ToolFileResult r;
    r.path = target;
    r.error = "the working folder " + folder.string() + " cannot be opened";
    return r;
}

}  // namespace

ToolFileResult WriteStoredFileAt(std::string_view name, int dirfd, const fs::path& folder,
                                 unsigned mode) {
    if (dirfd < 0) return no_held_folder(folder / name, folder);
    return write_stored(name, folder / name, new_file::name_taken_at(dirfd, name),
                        [&](std::string_view bytes) {
                            return new_file::write_at(dirfd, folder, name, bytes, mode);
                        });
}

ToolFileResult CopyToolFile(const fs::path& from, const fs::path& to, unsigned mode) {
    ToolFileResult r;
    r.path = to;
    if (new_file::name_taken(to)) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
        return r;
    }
    auto bytes = new_file::read_regular(from, &r.error);
    if (!bytes) return r;
    return result_of(to, new_file::write(to, *bytes, mode));
}

ToolFileResult CopyToolFileAt(int dirfd, const fs::path& folder, std::string_view from,
                              std::string_view to, unsigned mode) {
    if (dirfd < 0) return no_held_folder(folder / to, folder);
    ToolFileResult r;
    r.path = folder / to;
    if (new_file::name_taken_at(dirfd, to)) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
        return r;
    }
    auto bytes = new_file::read_trusted_at(dirfd, folder, from, &r.error);
    if (!bytes) return r;
    return result_of(r.path, new_file::write_at(dirfd, folder, to, *bytes, mode));
}

ToolFileResult WriteLOADWorker() {
    AppState& a = app();
    return WriteStoredFileAt(kLOADWorkerFile, a.working_dir(), a.working_folder, 0700);
}

ToolFileResult WriteLicense() {
    return WriteStoredFile(kLicenseFile, app().program_folder, 0644);
}

}  // namespace bw

#pragma once

// The tool files the program carries inside itself and writes out when they are needed: the
// tester executable and the licence text. Each file is stored as an ordered list of pieces; a
// piece is a run of two-character cells, one byte per cell in capital hexadecimal, with values
// below 0x10 written as one digit and a blank ("0 ", "A ", "1F", "FF").
//
// The pieces are generated at build time and linked into the programs that write the files
// (brantwell, brantwell-cli and the tests); they register themselves here. A program built without
// them (the tester itself) simply has no stored files.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/TesterProtocol.h"

namespace bw {

inline constexpr std::string_view kLOADWorkerFile = kTesterFiles[0];
inline constexpr std::string_view kLicenseFile = "License.txt";

// Called by the generated data at static initialisation. Returns true so the data can keep the
// result in a constant.
bool RegisterStoredFile(std::string_view name, std::span<const std::string_view> pieces);

// The pieces of a stored file; empty when this program carries no such file.
std::span<const std::string_view> StoredPieces(std::string_view name);

// Appends the bytes of one piece to `out`. False (with `out` partly appended) when the piece has
// an odd length or a cell that is not hexadecimal.
bool DecodePiece(std::string_view piece, std::string& out);

// The whole file of a list of pieces; false when a piece is malformed.
bool DecodePieces(std::span<const std::string_view> pieces, std::string& out);

// One cell for one byte, as the generator writes it.
std::string EncodeCell(unsigned char byte);

struct ToolFileResult {
    enum class Outcome { Written, AlreadyPresent, Failed };
    Outcome outcome = Outcome::Failed;
    std::filesystem::path path;
    std::string error;  // why, when Failed

    bool ok() const { return outcome != Outcome::Failed; }
};

// Writes a stored file into `folder` unless a file (or anything else) of that name is already
// there. The bytes go to a private temporary file first (O_EXCL | O_NOFOLLOW, `mode`) and are
// published under the final name without replacing anything, so a failed write leaves no partial
// file behind and a name that appears meanwhile is never overwritten.
ToolFileResult WriteStoredFile(std::string_view name, const std::filesystem::path& folder,
                               unsigned mode);

// The same in the folder held by `dirfd` (shown as `folder`), every step relative to it.
ToolFileResult WriteStoredFileAt(std::string_view name, int dirfd,
                                 const std::filesystem::path& folder, unsigned mode);

// Copies `from` to `to` in the same way (never following a link, never replacing a file).
ToolFileResult CopyToolFile(const std::filesystem::path& from, const std::filesystem::path& to,
                            unsigned mode);

// Copies `from` to `to` within the folder held by `dirfd` (shown as `folder`); a `from` that is
// not ours, or that others can write, is refused with the reason.
ToolFileResult CopyToolFileAt(int dirfd, const std::filesystem::path& folder,
                              std::string_view from, std::string_view to, unsigned mode);

// LOADWorker.exe into the held working folder (mode 0700). Start-up deletes the old copies first,
// so this normally writes.
ToolFileResult WriteLOADWorker();

// License.txt into the program folder (mode 0644) when it is missing; a file already there is left
// as it is.
ToolFileResult WriteLicense();

}  // namespace bw

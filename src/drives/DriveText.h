#pragma once

// The texts of the drive list: the size of a disk in an entry, the size and free-space figures of
// a letter, and the pieces of an entry that other windows read back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bw {

// "#" number format: whole number, rounded half away from zero, "" for zero.
std::string format_hash(double value);
// "#.00": two decimals, no leading zero ("2.00", ".50").
std::string format_hash_00(double value);
// "#,##0": whole number with digit grouping ("1,234", "0").
std::string format_grouped(double value);

// Size of a disk in a drive-list entry: "512MB", "500GB", "2.00TB" (empty size: "MB").
std::string DriveSizeText(std::string_view size_bytes);

// Size or free space of a letter as the main window shows it: "2TB", "931GB", "15MB"; below
// that "12KB" and "512Bytes".
std::string FreeSpaceText(double bytes);
// The same with a blank before the unit, as the model decoder shows a capacity: "931 GB",
// "12 KB", "512 Bytes".
std::string FreeSpaceText2(double bytes);

// What an entry says: its letter, physical-disk field and whether it names a class.
char EntryLetter(std::string_view entry);                           // first character, 0 when empty
std::optional<std::string> EntryDiskField(std::string_view entry);  // two characters after "[PD "

}  // namespace bw

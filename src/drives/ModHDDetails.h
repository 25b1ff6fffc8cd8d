#pragma once

// The decoded specification records of the physical drives, the per-letter copies and the
// current drive's copy, and the entry points that fill them.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bw {

// Physical drive numbers 0 to 25 have a record; a drive numbered 26 or more gets none.
inline constexpr int kDriveSlots = 26;

struct DriveSpec {
    std::string SpecLine1, SpecLine2, Size, Brand, Rpm, SizeUnit, Feature, Cache, Interface, Case,
        Family, ProductName;
};

// The twelve fields by name, in the record's order (for output and comparison).
std::vector<std::pair<std::string_view, const std::string*>> DriveSpecFields(const DriveSpec& s);

// The six values carried from a physical drive to a drive letter and to the current drive.
struct LetterSpec {
    std::string SpecLine1, SpecLine2, Rpm, Cache, Interface, Brand;
};

std::array<DriveSpec, kDriveSlots>& DriveSpecTable();
std::array<LetterSpec, kDriveSlots>& LetterSpecs();  // index 0 = "A"
LetterSpec& CurrentDriveSpecs();

// Decodes a model text (as the system reports it, e.g. "WDC WD10EZEX-00BN5A0 ATA Device") into
// slot `drive_number`. Upper-cases `model` in place (and drops a leading "HITACHI ").
void DecodeDriveModel(std::string& model, int drive_number);
// Name of the decoder that took the last model given to DecodeDriveModel ("" when none did).
const std::string& LastDecoderName();

// The decoding itself, without the stores: fills `spec` from `model` (changing `model` as
// DecodeDriveModel does) and returns the name of the decoder that took it, "" when none did.
// Fields that no rule writes keep what `spec` held.
std::string_view DecodeModelText(std::string& model, DriveSpec& spec);

bool IsSsdVendorModel(std::string_view model);

void MapDriveLetterSpecs(std::string_view letter, int drive_number);
void SelectDriveSpecs(std::string_view letter);

// SelectDriveSpecs asks the free-space routine to refresh its figures for the chosen letter; the
// inventory installs that routine.
void set_free_space_refresh(std::function<void(char letter)> refresh);

}  // namespace bw

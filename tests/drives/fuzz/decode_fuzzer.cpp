// libFuzzer target for the drive model decoders: any bytes as a model text, into a drive number
// taken from the first byte (including numbers past the table), then the letter copies.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drives/ModHDDetails.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int drive = size > 0 ? static_cast<int>(data[0] % 30) - 2 : 0;
    std::string model(reinterpret_cast<const char*>(data), size);
    bw::IsSsdVendorModel(model);
    bw::DecodeDriveModel(model, drive);
    bw::MapDriveLetterSpecs(model.substr(0, 1), drive);
    bw::SelectDriveSpecs(model.substr(0, 1));

    bw::DriveSpec spec;
    std::string again(reinterpret_cast<const char*>(data), size);
    bw::DecodeModelText(again, spec);
    return 0;
}

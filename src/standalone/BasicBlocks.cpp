#include "standalone/BasicBlocks.h"

#include <algorithm>
#include <cmath>

#include "platform/DirectIo.h"

namespace bw::basic {

const BasicBlock* basic_block(char code) {
    for (const BasicBlock& b : kBasicBlocks)
        if (b.code == code) return &b;
    return nullptr;
}

int basic_block_index(char code) {
    const BasicBlock* b = basic_block(code);
    return b ? static_cast<int>(b - kBasicBlocks) : -1;
}

std::uint64_t block_bytes(const BasicBlock& block, std::uint64_t unit_size, std::uint64_t align) {
    return aligned_block(std::max<std::uint64_t>(unit_size, 1) * block.multiplier, align);
}

double file_megabytes(const BasicBlock& block, double file_size_parameter) {
    return file_size_parameter == kUsbFileSize ? kUsbFileSize * block.usb_factor
                                               : file_size_parameter;
}

std::uint64_t writes_per_pass(const BasicBlock& block, double file_size_parameter,
                              std::uint64_t block_size) {
    if (block_size == 0) return 1;
    // The file's bytes at the nominal (512-byte unit) block size, in blocks of the size used.
    const double file_bytes = file_megabytes(block, file_size_parameter) * block.blocks_per_mb *
                              static_cast<double>(kNominalUnit * block.multiplier);
    const double writes = std::round(file_bytes / static_cast<double>(block_size));
    return std::max<std::uint64_t>(1, static_cast<std::uint64_t>(writes));
}

}  // namespace bw::basic

#pragma once

// The basic test's block codes: how large a block is in units of the drive's sector size, how
// large a write test file is, how many writes make one pass over it, and what the window calls
// each block.

#include <cstdint>
#include <string_view>

namespace bw::basic {

struct BasicBlock {
    char code;                 // "1".."9", "A", "B"
    std::uint64_t multiplier;  // units per block (512-byte units give the nominal size)
    double blocks_per_mb;      // writes per megabyte of test file
    double usb_factor;         // share of the USB file size this block writes
    std::string_view title;    // the block's panel title
    std::string_view menu;     // the window's menu entry for the block
};

// clang-format off
inline constexpr BasicBlock kBasicBlocks[] = {
    {'1', 8, 256, 0.1, "4 KB Test", "mnu4kb"},
    {'2', 16, 128, 0.25, "8 KB Test", "mnu8kb"},
    {'3', 32, 64, 0.4, "16 KB Test", "mnu16kb"},
    {'4', 64, 32, 0.55, "32 KB Test", "mnu32kb"},
    {'5', 128, 16, 0.7, "64 KB Test", "mnu64kb"},
    {'6', 192, 12, 0.85, "96 KB Test", "mnu96kb"},
    {'7', 256, 8, 1.0, "128 KB Test", "mnu128kb"},
    {'8', 512, 4, 1.0, "256 KB Test", "mnu256kb"},
    {'9', 1024, 2, 1.1, "512 KB Test", "mnu512kb"},
    {'A', 2048, 1, 1.2, "1024 KB (1 MB) Test", "mnu1024kb"},
    {'B', 8192, 0.25, 1.25, "4096 KB (4 MB) Test", "mnu4096kb"},
};
// clang-format on
inline constexpr int kBasicBlockCount = static_cast<int>(std::size(kBasicBlocks));

// The file-size parameter that marks a USB drive: each block then writes its share of it.
inline constexpr double kUsbFileSize = 250;
// The unit that gives the nominal block sizes.
inline constexpr std::uint64_t kNominalUnit = 512;

// The row of a code, nullptr for a character that is no code; its index 0..10 (the panel index).
const BasicBlock* basic_block(char code);
int basic_block_index(char code);

// Bytes per transfer: unit size x multiplier, raised to a multiple of `align` (direct I/O).
std::uint64_t block_bytes(const BasicBlock& block, std::uint64_t unit_size, std::uint64_t align);
// Megabytes of the write test file: the file-size parameter, or on a USB drive its share of it.
double file_megabytes(const BasicBlock& block, double file_size_parameter);
// Writes in one pass over the test file, to the nearest whole number (at least one). With 512-byte
// units this is file megabytes x blocks per megabyte; with larger units the blocks are larger and
// the file keeps its size (the free space was checked for that size).
std::uint64_t writes_per_pass(const BasicBlock& block, double file_size_parameter,
                              std::uint64_t block_size);

}  // namespace bw::basic

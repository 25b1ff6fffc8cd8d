#include "core/TesterProtocol.h"

#include <algorithm>
#include <cctype>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw {

namespace {

// The table is the one place a block is described: its rows must be in index order with codes
// "1".."9", "A", "B", and each transfer must cover the size the report names.
constexpr bool block_table_consistent() {
    constexpr std::string_view kCodes = "123456789AB";
    if (std::size(kBlockSizes) != kCodes.size()) return false;
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        const BlockSize& b = kBlockSizes[i];
        if (b.index != static_cast<int>(i) + 1 || b.code != kCodes[i]) return false;
        if (b.transfer_bytes < b.report_bytes || b.transfer_bytes % kPageBytes != 0) return false;
    }
    return true;
}
static_assert(block_table_consistent());

constexpr bool test_type_table_consistent() {
    for (std::size_t i = 0; i < std::size(kTestTypes); ++i) {
        const TestTypeRow& t = kTestTypes[i];
        if (t.number != static_cast<int>(i) + 1) return false;
        if (t.side != (i < 4 ? Side::Read : Side::Write) || t.level != static_cast<int>(i % 4))
            return false;
    }
    return std::size(kTestTypes) == 8;
}
static_assert(test_type_table_consistent());

// The longest "Time" taken: a day per block is already far beyond any test the program offers.
constexpr int kMaxSeconds = 86400;

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

const BlockSize* block_size(int index) {
    for (const BlockSize& b : kBlockSizes)
        if (b.index == index) return &b;
    return nullptr;
}

int block_index_from_code(char code, bool any_case) {
    for (const BlockSize& b : kBlockSizes)
        if (code == b.code || (any_case && lower(code) == lower(b.code))) return b.index;
    return 0;
}

char block_code_char(int index) {
    const BlockSize* b = block_size(index);
    return b ? b->code : '0';
}

std::uint64_t block_transfer_bytes(int index) {
    const BlockSize* b = block_size(index);
    return b ? b->transfer_bytes : 0;
}

const TestTypeRow* test_type(Side side, int level) {
    for (const TestTypeRow& t : kTestTypes)
        if (t.side == side && t.level == level) return &t;
    return nullptr;
}

int tester_number(std::string_view executable_name) {
    auto same = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](char x, char y) { return lower(x) == lower(y); });
    };
    for (std::size_t i = 0; i < kTesterFiles.size(); ++i)
        if (same(executable_name, kTesterFiles[i])) return static_cast<int>(i) + 1;
    return 0;
}

void write_job(const TesterJob& job, const KeyWriter& write) {
    std::string blocks;
    for (int b : job.blocks) blocks += block_code_char(b);
    write(keys::kDrive, std::string(1, job.drive));
    write(keys::kBlocks, blocks);
    write(keys::kType, std::to_string(static_cast<int>(job.type)));
    write(keys::kFileSize, std::to_string(job.file_size_mb));
    write(keys::kClusterSize, job.cluster_size);
    write(keys::kMulti, std::to_string(job.multi));
    write(keys::kRead, job.read ? "1" : "0");
    write(keys::kWrite, job.write ? "1" : "0");
    write(keys::kTime, std::to_string(job.seconds));
    write(keys::kTestFolder, job.test_folder);
    write(keys::kDevice, job.device);
    write(keys::kRun, "1");
}

std::optional<TesterJob> parse_job(const KeyReader& key, std::string* error) {
    auto fail = [&](std::string text) -> std::optional<TesterJob> {
        if (error) *error = std::move(text);
        return std::nullopt;
    };
    TesterJob job;
    std::string drive = key(keys::kDrive);
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0])))
        return fail("The test names no drive (\"" + drive + "\").");
    job.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));

    for (char c : key(keys::kBlocks))
        if (int b = block_index_from_code(c, true)) job.blocks.push_back(b);
    if (job.blocks.empty()) return fail("No Block Size Selected!");

    job.type = ValInt(key(keys::kType)) == 2 ? JobType::Performance : JobType::Functional;
    job.file_size_mb = std::max<long long>(0, ValInt(key(keys::kFileSize)));
    job.cluster_size = key(keys::kClusterSize);
    job.multi =
        static_cast<int>(std::clamp<long long>(ValInt(key(keys::kMulti)), 0, kMaxMultiLevel));
    job.read = ValInt(key(keys::kRead)) == 1;
    job.write = ValInt(key(keys::kWrite)) == 1;
    if (!job.read && !job.write) return fail("The test asks neither to read nor to write.");
    const std::string time = key(keys::kTime);
    long long seconds = ValInt(time);
    if (seconds < 1) return fail("The test gives no time per block (\"" + time + "\").");
    job.seconds = static_cast<int>(std::min<long long>(seconds, kMaxSeconds));
    job.test_folder = key(keys::kTestFolder);
    job.device = key(keys::kDevice);
    return job;
}

std::vector<std::pair<std::string, std::string>> tester_function_keys(std::optional<Side> side,
                                                                      int block, int level) {
    std::string read_block = "0", read_level = "0", write_block = "0", write_level = "0";
    if (side) {
        bool reading = *side == Side::Read;
        (reading ? read_block : write_block) = std::to_string(block);
        (reading ? read_level : write_level) = std::to_string(level);
    }
    return {{std::string(keys::kReadingBlock), read_block},
            {std::string(keys::kMultiTaskReading), read_level},
            {std::string(keys::kWritingBlock), write_block},
            {std::string(keys::kMultiTaskWriting), write_level}};
}

}  // namespace bw

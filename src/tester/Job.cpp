#include "tester/Job.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "core/INIReadWrite.h"

namespace bw::tester {

namespace {

// Levels run for each multi-task level of the job: the single test always, the lite test from
// level 1, then the heavy test (level 2) or the heavy test with the other side (level 3).
struct LevelRow {
    int multi;
    std::array<int, 3> levels;
    int count;
};
inline constexpr LevelRow kLevelsByMulti[] = {
    {0, {0, 0, 0}, 1},
    {1, {0, 1, 0}, 2},
    {2, {0, 1, 2}, 3},
    {3, {0, 1, 3}, 3},
};

// Which testers work at each level, and whether each works on the side under test or the other.
struct RoleRow {
    int level;
    int tester;
    bool other_side;
};
inline constexpr RoleRow kRoles[] = {
    {0, 1, false},                                // single
    {1, 1, false}, {1, 2, false},                 // lite: two at once
    {2, 1, false}, {2, 2, false}, {2, 3, false},  // heavy: three at once
    {3, 1, false}, {3, 2, false}, {3, 3, true},   // heavy with the other side
};

// The longest "Time" taken: a day per block is already far beyond any test the program offers.
constexpr int kMaxSeconds = 86400;

}  // namespace

int block_index_from_code(char code) {
    if (code >= '1' && code <= '9') return code - '0';
    if (code == 'A' || code == 'a') return 10;
    if (code == 'B' || code == 'b') return 11;
    return 0;
}

char block_code(int index) {
    if (index >= 1 && index <= 9) return static_cast<char>('0' + index);
    if (index == 10) return 'A';
    if (index == 11) return 'B';
    return '0';
}

std::uint64_t block_bytes(int index) {
    if (index < 1 || index > kBlockCount) return 0;
    return kBlockPages[static_cast<size_t>(index - 1)] * kPageBytes;
}

std::optional<Job> parse_job(const KeyReader& key, std::string* error) {
    auto fail = [&](std::string text) -> std::optional<Job> {
        if (error) *error = std::move(text);
        return std::nullopt;
    };
    Job job;
    std::string drive = key("Drive");
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0])))
        return fail("The test names no drive (\"" + drive + "\").");
    job.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));

    for (char c : key("Blocks"))
        if (int b = block_index_from_code(c)) job.blocks.push_back(b);
    if (job.blocks.empty()) return fail("No Block Size Selected!");

    job.type = ValInt(key("Type")) == 2 ? TestType::Performance : TestType::Functional;
    job.file_size_mb = std::max<long long>(0, ValInt(key("File Size")));
    job.multi = static_cast<int>(std::clamp<long long>(ValInt(key("Multi")), 0, 3));
    job.read = ValInt(key("Read")) == 1;
    job.write = ValInt(key("Write")) == 1;
    if (!job.read && !job.write) return fail("The test asks neither to read nor to write.");
    long long seconds = ValInt(key("Time"));
    if (seconds < 1) return fail("The test gives no time per block (\"" + key("Time") + "\").");
    job.seconds = static_cast<int>(std::min<long long>(seconds, kMaxSeconds));
    job.test_folder = key("Test Folder");
    job.device = key("Device");
    return job;
}

std::vector<int> levels_for(int multi) {
    for (const auto& row : kLevelsByMulti)
        if (row.multi == multi) return {row.levels.begin(), row.levels.begin() + row.count};
    return {0};
}

std::vector<Role> roles_for(int level, Side side) {
    std::vector<Role> roles;
    for (const auto& row : kRoles)
        if (row.level == level)
            roles.push_back({row.tester, row.other_side ? other_side(side) : side});
    return roles;
}

std::vector<Step> plan_job(const Job& job) {
    std::vector<Step> steps;
    for (Side side : {Side::Read, Side::Write}) {
        if ((side == Side::Read && !job.read) || (side == Side::Write && !job.write)) continue;
        for (int level : levels_for(job.multi))
            for (int block : job.blocks)
                steps.push_back({side, level, block, roles_for(level, side)});
    }
    return steps;
}

std::vector<std::pair<std::string, std::string>> tester_function_keys(const Step* step) {
    std::string read_block = "0", read_level = "0", write_block = "0", write_level = "0";
    if (step) {
        bool reading = step->side == Side::Read;
        (reading ? read_block : write_block) = std::to_string(step->block);
        (reading ? read_level : write_level) = std::to_string(step->level);
    }
    return {{"Reading Block", read_block},
            {"Multi-Task Reading", read_level},
            {"Writing Block", write_block},
            {"Multi-Task Writing", write_level}};
}

bool needs_test_file(const Job& job) {
    // Writes go to the test file; the Functional test also reads it.
    return job.write || job.multi == 3 || job.type == TestType::Functional;
}

bool reads_device(const Job& job) {
    return job.type == TestType::Performance && (job.read || job.multi == 3);
}

Region region_of(std::uint64_t total, int index, int count, std::uint64_t align) {
    if (count < 1 || align == 0) return {};
    std::uint64_t each = total / static_cast<std::uint64_t>(count) / align * align;
    return {each * static_cast<std::uint64_t>(index), each};
}

std::string encode_part(const Part& part) {
    std::ostringstream out;
    out << part.step << ' ' << (part.side == Side::Read ? 'R' : 'W') << ' ' << part.region.offset
        << ' ' << part.region.length << ' ' << part.block << ' ' << part.until_ms << ' '
        << part.target;
    return out.str();
}

bool decode_part(std::string_view text, Part& part) {
    std::istringstream in{std::string(text)};
    char side = 0;
    if (!(in >> part.step >> side >> part.region.offset >> part.region.length >> part.block >>
          part.until_ms))
        return false;
    if (side != 'R' && side != 'W') return false;
    part.side = side == 'R' ? Side::Read : Side::Write;
    in.get();  // the blank before the path
    std::getline(in, part.target);
    return !part.target.empty() && part.block > 0 && part.region.length >= part.block;
}

}  // namespace bw::tester

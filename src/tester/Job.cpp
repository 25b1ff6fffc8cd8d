#include "tester/Job.h"

#include <array>
#include <sstream>

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

}  // namespace

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

std::vector<Step> plan_job(const TesterJob& job) {
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
    if (!step) return bw::tester_function_keys(std::nullopt, 0, 0);
    return bw::tester_function_keys(step->side, step->block, step->level);
}

bool needs_test_file(const TesterJob& job) {
    // Writes go to the test file; the Functional test also reads it.
    return job.write || job.multi == 3 || job.type == JobType::Functional;
}

bool reads_device(const TesterJob& job) {
    return job.type == JobType::Performance && (job.read || job.multi == 3);
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

// brantwell-cli counters as a script uses it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

std::string cli() {
    return (test::binary_dir() / "src/cli/brantwell-cli").string();
}

int run(const std::string& args, std::string* out) {
    return test::run_shell(cli() + " counters " + args, out);
}

TEST(CliCounters, JsonGivesOneObjectPerSample) {
    std::string out;
    ASSERT_EQ(run("--json --count 3 --interval 50 '\\Memory\\Available Bytes' '\\Processor "
                  "Information(_Total)\\% "
                  "Processor Time' '\\Cache\\Copy Reads/sec' 2>/dev/null",
                  &out),
              0)
        << out;
    std::istringstream lines(out);
    std::string line;
    int ticks = 0;
    while (std::getline(lines, line)) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j["tick"], ++ticks);
        EXPECT_GT(j["values"]["\\Memory\\Available Bytes"].get<double>(), 0);
        const double cpu = j["values"]["\\Processor Information(_Total)\\% Processor Time"];
        EXPECT_GE(cpu, 0);
        EXPECT_LE(cpu, 100);
        EXPECT_EQ(j["status"]["\\Cache\\Copy Reads/sec"], "n/a on Linux");
    }
    EXPECT_EQ(ticks, 3);
}

TEST(CliCounters, BadPathsSayWhyAndFail) {
    std::string out;
    EXPECT_EQ(run("'\\Memory\\Nope' '\\\\ELSEWHERE\\Memory\\Available Bytes'", &out), 2);
    EXPECT_NE(out.find("cannot add counter \\Memory\\Nope: no such counter"), std::string::npos)
        << out;
    EXPECT_NE(out.find("not this computer"), std::string::npos) << out;
    EXPECT_EQ(run("", &out), 2);
    EXPECT_NE(out.find("give at least one counter path"), std::string::npos);
    EXPECT_EQ(run("--sysroot /nonexistent --list Memory", &out), 2);
    EXPECT_NE(out.find("not a captured system"), std::string::npos);
}

TEST(CliCounters, ListsTheObjectsOfACapturedSystem) {
    test::TempDir root;
    for (const char* part : {"base", "t0"})
        std::filesystem::copy(test::fixture(std::string("counters/vm2cpu/") + part), root.path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::copy_symlinks);
    std::string out;
    ASSERT_EQ(
        run("--sysroot " + root.path().string() + " --list 'Processor Information' --json", &out),
        0)
        << out;
    const auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["instances"], (std::vector<std::string>{"0,0", "0,1", "0,_Total", "_Total"}));
    ASSERT_EQ(run("--sysroot " + root.path().string() + " --list LogicalDisk", &out), 0) << out;
    EXPECT_NE(out.find("Split IO/Sec  (n/a on Linux: reads 0)"), std::string::npos) << out;
}

}  // namespace
}  // namespace bw

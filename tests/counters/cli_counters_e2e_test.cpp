// brantwell-cli counters as a script uses it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "support/counter_machine.h"
#include "support/scratch_device.h"  // run_shell

namespace bw {
namespace {

int run(const std::string& args, std::string* out) {
    return test::run_shell(
        (test::binary_dir() / "src/cli/brantwell-cli").string() + " counters " + args, out);
}

TEST(CliCounters, JsonGivesOneObjectPerSample) {
    const std::string mem = "\\Memory\\Available Bytes",
                      cpu = "\\Processor Information(_Total)\\% Processor Time",
                      copy = "\\Cache\\Copy Reads/sec";
    std::string out;
    const std::string paths = "'" + mem + "' '" + cpu + "' '" + copy + "'";
    ASSERT_EQ(run("--json --count 3 --interval 50 " + paths + " 2>/dev/null", &out), 0) << out;
    std::istringstream lines(out);
    std::string line;
    int ticks = 0;
    while (std::getline(lines, line)) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j["tick"], ++ticks);
        EXPECT_GT(j["values"][mem].get<double>(), 0);
        EXPECT_GE(j["values"][cpu].get<double>(), 0);
        EXPECT_LE(j["values"][cpu].get<double>(), 100);
        EXPECT_EQ(j["status"][copy], "n/a on Linux");
    }
    EXPECT_EQ(ticks, 3);
}

TEST(CliCounters, BadPathsSayWhyAndFail) {
    static constexpr std::pair<const char*, const char*> kCases[] = {
        {"'\\Memory\\Nope' '\\\\ELSEWHERE\\Memory\\Available Bytes'",
         "cannot add counter \\Memory\\Nope: no such counter"},
        {"'\\\\ELSEWHERE\\Memory\\Available Bytes'", "not this computer"},
        {"", "give at least one counter path"},
        {"--sysroot /nonexistent --list Memory", "not a captured system"},
    };
    for (const auto& [args, says] : kCases) {
        std::string out;
        EXPECT_EQ(run(args, &out), 2) << args;
        EXPECT_NE(out.find(says), std::string::npos) << out;
    }
}

TEST(CliCounters, ListsTheObjectsOfACapturedSystem) {
    test::TempDir root;
    for (const char* part : {"base", "t0"}) test::lay_captured(root.path(), part);
    const std::string sysroot = "--sysroot " + root.path().string();
    std::string out;
    ASSERT_EQ(run(sysroot + " --list 'Processor Information' --json", &out), 0) << out;
    EXPECT_EQ(nlohmann::json::parse(out)["instances"],
              (std::vector<std::string>{"0,0", "0,1", "0,_Total", "_Total"}));
    ASSERT_EQ(run(sysroot + " --list LogicalDisk", &out), 0) << out;
    EXPECT_NE(out.find("Split IO/Sec  (n/a on Linux: reads 0)"), std::string::npos) << out;
}

}  // namespace
}  // namespace bw

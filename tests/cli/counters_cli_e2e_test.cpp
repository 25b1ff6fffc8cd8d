// brantwell-cli counters as a script uses it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli.h"
#include "support/counter_machine.h"
#include "support/fakes.h"

namespace bw {
namespace {

using Args = std::vector<std::string>;

test::CliRun run(Args args) {
    args.insert(args.begin(), "counters");
    return test::run_cli(args);
}

TEST(CliCounters, JsonGivesOneObjectPerSample) {
    const std::string mem = "\\Memory\\Available Bytes",
                      cpu = "\\Processor Information(_Total)\\% Processor Time",
                      copy = "\\Cache\\Copy Reads/sec";
    const test::CliRun r = run({"--json", "--count", "3", "--interval", "50", mem, cpu, copy});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
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
    const std::pair<Args, const char*> kCases[] = {
        {{"\\Memory\\Nope", "\\\\ELSEWHERE\\Memory\\Available Bytes"},
         "cannot add counter \\Memory\\Nope: no such counter"},
        {{"\\\\ELSEWHERE\\Memory\\Available Bytes"}, "not this computer"},
        {{}, "give at least one counter path"},
        {{"--sysroot", "/nonexistent", "--list", "Memory"}, "Directory does not exist: /nonexistent"},
    };
    for (const auto& [args, says] : kCases) {
        const test::CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << says;
        EXPECT_NE((r.out + r.err).find(says), std::string::npos) << r.out << r.err;
    }
}

TEST(CliCounters, ListsTheObjectsOfACapturedSystem) {
    test::TempDir root;
    for (const char* part : {"base", "t0"}) test::lay_captured(root.path(), part);
    const std::string sysroot = root.path().string();
    test::CliRun r = run({"--sysroot", sysroot, "--list", "Processor Information", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["instances"],
              (std::vector<std::string>{"0,0", "0,1", "0,_Total", "_Total"}));
    r = run({"--sysroot", sysroot, "--list", "LogicalDisk"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Split IO/Sec  (n/a on Linux: reads 0)"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace bw

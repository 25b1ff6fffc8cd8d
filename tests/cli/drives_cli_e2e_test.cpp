// brantwell-cli drives and sysinfo on this machine: the drive list with the dirty check of each
// entry (which reads the volumes' block devices, hence root), and the system facts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "support/cli.h"

namespace bw {
namespace {

using nlohmann::json;

TEST(DrivesCli, ListsThisMachine) {
    if (::geteuid() != 0) GTEST_SKIP() << "the dirty check reads block devices: needs root";
    const test::CliRun drives = test::run_cli({"drives", "--dirty", "--json"});
    ASSERT_EQ(0, drives.status) << drives.err;
    const auto j = json::parse(drives.out.substr(drives.out.find('{')));
    ASSERT_FALSE(j["drive_list"].empty());
    EXPECT_EQ("C:", j["drive_list"][0].get<std::string>().substr(0, 2));
    EXPECT_EQ(j["drive_list"].size(), j["dirty_check"].size());
    const struct {
        std::vector<std::string> args;
        bool ok;
        const char* says;
    } runs[] = {{{"sysinfo", "--json"}, true, "\"Win Ver\""},
                {{"sysinfo", "--drive", "C"}, true, "***** Drive Size *****"},
                {{"sysinfo", "--drive", "Q"}, false, ""}};
    for (const auto& r : runs) {
        const test::CliRun run = test::run_cli(r.args);
        EXPECT_EQ(r.ok, run.status == 0) << r.args.back() << "\n" << run.out << run.err;
        EXPECT_NE(std::string::npos, run.out.find(r.says)) << r.args.back() << "\n" << run.out;
    }
}

}  // namespace
}  // namespace bw

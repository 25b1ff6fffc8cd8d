// `brantwell-cli ini get/set` against the program's own store: the same file, the same rules,
// either side reading what the other wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/INIReadWrite.h"
#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::read_file;
using test::TempDir;
using test::write_file;
using Args = std::vector<std::string>;

// Runs the built brantwell-cli with these arguments after "ini".
CliRun ini_cli(Args args) {
    args.insert(args.begin(), "ini");
    return test::run_cli(args);
}

// The tests are built after brantwell-cli, so a missing one is a failure rather than a skip.
class IniCli : public testing::Test {
  protected:
    // The value printed, on one line even when empty.
    std::string get(const std::string& section, const std::string& key) {
        CliRun r = ini_cli({"get", file_.string(), section, key});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(!r.out.empty() && r.out.back() == '\n') << "one line, even when empty";
        return r.out.empty() ? r.out : r.out.substr(0, r.out.size() - 1);
    }

    TempDir dir_;
    fs::path file_ = dir_ / "DariDozodaz.dat";
};

// Values that take each rule of the store. A value that begins with "-" follows "--", as for any
// command, except a negative number, which needs none.
const std::vector<std::string> kValues = {"1",
                                          "",
                                          "C: 120 GB SSD [PD 0] {OS-SWAP}",
                                          "a=b",
                                          "  padded  ",
                                          "\"quoted\"",
                                          std::string(1100, 'z'),
                                          "-5",
                                          "--",
                                          "-R",
                                          "1\n[Evil]\nRun=1",
                                          "Gr\xc3\xb6\xc3\x9f"};

TEST_F(IniCli, ReadsAndWritesExactlyWhatTheProgramDoes) {
    TempDir other;
    const fs::path by_program = other / "DariDozodaz.dat";
    for (const auto& v : kValues) {
        SCOPED_TRACE(v.substr(0, 40));
        WriteINI(by_program, "Settings", "Value", v);
        const Args args = v == "-5" || v.empty() || v[0] != '-'
                              ? Args{"set", file_.string(), "Settings", "Value", v}
                              : Args{"set", "--", file_.string(), "Settings", "Value", v};
        ASSERT_EQ(ini_cli(args).status, 0);
        // Byte for byte the file the program would have written, and read back the same.
        EXPECT_EQ(read_file(file_), read_file(by_program));
        EXPECT_EQ(get("settings", "VALUE"), ReadINI(by_program, "Settings", "Value"));
    }
}

TEST_F(IniCli, MissingFileStaysMissingAndSetKeepsTheRest) {
    EXPECT_EQ(get("Settings", "Read"), "");
    EXPECT_TRUE(test::names_in(dir_.path()).empty()) << "no file, no lock file";
    write_file(file_, "[Settings]\r\nRead=1\r\n");
    ASSERT_EQ(ini_cli({"set", file_.string(), "Status", "Program 1", "1"}).status, 0);
    EXPECT_EQ(read_file(file_), "[Settings]\r\nRead=1\r\n[Status]\r\nProgram 1=1\r\n");
}

// What the CLI refuses: it says why on stderr and exits non-zero, and the file keeps its bytes.
TEST_F(IniCli, RefusesWithAReasonAndKeepsTheFile) {
    write_file(file_, "[Settings]\nRead=1\n");
    fs::create_directory(dir_ / "folder.dat");
    fs::create_symlink(file_, dir_ / "link.dat");
    const std::string f = file_.string(), d = (dir_ / "folder.dat").string(),
                      l = (dir_ / "link.dat").string();
    const struct {
        const char* name;
        Args args;
        int status;
        const char* says;  // part of the message
    } kCases[] = {
        {"empty_key", {"set", f, "Settings", "", "1"}, 1, "empty key name"},
        {"key_with_equals", {"set", f, "Settings", "a=b", "1"}, 1, "key name"},
        {"section_with_bracket", {"set", f, "Set]tings", "Read", "1"}, 1, "section name"},
        {"folder_as_file", {"set", d, "Settings", "Read", "1"}, 1, "not a regular file"},
        {"symlink_write", {"set", l, "Settings", "Read", "0"}, 1, "symlink"},
        {"symlink_read", {"get", l, "Settings", "Read"}, 1, "symlink"},
        {"folder_read", {"get", d, "Settings", "Read"}, 1, "not a regular file"},
        {"no_verb", {}, -1, ""},
        {"get_without_names", {"get", f}, -1, ""},
        {"set_without_value", {"set", f, "S", "K"}, -1, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        CliRun r = ini_cli(c.args);
        EXPECT_TRUE(c.status < 0 ? r.status != 0 : r.status == c.status) << r.status;
        EXPECT_FALSE(r.err.empty());
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.status > 0 && c.args[0] == "get") {
            EXPECT_EQ(r.out, "\n") << "the value is printed";
        }
        EXPECT_EQ(read_file(file_), "[Settings]\nRead=1\n");
    }
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
}

}  // namespace
}  // namespace bw

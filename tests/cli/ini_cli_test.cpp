// `brantwell-cli ini get/set` against the program's own store: the same file, the same rules,
// either side reading what the other wrote.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/INIReadWrite.h"
#include "support/fakes.h"

extern char** environ;

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs the built brantwell-cli with these arguments (no shell in between).
CliRun cli(const std::vector<std::string>& args) {
    CliRun r;
    const fs::path exe = test::binary_dir() / "src/cli/brantwell-cli";
    std::vector<std::string> argv_s{exe.string()};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_s) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return r;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        ::close(out[0]);
        ::close(err[0]);
        r.err = "cannot start " + exe.string();
        return r;
    }
    // Both pipes at once, so a chatty stderr cannot block the program.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* into[2] = {&r.out, &r.err};
    int open_pipes = 2;
    while (open_pipes > 0 && ::poll(fds, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                into[i]->append(buf, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

class IniCli : public testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(test::binary_dir() / "src/cli/brantwell-cli"))
            GTEST_SKIP() << "brantwell-cli is not built";
    }
    std::string get(const std::string& section, const std::string& key) {
        CliRun r = cli({"ini", "get", file_.string(), section, key});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(!r.out.empty() && r.out.back() == '\n') << "one line, even when empty";
        return r.out.empty() ? r.out : r.out.substr(0, r.out.size() - 1);
    }
    // A value that begins with "-" follows "--", as for any command.
    int set(const std::string& section, const std::string& key, const std::string& value) {
        if (!value.empty() && value.front() == '-')
            return cli({"ini", "set", file_.string(), section, key, "--", value}).status;
        return cli({"ini", "set", file_.string(), section, key, value}).status;
    }

    TempDir dir_;
    fs::path file_ = dir_ / "DariDozodaz.dat";
};

// Values that take each rule of the store: what the program writes, the CLI reads, and back.
const std::string kLong(1100, 'z');
const std::vector<std::string> kValues = {
    "1",
    "30",
    "",
    "C: 120 GB SSD [PD 0] {OS-SWAP}",
    "a=b",
    "  padded  ",
    "\"quoted\"",
    kLong,
    "-5",
    "--",
    "-R",
    "1\n[Evil]\nRun=1",
    "Gr\xc3\xb6\xc3\x9f"
    "e",
};

TEST_F(IniCli, ReadsWhatTheProgramWrote) {
    for (const auto& v : kValues) {
        SCOPED_TRACE(v.substr(0, 40));
        WriteINI(file_, "Settings", "Value", v);
        EXPECT_EQ(get("settings", "VALUE"), ReadINI(file_, "Settings", "Value"));
    }
}

TEST_F(IniCli, WritesWhatTheProgramReads) {
    TempDir other;
    const fs::path same_by_program = other / "DariDozodaz.dat";
    for (const auto& v : kValues) {
        SCOPED_TRACE(v.substr(0, 40));
        ASSERT_EQ(set("Settings", "Value", v), 0);
        WriteINI(same_by_program, "Settings", "Value", v);
        EXPECT_EQ(ReadINI(file_, "SETTINGS", "value"),
                  ReadINI(same_by_program, "Settings", "Value"));
        // Byte for byte the file the program would have written.
        EXPECT_EQ(read_file(file_), read_file(same_by_program));
    }
}

TEST_F(IniCli, NegativeNumbersNeedNoSeparator) {
    EXPECT_EQ(cli({"ini", "set", file_.string(), "Settings", "Offset", "-5"}).status, 0);
    EXPECT_EQ(get("Settings", "Offset"), "-5");
    EXPECT_EQ(cli({"ini", "set", "--", file_.string(), "Settings", "Switch", "-R"}).status, 0);
    EXPECT_EQ(get("Settings", "Switch"), "-R");
}

TEST_F(IniCli, MissingFileReadsEmptyAndStaysMissing) {
    EXPECT_EQ(get("Settings", "Read"), "");
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_FALSE(fs::exists(dir_ / "DariDozodaz.dat.lock"));
}

TEST_F(IniCli, SetCreatesTheFileAndKeepsTheRest) {
    write_file(file_, "[Settings]\r\nRead=1\r\n");
    ASSERT_EQ(set("Status", "Program 1", "1"), 0);
    EXPECT_EQ(read_file(file_), "[Settings]\r\nRead=1\r\n[Status]\r\nProgram 1=1\r\n");
    EXPECT_EQ(get("STATUS", "program 1"), "1");
}

// What the CLI refuses: it says why on stderr and exits 1, and the file keeps its bytes.
struct Refusal {
    const char* name;
    std::vector<std::string> args;  // after "ini"; "{file}" is the settings file
    const char* says;               // part of the message
};

TEST_F(IniCli, RefusesWithAReasonAndKeepsTheFile) {
    write_file(file_, "[Settings]\nRead=1\n");
    fs::create_directory(dir_ / "folder.dat");
    fs::create_symlink(file_, dir_ / "link.dat");
    const std::string f = file_.string(), d = (dir_ / "folder.dat").string(),
                      l = (dir_ / "link.dat").string();
    const Refusal cases[] = {
        {"empty_key", {"set", f, "Settings", "", "1"}, "empty key name"},
        {"key_with_equals", {"set", f, "Settings", "a=b", "1"}, "key name"},
        {"section_with_bracket", {"set", f, "Set]tings", "Read", "1"}, "section name"},
        {"folder_as_file", {"set", d, "Settings", "Read", "1"}, "not a regular file"},
        {"symlink_write", {"set", l, "Settings", "Read", "0"}, "symlink"},
        {"symlink_read", {"get", l, "Settings", "Read"}, "symlink"},
        {"folder_read", {"get", d, "Settings", "Read"}, "not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"ini"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.args[0] == "get") {
            EXPECT_EQ(r.out, "\n") << "the value read is still printed";
        }
        EXPECT_EQ(read_file(file_), "[Settings]\nRead=1\n");
    }
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
}

TEST_F(IniCli, UsageErrorsExitNonZero) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"ini"}, {"ini", "get", file_.string()}, {"ini", "set", file_.string(), "S", "K"}}) {
        CliRun r = cli(args);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(file_));
}

}  // namespace
}  // namespace bw

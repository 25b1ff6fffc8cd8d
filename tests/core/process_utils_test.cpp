// Finding, stopping and starting processes by image name; running a command and capturing its
// output; the registry store.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "core/AppState.h"
#include "core/DOSOutputs.h"
#include "core/INIReadWrite.h"
#include "core/mdlRegistry.h"
#include "core/modGeneral.h"
#include "core/modKill.h"
#include "core/modTasks.h"
#include "platform/Processes.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::ScriptedPrompt;
using test::TempDir;

// A long-running program under a name of our choosing: a copy of sleep.
pid_t start_named(const fs::path& dir, const std::string& name) {
    fs::copy_file("/bin/sleep", dir / name, fs::copy_options::overwrite_existing);
    std::string error;
    pid_t pid = proc::spawn(dir / name, {"60"}, dir, &error);
    EXPECT_GT(pid, 0) << error;
    // posix_spawn returns before the exec; wait until the new image is in place.
    for (int i = 0; i < 200 && proc::image_name(pid) != name; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return pid;
}

TEST(ProcessLookup, MatchesImageNamesWithoutCaseAndBlanks) {
    // Looked up within the folder: other testers may run on this machine at the same time.
    TempDir dir;
    pid_t pid = start_named(dir.path(), "LoadWorker.exe");
    for (const char* wanted : {"LoadWorker.exe", "loadworker.exe", "LOADWORKER.EXE", " LOADWorker.exe "})
        EXPECT_EQ(GetProcessIdByName(wanted, dir.path()), pid) << wanted;
    EXPECT_EQ(GetProcessIdByName("LoadWorker2.exe", dir.path()), 0);
    EXPECT_EQ(GetProcessIdByName("", dir.path()), 0);
    EXPECT_EQ(FindProcessWindow("loadworker.exe", dir.path()), pid);
    TempDir elsewhere;
    EXPECT_EQ(FindProcessWindow("loadworker.exe", elsewhere.path()), 0)
        << "a program of the same name in another folder is not ours";
    KillWindowProcess(pid);
    for (int i = 0; i < 200 && GetProcessIdByName("LoadWorker.exe", dir.path()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(GetProcessIdByName("LoadWorker.exe", dir.path()), 0);
}

TEST(ProcessLookup, WithoutAFolderAnyProgramOfTheNameCounts) {
    TempDir dir;
    const std::string name = "bw-lookup-" + std::to_string(::getpid()) + ".EXE";
    pid_t pid = start_named(dir.path(), name);
    EXPECT_EQ(GetProcessIdByName(name), pid);
    ForceStopByName(name);
    for (int i = 0; i < 200 && GetProcessIdByName(name); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(GetProcessIdByName(name), 0);
}

TEST(ProcessLookup, LongNamesAreNotCutLikeComm) {
    TempDir dir;
    const std::string name = "a-rather-long-program-name.exe";
    pid_t pid = start_named(dir.path(), name);
    EXPECT_EQ(GetProcessIdByName(name), pid);
    auto names = ListProcesses();
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
    KillWindowProcess(pid);
}

TEST(Testers, StopTestersEndsAllThreeAndStartCopiesTheMissingFiles) {
    TempDir dir;
    app().working_folder = dir.path();
    std::vector<pid_t> pids;
    for (auto name : kTesterFiles) pids.push_back(start_named(dir.path(), std::string(name)));
    StopTesters();
    for (auto name : kTesterFiles) EXPECT_EQ(FindProcessWindow(name, dir.path()), 0) << name;

    fs::remove(dir / "LOADWorker2.exe");
    fs::remove(dir / "LOADWorker3.exe");
    EnsureTesterCopies();
    for (const char* copy : {"LOADWorker2.exe", "LOADWorker3.exe"}) {
        ASSERT_TRUE(fs::exists(dir / copy));
        EXPECT_EQ(test::read_file(dir / copy), test::read_file(dir / "LOADWorker.exe"));
        EXPECT_EQ(fs::status(dir / copy).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    app() = AppState{};
}

TEST(Testers, MissingTestersAreReportedAfterTheStart) {
    TempDir dir;
    app().working_folder = dir.path();
    ScriptedPrompt prompt;
    test::UsePrompt use(prompt);
    test::FakeClock clock;
    test::UseClock use_clock(clock);
    WriteINI(app().working_ini(), "Status", "Program 1", "1");  // only the first reported in
    StartTESTERS();
    EXPECT_EQ(prompt.count_containing(kTesterNotStarted), 2);
    EXPECT_EQ(prompt.shown().front().icon, PromptIcon::Critical);
    EXPECT_GE(clock.paused_total(), 1000);
    app() = AppState{};
}

TEST(DOSOutputs, DeliversOutputInOrderedChunksOfAtMost256Bytes) {
    DOSOutputs dos;
    std::string joined;
    size_t chunks = 0, largest = 0;
    dos.ReceiveOutputs = [&](std::string_view chunk) {
        ++chunks;
        largest = std::max(largest, chunk.size());
        joined += chunk;
    };
    // 5,000 numbered lines: longer than any single read.
    std::string out = dos.ExecuteCommand("seq 1 5000");
    std::string expected;
    for (int i = 1; i <= 5000; ++i) expected += std::to_string(i) + "\n";
    EXPECT_EQ(out, expected);
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(dos.Outputs(), expected);
    EXPECT_LE(largest, DOSOutputs::kChunkBytes);
    EXPECT_GE(chunks, expected.size() / DOSOutputs::kChunkBytes);
    EXPECT_EQ(dos.ExitStatus(), 0);
}

TEST(DOSOutputs, FailuresAreToldAndReturnNothing) {
    struct Case {
        const char* command;
        std::string_view message;
    };
    const Case cases[] = {
        {"", kCommandLineEmpty},
        {"   ", kCommandLineEmpty},
        {"no-such-program-here --version", kCommandNotFound},
    };
    for (const auto& c : cases) {
        ScriptedPrompt prompt;
        test::UsePrompt use(prompt);
        DOSOutputs dos;
        EXPECT_EQ(dos.ExecuteCommand(c.command), "") << c.command;
        ASSERT_EQ(prompt.shown().size(), 1u) << c.command;
        EXPECT_EQ(prompt.shown()[0].text, c.message);
        EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    }
}

TEST(DOSOutputs, SilentCommandRaisesNoTextAndStderrIsCaptured) {
    DOSOutputs dos;
    std::string seen;
    dos.ReceiveOutputs = [&](std::string_view chunk) { seen += chunk; };
    EXPECT_EQ(dos.ExecuteCommand("true"), "");
    EXPECT_EQ(seen, "");
    EXPECT_EQ(dos.ExecuteCommand("sh -c 'echo to-stderr >&2; exit 3'"), "to-stderr\n");
    EXPECT_EQ(dos.ExitStatus(), 3);
}

TEST(DOSOutputs, SplitsCommandLinesLikeAShell) {
    using V = std::vector<std::string>;
    EXPECT_EQ(DOSOutputs::split_command_line("e2fsck -f -n /dev/x"), (V{"e2fsck", "-f", "-n", "/dev/x"}));
    EXPECT_EQ(DOSOutputs::split_command_line("ls \"/mnt/my disk\" 'a b'"), (V{"ls", "/mnt/my disk", "a b"}));
    EXPECT_EQ(DOSOutputs::split_command_line("echo a\\ b \"q\\\"x\""), (V{"echo", "a b", "q\"x"}));
    EXPECT_EQ(DOSOutputs::split_command_line(""), V{});
}

TEST(FileNameOnly, TakesThePartAfterTheLastSeparator) {
    EXPECT_EQ(FileNameOnly("/tmp/brantwell-0/LOADWorker.exe"), "LOADWorker.exe");
    EXPECT_EQ(FileNameOnly("C:\\Program Files\\Brantwell\\x.exe"), "x.exe");
    EXPECT_EQ(FileNameOnly("plain"), "plain");
    EXPECT_EQ(FileNameOnly("dir/"), "");
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { set_registry_store_path(dir_ / "Registry.dat"); }
    void TearDown() override { set_registry_store_path({}); }
    TempDir dir_;
};

constexpr std::string_view kLayers =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr std::string_view kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";

TEST_F(RegistryTest, KnownKeysKeepStringsAndNumbers) {
    SetKeyValue(RegHive::HKEY_CURRENT_USER, kLayers, "/opt/brantwell/brantwell",
                RegValue::string("RUNASADMIN"));
    SetKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "NtfsDisableLastAccessUpdate",
                RegValue::dword(1));
    auto s = QueryKeyValue(RegHive::HKEY_CURRENT_USER, kLayers, "/opt/brantwell/brantwell");
    EXPECT_EQ(s.type, REG_SZ);
    EXPECT_EQ(s.text, "RUNASADMIN");
    auto n = QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, "system\\currentcontrolset\\control\\filesystem",
                           "ntfsdisablelastaccessupdate");
    EXPECT_EQ(n.type, REG_DWORD);
    EXPECT_EQ(n.number, 1u);
    EXPECT_EQ(n.to_text(), "1");
}

TEST_F(RegistryTest, MissingKeysReadEmptyAndAreNeverCreated) {
    SetKeyValue(RegHive::HKEY_LOCAL_MACHINE, "Software\\Nobody\\Here", "X", RegValue::dword(7));
    EXPECT_TRUE(QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, "Software\\Nobody\\Here", "X").empty());
    EXPECT_FALSE(RegistryKeyExists(RegHive::HKEY_LOCAL_MACHINE, "Software\\Nobody\\Here"));
    EXPECT_FALSE(fs::exists(dir_ / "Registry.dat"));
    EXPECT_TRUE(QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "never-set").empty());
}

TEST_F(RegistryTest, DamagedStoreEntriesReadEmpty) {
    const std::string section = "HKEY_LOCAL_MACHINE\\" + std::string(kFileSystem);
    for (const char* raw : {"garbage", "4:-5", "4:99999999999", "9:what", ""}) {
        WriteINI(dir_ / "Registry.dat", section, "v", raw);
        EXPECT_TRUE(QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "v").empty()) << raw;
    }
}

TEST_F(RegistryTest, AdaptersServeValuesWithARealMeaning) {
    struct Flag : RegistryAdapter {
        RegValue value = RegValue::dword(1);
        RegValue query() override { return value; }
        bool set(const RegValue& v) override {
            value = v;
            return true;
        }
    };
    auto flag = std::make_shared<Flag>();
    register_registry_adapter(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "disabledeletenotify", flag);
    EXPECT_EQ(QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "DisableDeleteNotify").number, 1u);
    SetKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "disabledeletenotify", RegValue::dword(0));
    EXPECT_EQ(flag->value.number, 0u);
    EXPECT_FALSE(fs::exists(dir_ / "Registry.dat")) << "adapter values never reach the store";
    register_registry_adapter(RegHive::HKEY_LOCAL_MACHINE, kFileSystem, "disabledeletenotify", nullptr);
}

}  // namespace
}  // namespace bw

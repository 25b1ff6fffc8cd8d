// Finding, stopping and starting processes by image name; running a command and capturing its
// output; the registry store.
#include <gtest/gtest.h>
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

// Whether no program of the name is left (in the folder, when given) within a second.
bool gone(const std::string& name, const fs::path& dir = {}) {
    for (int i = 0; i < 200 && GetProcessIdByName(name, dir); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return GetProcessIdByName(name, dir) == 0;
}

// Names longer than the 15 characters of comm, and unique to this run: other testers may run on
// this machine at the same time.
TEST(ProcessLookup, ImageNamesMatchWithoutCaseOrBlanksInTheirFolderAndStop) {
    TempDir dir, elsewhere;
    const std::string id = std::to_string(::getpid()), name = "LoadWorker-long-name-" + id + ".exe",
                      lower = "loadworker-long-name-" + id + ".exe";
    pid_t pid = start_named(dir.path(), name);
    for (const std::string& wanted :
         {name, lower, "LOADWORKER-LONG-NAME-" + id + ".EXE", " " + name + " "})
        EXPECT_EQ(GetProcessIdByName(wanted, dir.path()), pid) << wanted;
    EXPECT_EQ(GetProcessIdByName(name), pid) << "without a folder any program of the name counts";
    EXPECT_EQ(GetProcessIdByName("LoadWorker2.exe", dir.path()), 0);
    EXPECT_EQ(GetProcessIdByName("", dir.path()), 0);
    EXPECT_EQ(FindProcessWindow(lower, dir.path()), pid);
    EXPECT_EQ(FindProcessWindow(lower, elsewhere.path()), 0)
        << "a program of the same name in another folder is not ours";
    auto names = ListProcesses();
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());

    pid_t other = start_named(elsewhere.path(), name);
    KillWindowProcess(pid);
    EXPECT_TRUE(gone(name, dir.path()));
    EXPECT_EQ(GetProcessIdByName(name), other);
    ForceStopByName(name);
    EXPECT_TRUE(gone(name));
}

// Copying the missing testers at a start is covered with the tool files. Here what is in the
// working folder when the testers start, and the reason told with each tester that did not start:
// a missing or unrunnable file (told even when a stale [Status] says it runs), a failed copy, or a
// tester that runs but never reported in. "1" in `running` is a program of that name left running.
TEST(Testers, TestersThatDidNotStartAreReportedWithTheReasonAndStopTestersEndsThemAll) {
    const struct {
        const char* name;
        const char* first_file;  // content of LOADWorker.exe, nullptr: none
        const char* running;     // per tester
        const char* reasons[3];
    } kCases[] = {
        {"nothing_there", nullptr, "000",
         {"LOADWorker.exe: No such file or directory", "cannot open", "cannot open"}},
        {"first_missing_others_silent", nullptr, "011",
         {"LOADWorker.exe: No such file or directory",
          "LOADWorker2.exe is running but has not reported in",
          "LOADWorker3.exe is running but has not reported in"}},
        {"first_not_a_program", "text", "000",
         {"LOADWorker.exe: Permission denied", "LOADWorker2.exe: Exec format error",
          "LOADWorker3.exe: Exec format error"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        app().working_folder = dir.path();
        ScriptedPrompt prompt;
        test::UsePrompt use(prompt);
        test::FakeClock clock;
        test::UseClock use_clock(clock);
        if (c.first_file) test::write_file(dir / std::string(kTesterFiles[0]), c.first_file);
        for (size_t i = 0; i < kTesterFiles.size(); ++i)
            if (c.running[i] == '1') start_named(dir.path(), std::string(kTesterFiles[i]));
        WriteINI(app().working_ini(), "Status", "Program 1", "1");  // stale: the first never ran
        StartTESTERS();
        ASSERT_EQ(prompt.shown().size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const auto& shown = prompt.shown()[i];
            EXPECT_EQ(shown.text.rfind(kTesterNotStarted, 0), 0u) << shown.text;
            EXPECT_NE(shown.text.find(c.reasons[i]), std::string::npos) << shown.text;
            EXPECT_EQ(shown.icon, PromptIcon::Critical);
        }
        EXPECT_GE(clock.paused_total(), 1000);
        StopTesters();
        for (auto name : kTesterFiles) EXPECT_EQ(FindProcessWindow(name, dir.path()), 0) << name;
        app() = AppState{};
    }
}

TEST(DOSOutputs, DeliversStdoutAndStderrInOrderedChunksOfAtMost256Bytes) {
    DOSOutputs dos;
    std::string joined;
    size_t chunks = 0, largest = 0;
    dos.ReceiveOutputs = [&](std::string_view chunk) {
        ++chunks;
        largest = std::max(largest, chunk.size());
        joined += chunk;
    };
    // 5,000 numbered lines: longer than any single read.
    std::string expected;
    for (int i = 1; i <= 5000; ++i) expected += std::to_string(i) + "\n";
    EXPECT_EQ(dos.ExecuteCommand("seq 1 5000"), expected);
    EXPECT_EQ(joined, expected);
    EXPECT_LE(largest, DOSOutputs::kChunkBytes);
    EXPECT_EQ(dos.ExitStatus(), 0);
    chunks = 0;
    EXPECT_EQ(dos.ExecuteCommand("true"), "");
    EXPECT_EQ(chunks, 0u) << "a silent command raises no text";
    EXPECT_EQ(dos.ExecuteCommand("sh -c 'echo to-stderr >&2; exit 3'"), "to-stderr\n");
    EXPECT_EQ(dos.ExitStatus(), 3);
}

TEST(DOSOutputs, FailuresAreToldAndReturnNothing) {
    const std::pair<const char*, std::string_view> cases[] = {
        {"", kCommandLineEmpty},
        {"   ", kCommandLineEmpty},
        {"no-such-program-here --version", kCommandNotFound},
    };
    for (const auto& [command, message] : cases) {
        ScriptedPrompt prompt;
        test::UsePrompt use(prompt);
        EXPECT_EQ(DOSOutputs().ExecuteCommand(command), "") << command;
        ASSERT_EQ(prompt.shown().size(), 1u) << command;
        EXPECT_EQ(prompt.shown()[0].text, message);
        EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    }
}

TEST(DOSOutputs, SplitsCommandLinesLikeAShell) {
    using V = std::vector<std::string>;
    const std::pair<const char*, V> cases[] = {
        {"e2fsck -f -n /dev/x", {"e2fsck", "-f", "-n", "/dev/x"}},
        {"ls \"/mnt/my disk\" 'a b'", {"ls", "/mnt/my disk", "a b"}},
        {"echo a\\ b \"q\\\"x\"", {"echo", "a b", "q\"x"}},
        {"", {}}};
    for (const auto& [line, args] : cases) EXPECT_EQ(DOSOutputs::split_command_line(line), args);
}

TEST(FileNameOnly, TakesThePartAfterTheLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/b/LOADWorker.exe", "LOADWorker.exe"},
        {"C:\\Program Files\\Brantwell\\x.exe", "x.exe"},
        {"plain", "plain"},
        {"dir/", ""}};
    for (const auto& [path, name] : cases) EXPECT_EQ(FileNameOnly(path), name) << path;
}

constexpr std::string_view kLayers =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr std::string_view kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";
constexpr RegHive HKLM = RegHive::HKEY_LOCAL_MACHINE, HKCU = RegHive::HKEY_CURRENT_USER;

// Known keys keep strings and numbers, names matched without case; values with a real meaning go
// to their adapter and never reach the store. Unknown keys are never created; values never set
// or damaged in the store read empty.
TEST(Registry, KnownKeysKeepValuesAndAllElseReadsEmpty) {
    TempDir dir;
    const fs::path store = dir / "Registry.dat";
    set_registry_store_path(store);
    SetKeyValue(HKLM, "Software\\Nobody\\Here", "X", RegValue::dword(7));
    EXPECT_TRUE(QueryKeyValue(HKLM, "Software\\Nobody\\Here", "X").empty());
    EXPECT_FALSE(RegistryKeyExists(HKLM, "Software\\Nobody\\Here"));
    struct Flag : RegistryAdapter {
        RegValue value = RegValue::dword(1);
        RegValue query() override { return value; }
        bool set(const RegValue& v) override { value = v; return true; }
    };
    auto flag = std::make_shared<Flag>();
    register_registry_adapter(HKLM, kFileSystem, "disabledeletenotify", flag);
    EXPECT_EQ(QueryKeyValue(HKLM, kFileSystem, "DisableDeleteNotify").number, 1u);
    SetKeyValue(HKLM, kFileSystem, "disabledeletenotify", RegValue::dword(0));
    EXPECT_EQ(flag->value.number, 0u);
    register_registry_adapter(HKLM, kFileSystem, "disabledeletenotify", nullptr);
    EXPECT_FALSE(fs::exists(store));

    SetKeyValue(HKCU, kLayers, "/opt/brantwell/brantwell", RegValue::string("RUNASADMIN"));
    SetKeyValue(HKLM, kFileSystem, "NtfsDisableLastAccessUpdate", RegValue::dword(1));
    auto s = QueryKeyValue(HKCU, kLayers, "/opt/brantwell/brantwell");
    EXPECT_EQ(s.type, REG_SZ);
    EXPECT_EQ(s.text, "RUNASADMIN");
    auto n = QueryKeyValue(HKLM, "system\\currentcontrolset\\control\\filesystem",
                           "ntfsdisablelastaccessupdate");
    EXPECT_EQ(n.type, REG_DWORD);
    EXPECT_EQ(n.to_text(), "1");
    EXPECT_TRUE(QueryKeyValue(HKLM, kFileSystem, "never-set").empty());
    for (const char* raw : {"garbage", "4:-5", "4:99999999999", "9:what", ""}) {
        WriteINI(store, "HKEY_LOCAL_MACHINE\\" + std::string(kFileSystem), "v", raw);
        EXPECT_TRUE(QueryKeyValue(HKLM, kFileSystem, "v").empty()) << raw;
    }
    set_registry_store_path({});
}

}  // namespace
}  // namespace bw

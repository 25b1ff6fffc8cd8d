// The source tree's rooms: windows (Qt) only in a subsystem's ui/ folder and the program's entry
// folder, machine access only in platform/ and the tester, and each folder including only the
// folders below it. A change that reaches across fails here, with the file and line named.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The folders each folder may include from (its own always). A ui/ folder may include what its
// subsystem may, the subsystem itself and the shared window helpers of core/ui.
struct Edge {
    const char* from;
    std::vector<const char*> to;
};
const std::vector<Edge> kAllowedEdges = {
    {"platform", {}},
    {"core", {"platform"}},
    {"drives", {"core", "platform"}},
    {"counters", {"core", "platform", "drives"}},
    {"standalone", {"core", "platform", "drives", "counters"}},
    {"testengine", {"core", "platform", "drives", "counters", "standalone"}},
    {"results", {"core", "platform", "drives", "testengine", "standalone"}},
    {"tools", {"core", "platform", "drives", "counters", "standalone"}},
    {"tester", {"core", "platform"}},
    {"cli", {"core", "platform", "drives", "counters", "testengine", "standalone", "results", "tools"}},
    {"app",
     {"core", "platform", "drives", "counters", "testengine", "standalone", "results", "tools",
      "core/ui", "drives/ui", "counters/ui", "testengine/ui", "standalone/ui", "results/ui",
      "tools/ui"}},
};

// Folders where the machine may be touched directly.
const std::set<std::string> kMachineRooms = {"platform", "tester"};

struct Violation {
    std::string where;  // file:line
    std::string what;
};

// The room of a source file given relative to src/: its top folder, with "/ui" when it lies in a
// ui folder ("counters/ui/frmRepair.cpp" -> "counters/ui", "drives/decoder_tables/X.h" -> "drives").
std::string room_of(const std::string& rel) {
    auto slash = rel.find('/');
    if (slash == std::string::npos) return "";
    std::string top = rel.substr(0, slash);
    if (rel.compare(slash + 1, 3, "ui/") == 0) return top + "/ui";
    return top;
}

bool is_ui_room(const std::string& room) {
    return room == "app" || (room.size() > 3 && room.ends_with("/ui"));
}

bool may_include(const std::string& from, const std::string& to) {
    if (from == to) return true;
    std::string base = from;
    if (from != "app" && from.ends_with("/ui")) {
        base = from.substr(0, from.size() - 3);
        if (to == base || to == "core/ui") return true;
        // The result windows (graphs, printing, the overall report) open from the test windows.
        if ((base == "testengine" || base == "standalone") && (to == "results" || to == "results/ui"))
            return true;
    }
    for (const auto& e : kAllowedEdges)
        if (base == e.from)
            return std::any_of(e.to.begin(), e.to.end(), [&](const char* t) { return to == t; });
    return false;
}

// Everything the rules say about one file.
std::vector<Violation> check_file(const std::string& rel, const std::string& text) {
    static const std::regex kQt(R"(^\s*#\s*include\s*<Q[A-Za-z]*(/[A-Za-z]+)?>)");
    static const std::regex kSysHeader(
        R"(^\s*#\s*include\s*<(sys/|linux/|libmount/|blkid/)[^>]*>)");
    static const std::regex kIoctl(R"(\bioctl\s*\()");
    static const std::regex kMachinePath(R"re("/(proc|sys)(/|"))re");
    static const std::regex kLocalInclude(R"re(^\s*#\s*include\s*"([a-z_]+)/(ui/)?)re");

    const std::string room = room_of(rel);
    const bool machine_room = kMachineRooms.count(room) > 0;
    std::vector<Violation> found;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const auto first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line.compare(first, 2, "//") == 0) continue;
        const std::string where = rel + ":" + std::to_string(n);
        std::smatch m;
        if (!is_ui_room(room) && std::regex_search(line, kQt))
            found.push_back({where, "Qt outside ui/ and app/"});
        if (!machine_room && std::regex_search(line, kSysHeader))
            found.push_back({where, "system header outside platform/ and tester/"});
        if (!machine_room && std::regex_search(line, kIoctl))
            found.push_back({where, "ioctl outside platform/ and tester/"});
        if (!machine_room && std::regex_search(line, kMachinePath))
            found.push_back({where, "/proc or /sys path outside platform/ and tester/"});
        if (std::regex_search(line, m, kLocalInclude)) {
            std::string target = m[1].str() + (m[2].matched ? "/ui" : "");
            if (target == "generated") continue;
            if (!may_include(room, target))
                found.push_back({where, room + " may not include " + target});
        }
    }
    return found;
}

std::string describe(const std::vector<Violation>& vs) {
    std::string out;
    for (const auto& v : vs) out += "  " + v.where + ": " + v.what + "\n";
    return out;
}

struct Source {
    std::string rel;  // below src/
    std::string text;
};

// The sources under `folder` of the source tree, named relative to it.
std::vector<Source> sources(const char* folder = "src") {
    const fs::path src = fs::path(BW_SOURCE_DIR) / folder;
    std::vector<Source> out;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        std::ifstream f(entry.path());
        std::stringstream text;
        text << f.rdbuf();
        out.push_back({fs::relative(entry.path(), src).generic_string(), text.str()});
    }
    return out;
}

// Types a header defines at namespace level, as "namespace::Name".
std::vector<std::string> defined_types(const std::string& text) {
    static const std::regex kNamespace(R"(^namespace ([\w:]+) \{)");
    static const std::regex kType(R"(^(?:struct|class) (\w+)(?: final)?\s*(?::[^{;]*)?\{)");
    std::vector<std::string> out;
    std::string ns;
    std::istringstream in(text);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, kNamespace)) ns = m[1];
        if (std::regex_search(line, m, kType)) out.push_back(ns + "::" + m[1].str());
    }
    return out;
}

TEST(Layering, TheSourceTreeKeepsItsRooms) {
    std::vector<Violation> all;
    const auto files = sources();
    for (const auto& f : files) {
        auto vs = check_file(f.rel, f.text);
        all.insert(all.end(), vs.begin(), vs.end());
    }
    EXPECT_GT(files.size(), 100u) << "the scan found too few sources under src/";
    EXPECT_TRUE(all.empty()) << all.size() << " layering violations:\n" << describe(all);
}

// Two headers defining a type of the same name in the same namespace link without a word and
// then call one's destructor (or one's virtual functions) on the other's object: each name is
// defined once, in the program and in the tests' shared support alike.
TEST(Layering, EachTypeIsDefinedInOneHeader) {
    std::map<std::string, std::string> first;
    std::string clashes;
    auto files = sources();
    for (auto& f : sources("tests/support")) files.push_back({"tests/support/" + f.rel, f.text});
    for (const auto& f : files) {
        if (!f.rel.ends_with(".h")) continue;
        for (const auto& type : defined_types(f.text)) {
            auto [it, fresh] = first.emplace(type, f.rel);
            if (!fresh) clashes += "  " + type + " in " + it->second + " and " + f.rel + "\n";
        }
    }
    EXPECT_GT(first.size(), 50u);
    EXPECT_TRUE(clashes.empty()) << "types defined twice:\n" << clashes;
}

TEST(Layering, DefinedTypesAreFoundWithTheirNamespace) {
    const auto types = defined_types(
        "namespace bw {\nstruct LogicalDiskRecord {\n  struct Inner {};\n};\n"
        "class Query final : public Base {\nstruct Declared;\n}  // namespace bw\n"
        "namespace bw::tester {\nstruct Job {\n");
    EXPECT_EQ(types, (std::vector<std::string>{"bw::LogicalDiskRecord", "bw::Query",
                                                "bw::tester::Job"}));
}

// The scanner itself: each rule fires where it must and nowhere else.
TEST(Layering, RulesFireWhereTheyMust) {
    struct Case {
        const char* file;
        const char* line;
        bool flagged;
    };
    const Case cases[] = {
        {"core/Startup.cpp", "#include <QWidget>", true},
        {"core/Startup.cpp", "#include <QtCore/QString>", true},
        {"core/ui/FrmMain.cpp", "#include <QWidget>", false},
        {"app/main.cpp", "#include <QApplication>", false},
        {"counters/frmRepair.cpp", "#include <sys/mount.h>", true},
        {"core/private_profile.cpp", "#include <sys/file.h>", true},
        {"drives/VolumeMap.cpp", "#include <linux/fs.h>", true},
        {"platform/Mounts.cpp", "#include <sys/mount.h>", false},
        {"tester/Tester.cpp", "#include <sys/stat.h>", false},
        {"drives/DosApp.cpp", "    ioctl(fd, BLKGETSIZE64, &size);", true},
        {"platform/SystemQueryDisks.cpp", "    ioctl(fd, BLKGETSIZE64, &size);", false},
        {"counters/GetProcessCPU.cpp", R"(    root.read("/proc/" + pid + "/stat");)", true},
        {"core/EntryCheck.cpp", R"(    {"/sys", "sysfs"},)", true},
        {"core/EntryCheck.cpp", "// reads /proc/self/stat", false},
        {"drives/DosAppReport.cpp", R"(    "Device : /dev/" + name)", false},
        {"platform/PdhQuery.cpp", "#include \"core/cINI.h\"", true},
        {"core/Startup.cpp", "#include \"drives/DriveInventory.h\"", true},
        {"core/Startup.cpp", "#include \"core/ui/FrmMain.h\"", true},
        {"drives/DriveInventory.cpp", "#include \"counters/Counters.h\"", true},
        {"counters/CounterState.cpp", "#include \"drives/VolumeMap.h\"", false},
        {"counters/ui/frmRepair.cpp", "#include \"counters/frmRepair.h\"", false},
        {"counters/ui/frmRepair.cpp", "#include \"core/ui/QtPrompt.h\"", false},
        {"counters/ui/frmRepair.cpp", "#include \"drives/ui/X.h\"", true},
        {"tester/Job.cpp", "#include \"core/TesterProtocol.h\"", false},
        {"tester/Job.cpp", "#include \"drives/VolumeMap.h\"", true},
        {"cli/cmd_drives.cpp", "#include \"core/ui/FrmMain.h\"", true},
        {"app/main.cpp", "#include \"counters/ui/frmRepair.h\"", false},
        {"core/AppState.cpp", "#include \"generated/version.h\"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!check_file(c.file, std::string(c.line) + "\n").empty(), c.flagged)
            << c.file << ": " << c.line;
}

TEST(Layering, ViolationsNameFileAndLine) {
    auto vs = check_file("core/Loading.cpp", "int a;\n#include <QTimer>\n");
    ASSERT_EQ(vs.size(), 1u);
    EXPECT_EQ(vs[0].where, "core/Loading.cpp:2");
}

}  // namespace

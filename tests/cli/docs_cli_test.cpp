// The manual page and the bash completion the build makes from the CLI's own definitions: the
// page renders without a groff warning and names every verb and flag that --help lists, the
// completion completes verbs, flags and file or folder values when bash sources it, and the
// install puts both where man and bash-completion look.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

fs::path man_file() { return test::binary_dir() / "src/cli/brantwell-cli.1"; }
fs::path completion_file() { return test::binary_dir() / "src/cli/brantwell-cli.bash"; }

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// The names under a heading of CLI11's help ("Subcommands:", "Options:"): the first word of
// each indented line, positionals (no dash) left out for options.
std::vector<std::string> help_names(const std::string& help, const std::string& heading) {
    std::vector<std::string> names;
    std::istringstream in(help);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(heading, 0) == 0) {
            inside = true;
            continue;
        }
        if (!inside) continue;
        if (line.empty() || line[0] != ' ') {
            inside = false;
            continue;
        }
        if (line.size() < 3 || line[1] != ' ' || line[2] == ' ') continue;  // a wrapped description
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first.empty()) continue;
        // "-h,--help" lists the short and the long name: the long one is the page's.
        if (const auto comma = first.rfind(','); comma != std::string::npos)
            first = first.substr(comma + 1);
        if (heading == "Subcommands:" || first.rfind("--", 0) == 0) names.push_back(first);
    }
    return names;
}

TEST(ManPage, RendersWithoutWarnings) {
    ASSERT_TRUE(fs::exists(man_file())) << man_file();
    std::string out;
    const int status =
        test::run_shell("groff -ww -man -Tutf8 " + quoted(man_file()) + " 2>&1 >/dev/null", &out);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "") << "groff warned";
    // man itself reads it as a page file.
    out.clear();
    EXPECT_EQ(test::run_shell("MANWIDTH=80 man -l " + quoted(man_file()) + " 2>&1 >/dev/null", &out), 0);
    EXPECT_EQ(out, "");
}

// The lines of a verb's section in the rendered page: from its heading (indented three) to the
// next heading at that indent or less.
std::string verb_section(const std::string& page, const std::string& verb) {
    std::istringstream in(page);
    std::string section;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        const bool heading = !line.empty() && line.find_first_not_of(' ') <= 3;
        if (inside && heading) break;
        if (line == "   " + verb) inside = true;
        if (inside) section += line + "\n";
    }
    return section;
}

// Every verb --help lists has its section, with every flag its own --help lists, in the text a
// reader sees.
TEST(ManPage, NamesEveryVerbAndFlagThatHelpLists) {
    std::string page;
    ASSERT_EQ(test::run_shell("MANWIDTH=200 man -l " + quoted(man_file()) + " 2>/dev/null | col -b",
                              &page),
              0);
    const auto top = test::run_cli({"--help"});
    const auto verbs = help_names(top.out, "Subcommands:");
    ASSERT_GE(verbs.size(), 8u) << top.out;
    for (const auto& flag : help_names(top.out, "Options:"))
        EXPECT_NE(page.find(flag), std::string::npos) << flag;
    for (const auto& verb : verbs) {
        const std::string section = verb_section(page, verb);
        ASSERT_FALSE(section.empty()) << "no section for " << verb;
        const auto help = test::run_cli({verb, "--help"});
        for (const auto& flag : help_names(help.out, "Options:")) {
            if (flag == "--help") continue;
            EXPECT_NE(section.find(flag), std::string::npos) << verb << " " << flag;
        }
    }
    EXPECT_EQ(page.find("docs"), std::string::npos) << "the hidden verb is left out";
    EXPECT_NE(page.find("EXIT STATUS"), std::string::npos);
}

// What the completion offers for the words typed so far (the last is being completed).
std::set<std::string> complete(const std::vector<std::string>& words, const fs::path& cwd) {
    std::string array;
    for (const auto& w : words) array += " " + quoted(w);
    const std::string script = "cd " + quoted(cwd) + " && source " + quoted(completion_file()) +
                               " && COMP_WORDS=(" + array + ") && COMP_CWORD=" +
                               std::to_string(words.size() - 1) +
                               " && _brantwell_cli && printf '%s\\n' \"${COMPREPLY[@]}\"";
    // A file, so the script's own quotes need no second quoting.
    const fs::path file = cwd / ".complete.sh";
    std::ofstream(file) << script << "\n";
    std::string out;
    EXPECT_EQ(test::run_shell("bash " + quoted(file), &out), 0) << script;
    std::set<std::string> offered;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) offered.insert(line);
    return offered;
}

struct CompletionCase {
    std::vector<std::string> words;
    std::set<std::string> offered;  // all of these
    std::set<std::string> not_offered;
};

TEST(Completion, CompletesVerbsFlagsAndValues) {
    ASSERT_TRUE(fs::exists(completion_file())) << completion_file();
    test::TempDir dir;
    fs::create_directory(dir.path() / "sysroots");
    std::ofstream(dir.path() / "settings.dat") << "[Settings]\n";
    const CompletionCase kCases[] = {
        {{"brantwell-cli", ""}, {"test", "drives", "basic", "ini", "decode"}, {"docs", "--json"}},
        {{"brantwell-cli", "te"}, {"test"}, {"drives"}},
        {{"brantwell-cli", "--"}, {"--help", "--version", "--verbose"}, {"--drive"}},
        {{"brantwell-cli", "test", "--"}, {"--drive", "--yes", "--seconds", "--json", "--help"}, {"--version"}},
        {{"brantwell-cli", "test", "--bl"}, {"--blocks"}, {"--drive"}},
        // A value is not a verb: "ini" after --blocks is the blocks, and test's flags still follow.
        {{"brantwell-cli", "test", "--blocks", "ini", "--j"}, {"--json"}, {"get"}},
        {{"brantwell-cli", "test", "--seconds", ""}, {}, {"--drive", "test"}},
        {{"brantwell-cli", "ini", ""}, {"get", "set"}, {"test"}},
        {{"brantwell-cli", "ini", "get", "sett"}, {"settings.dat"}, {"sysroots"}},
        {{"brantwell-cli", "drives", "--sysroot", "sys"}, {"sysroots"}, {"settings.dat"}},
        {{"brantwell-cli", "drives", ""}, {"--json", "--sysroot"}, {"test"}},
        // Drive letters come from the program typed: its drive list always has the system's C:.
        {{test::cli_path().string(), "test", "--drive", ""}, {"C:"}, {"--json", "test"}},
        {{test::cli_path().string(), "basic", "--drive", "c"}, {"C:"}, {"D:"}},
    };
    for (const auto& c : kCases) {
        const auto offered = complete(c.words, dir.path());
        std::string typed;
        for (const auto& w : c.words) typed += w + " ";
        for (const auto& w : c.offered) EXPECT_TRUE(offered.count(w)) << typed << "-> no " << w;
        for (const auto& w : c.not_offered) EXPECT_FALSE(offered.count(w)) << typed << "-> " << w;
    }
}

// `cmake --install` puts the generated page and script where man and bash-completion look.
TEST(Install, PutsThePageAndTheCompletionInPlace) {
    test::TempDir prefix;
    std::string out;
    ASSERT_EQ(test::run_shell("cmake --install " + quoted(test::binary_dir()) + " --prefix " +
                                  quoted(prefix.path()) + " --component program 2>&1",
                              &out),
              0)
        << out;
    const fs::path page = prefix.path() / "share/man/man1/brantwell-cli.1";
    const fs::path script = prefix.path() / "share/bash-completion/completions/brantwell-cli";
    ASSERT_TRUE(fs::exists(page)) << out;
    ASSERT_TRUE(fs::exists(script)) << out;
    EXPECT_EQ(fs::file_size(page), fs::file_size(man_file()));
    EXPECT_TRUE(fs::exists(prefix.path() / "bin/brantwell-cli"));
}

}  // namespace
}  // namespace bw

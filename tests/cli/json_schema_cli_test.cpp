// Every verb's --json output, over the captured systems, is one JSON document (or one per line
// for the sampling verbs) that its schema file accepts: the fields a script relies on are there,
// with their types, and nothing else is on standard output.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/cli.h"
#include "support/counter_machine.h"
#include "support/fakes.h"
#include "support/json_schema.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

class JsonSchemaCli : public ::testing::Test {
  protected:
    // The letters of a captured system are given afresh, never remembered in a real preferences
    // file.
    JsonSchemaCli() { ::setenv("BRANTWELL_HOME", home_.path().c_str(), 1); }
    ~JsonSchemaCli() override { ::unsetenv("BRANTWELL_HOME"); }
    test::TempDir home_;
};

struct VerbCase {
    std::string verb;  // the schema file's name
    std::vector<std::string> args;
    bool one_per_line = false;
};

void expect_valid(const VerbCase& c) {
    const test::CliRun run = test::run_cli(c.args);
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    // 1 is a verb's "found a problem" (a counter that reads 0 on a fixture): still a document.
    EXPECT_TRUE(run.status == 0 || run.status == 1) << what << run.status << "\n" << run.err;
    const test::SchemaCheck check = test::check_against_schema(c.verb, run.out, c.one_per_line);
    if (!check.available) GTEST_SKIP() << check.errors;
    EXPECT_EQ("", check.errors) << what << "\n" << run.out.substr(0, 2000);
}

TEST_F(JsonSchemaCli, EveryCapturedSystemValidates) {
    for (const auto& entry : fs::directory_iterator(test::fixture("sysroots"))) {
        const std::string root = entry.path().string();
        const VerbCase cases[] = {
            {"drives", {"drives", "--json", "--sysroot", root}},
            {"sysinfo", {"sysinfo", "--json", "--sysroot", root}},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.verb + " over " + entry.path().filename().string());
            expect_valid(c);
        }
    }
}

TEST_F(JsonSchemaCli, EachShapeOfEachVerbValidates) {
    const std::string vm = test::fixture("sysroots/vm").string();
    // The machine the counters were captured on, at its first collect.
    test::TempDir counted;
    for (const char* part : {"base", "t0"}) test::lay_captured(counted.path(), part);
    const std::string machine = counted.path().string();
    const VerbCase cases[] = {
        {"sysinfo", {"sysinfo", "--json", "--sysroot", vm, "--drive", "C:"}},
        {"tweaks", {"tweaks", "--json", "--sysroot", vm}},
        {"decode", {"decode", "--json", "WDC WD10EZEX-00BN5A0 ATA Device"}},
        // No decoder takes it: "decoder" is null.
        {"decode", {"decode", "--json", "TOSHIBA DT01ACA100 ATA Device"}},
        // Bytes that are not UTF-8 are replaced, and the document stays JSON.
        {"decode", {"decode", "--json", "WD\xFF\xFE kingston"}},
        {"counters",
         {"counters", "--json", "--sysroot", machine, "--count", "2", "--interval", "10",
          "\\Memory\\Available Bytes", "\\PhysicalDisk(_Total)\\Split IO/Sec"},
         true},
        {"counters", {"counters", "--json", "--sysroot", machine, "--list", "LogicalDisk"}, true},
        {"monitor",
         {"monitor", "--json", "--sysroot", machine, "--drive", "C:", "--count", "1"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        expect_valid(c);
    }
}

// A schema that does not hold its verb's name, or that a wrong document passes, checks nothing.
TEST_F(JsonSchemaCli, SchemasRefuseWrongDocuments) {
    const struct {
        const char* verb;
        const char* document;
    } cases[] = {
        {"drives", R"({"schema": "brantwell.drives/2"})"},
        {"baseline", R"({"schema": "brantwell.baseline/1", "drive": "D:", "mb_per_s": "fast", "reason": ""})"},
        {"baseline", R"({"schema": "brantwell.baseline/1", "drive": "D:", "mb_per_second": 5, "reason": ""})"},
        {"basic", R"({"schema": "brantwell.test/1"})"},
        {"monitor", R"({"schema": "brantwell.monitor/1", "drive": "C:"})"},
        {"check", R"({"schema": "brantwell.check/1", "drive": "C:", "ran": true, "repaired": false,
                      "outcome": "fine", "verdict": "", "output": ""})"},
    };
    for (const auto& c : cases) {
        const test::SchemaCheck check = test::check_against_schema(c.verb, c.document);
        if (!check.available) GTEST_SKIP() << check.errors;
        EXPECT_NE("", check.errors) << c.verb << ": " << c.document;
    }
}

}  // namespace
}  // namespace bw

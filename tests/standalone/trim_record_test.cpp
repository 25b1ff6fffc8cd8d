// What the next start does after a TRIM test that did not finish: the switch set back as the
// record says, the test file deleted, and each said; a switch that cannot be set back keeps the
// record for the start after.
#include "standalone/TrimRecord.h"

#include <cerrno>

#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

// Plays the kernel: any remount makes the mount look as `after` says.
class SwapRunner : public MountRunner {
  public:
    SwapRunner(test::CounterMachine& m, std::string after) : m_(m), after_(std::move(after)) {}
    int run(const MountCall& call) override {
        calls.push_back(call.data);
        if (answer == 0) m_.write("/proc/self/mountinfo", after_);
        return answer;
    }
    bool acts_on_machine() const override { return false; }
    std::vector<std::string> calls;
    int answer = 0;

  private:
    test::CounterMachine& m_;
    std::string after_;
};

constexpr const char* kOff = "22 21 8:17 / /ssd rw,noatime - ext4 /dev/sdb1 rw,nodiscard\n";
constexpr const char* kOn = "22 21 8:17 / /ssd rw,noatime - ext4 /dev/sdb1 rw,discard\n";

TEST(TrimRecordRestore, PutsBackWhatTheRecordSaysAndSaysWhatItDid) {
    struct Case {
        const char* why;
        const char* now;  // mountinfo at the start
        bool found;       // the state recorded
        int answer;       // the remount's errno
        bool file_left;
        std::vector<std::string> calls;
        std::vector<std::string> said;
        bool record_stays;
    };
    const Case kCases[] = {
        {"killed while off", kOff, true, 0, true, {"discard"},
         {"The last TRIM test did not finish: TRIM of /ssd (its discard option) is set back to "
          "discard, as it was before the test.",
          "The test file @/TestMy.SSD left by the last TRIM test is deleted."},
         false},
        {"killed before switching", kOff, false, 0, false, {}, {}, false},
        {"cannot set back", kOff, true, EPERM, false, {"discard"},
         {"The last TRIM test did not finish and TRIM of /ssd could not be set back to discard: "
          "remount: Operation not permitted (remounting needs root). Brantwell tries again at "
          "its next start."},
         true},
        {"found off, left on", kOn, false, 0, false, {"nodiscard"},
         {"The last TRIM test did not finish: TRIM of /ssd (its discard option) is set back to "
          "nodiscard, as it was before the test."},
         false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        test::CounterMachine m;
        m.write("/proc/self/mountinfo", c.now);
        SwapRunner runner(m, c.found ? kOn : kOff);
        runner.answer = c.answer;
        DiscardSwitch sw(m.sysroot(), runner);
        test::TempDir dir;
        const auto prefs = dir / "DariDozodaz.dat";
        const auto file = dir / "TestMy.SSD";
        if (c.file_left) test::write_file(file, "Z");
        ASSERT_TRUE(WriteTrimRecord(prefs, {"/ssd", c.found, file}, nullptr));

        std::vector<std::string> said = RestoreAfterTrimTest(prefs, sw, dir.path());
        for (auto& s : said)
            if (auto at = s.find(dir.path().string()); at != std::string::npos)
                s.replace(at, dir.path().string().size(), "@");
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(runner.calls, c.calls);
        EXPECT_FALSE(std::filesystem::exists(file));
        EXPECT_EQ(ReadTrimRecord(prefs).has_value(), c.record_stays);
    }
}

TEST(TrimRecordRestore, AHostileRecordNeitherRemountsNorDeletesOtherFiles) {
    test::CounterMachine m;
    m.write("/proc/self/mountinfo", kOff);
    SwapRunner runner(m, kOn);
    DiscardSwitch sw(m.sysroot(), runner);
    test::TempDir dir;
    const auto prefs = dir / "DariDozodaz.dat";
    const auto precious = dir / "thesis.odt";
    test::write_file(precious, "mine");
    ASSERT_TRUE(WriteTrimRecord(prefs, {"ssd", true, precious}, nullptr));
    EXPECT_TRUE(RestoreAfterTrimTest(prefs, sw, dir.path()).empty());
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(test::read_file(precious), "mine");
}

}  // namespace
}  // namespace bw

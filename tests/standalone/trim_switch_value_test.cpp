// The delete-notification value as the start-up advice sees it, served from a volume's discard
// switch on a machine of files.
#include "standalone/TrimSwitchValue.h"

#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

class Recorder : public MountRunner {
  public:
    int run(const MountCall& call) override {
        calls.push_back(call.data);
        return EPERM;  // as without root: the value stays as it was
    }
    bool acts_on_machine() const override { return false; }
    std::vector<std::string> calls;
};

TEST(DiscardNotifyValue, OnWithDiscardOrThePeriodicTimer) {
    struct Case {
        const char* options;
        bool timer;
        const char* value;  // as text; "" when the volume is not mounted
    };
    const Case kCases[] = {
        {"rw,discard", false, "0"},
        {"rw", true, "0"},
        {"rw,nodiscard", false, "1"},
        {nullptr, false, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.options ? c.options : "not mounted");
        test::CounterMachine m;
        m.write("/proc/self/mountinfo",
                c.options ? std::string("21 1 8:1 / / rw - ext4 /dev/sda1 ") + c.options + "\n"
                          : "");
        if (c.timer)
            m.link("/etc/systemd/system/timers.target.wants/fstrim.timer",
                   "/lib/systemd/system/fstrim.timer");
        Recorder runner;
        DiscardNotifyValue v(m.sysroot(), runner, "/");
        EXPECT_EQ(v.query().to_text(), c.value);
    }
}

TEST(DiscardNotifyValue, SettingRemountsAndOnlyZeroOrOneIsTaken) {
    test::CounterMachine m;
    m.write("/proc/self/mountinfo", "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n");
    Recorder runner;
    DiscardNotifyValue v(m.sysroot(), runner, "/");
    EXPECT_FALSE(v.set(RegValue::dword(0)));  // refused by the runner, and said so
    EXPECT_FALSE(v.set(RegValue::dword(7)));
    EXPECT_FALSE(v.set(RegValue::string("0")));
    EXPECT_EQ(runner.calls, (std::vector<std::string>{"discard"}));
}

}  // namespace
}  // namespace bw

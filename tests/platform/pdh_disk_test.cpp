// Disk counters against sequences of /proc/diskstats states.
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include "counters/counter_machine.h"
#include "platform/PdhQuery.h"

namespace bw {
namespace {

using test::CounterMachine;
using test::DiskIo;

// The NUL-separated list with its closing NUL.
std::string nul_list(std::initializer_list<std::string> names) {
    std::string out;
    for (const auto& n : names) out += n + '\0';
    return out + '\0';
}

// sda (sda1 "/" = C:, sda2 under dm-0 "/home" = E:), sdb "/data" = D:.
class PdhDisk : public ::testing::Test {
  protected:
    PdhDisk() : use_clock_(clock_) {
        m_.add_disk("sda", "8:0", {"sda1", "sda2"});
        m_.add_disk("sdb", "8:16");
        m_.add_dm("dm-0", "253:0", {"sda2"});
        m_.mount("8:1", "/");
        m_.mount("253:0", "/home");
        m_.mount("8:16", "/data");
        lib_ = std::make_unique<PdhLibrary>(m_.sysroot());
        lib_->set_computer_name("BOX");
        EXPECT_EQ(lib_->OpenQuery(&query_), kPdhOk);
    }

    PdhHandle add(const std::string& path) {
        PdhHandle h = 0;
        EXPECT_EQ(lib_->AddCounter(query_, "\\\\BOX" + path, &h), kPdhOk) << path;
        return h;
    }
    void collect_after(int ms) {
        clock_.advance(ms);
        EXPECT_EQ(lib_->CollectQueryData(query_), kPdhOk);
    }
    double value(PdhHandle h, PdhStatus* st = nullptr, bool cap = true) {
        return lib_->GetDoubleCounterValue(h, st, cap);
    }
    static DiskIo plus(DiskIo a, const DiskIo& d) {
        a.reads += d.reads, a.read_sectors += d.read_sectors, a.read_ms += d.read_ms;
        a.writes += d.writes, a.write_sectors += d.write_sectors, a.write_ms += d.write_ms;
        a.io_ms += d.io_ms, a.in_flight = d.in_flight;
        return a;
    }

    test::FakeClock clock_;
    test::UseClock use_clock_;
    CounterMachine m_;
    std::unique_ptr<PdhLibrary> lib_;
    PdhHandle query_ = 0;
};

TEST_F(PdhDisk, InstancesNameTheDiskAndItsLetters) {
    std::string counters, instances;
    ASSERT_EQ(lib_->EnumObjectItems("BOX", "PhysicalDisk", &counters, &instances), kPdhOk);
    EXPECT_EQ(instances, nul_list({"0 C: E:", "1 D:", "_Total"}));
    ASSERT_EQ(lib_->EnumObjectItems("", "LogicalDisk", &counters, &instances), kPdhOk);
    EXPECT_EQ(instances, nul_list({"C:", "D:", "E:", "_Total"}));
    EXPECT_NE(counters.find(std::string("% Free Space\0", 13)), std::string::npos);
    EXPECT_EQ(lib_->EnumObjectItems("OTHER", "LogicalDisk", &counters, &instances), kPdhNoMachine);
    EXPECT_EQ(lib_->EnumObjectItems("BOX", "Disk", &counters, &instances), kPdhNoObject);
}

TEST_F(PdhDisk, EveryDiskCounterFollowsItsFormula) {
    struct Expect {
        const char* counter;
        double value;
    };
    // 200 reads of 800 sectors in 300 ms, 100 writes of 1600 sectors in 500 ms, busy 1500 ms, over
    // two seconds, three requests in flight at the end.
    static constexpr Expect kExpect[] = {
        {"Disk Read Bytes/sec", 204800},
        {"Disk Write Bytes/sec", 409600},
        {"Disk Bytes/sec", 614400},
        {"Disk Reads/sec", 100},
        {"Disk Writes/sec", 50},
        {"Disk Transfers/sec", 150},
        {"Avg. Disk sec/Read", 0.0015},
        {"Avg. Disk sec/Write", 0.005},
        {"Avg. Disk sec/Transfer", 0.8 / 300},
        {"Avg. Disk Read Queue Length", 0.15},
        {"Avg. Disk Write Queue Length", 0.25},
        {"Avg. Disk Queue Length", 0.4},
        {"% Disk Read Time", 15},
        {"% Disk Write Time", 25},
        {"% Disk Time", 40},
        {"% Idle Time", 25},
        {"Current Disk Queue Length", 3},
        {"Avg. Disk Bytes/Read", 2048},
        {"Avg. Disk Bytes/Write", 8192},
        {"Avg. Disk Bytes/Transfer", 4096},
        {"Split IO/Sec", 0},
    };
    std::vector<PdhHandle> handles;
    for (const auto& e : kExpect)
        handles.push_back(add(std::string("\\PhysicalDisk(1 D:)\\") + e.counter));
    DiskIo base{5000, 90000, 7000, 3000, 60000, 9000, 0, 20000, 0};
    m_.set_io("sdb", base);
    collect_after(0);
    // The first collect gives no rate.
    for (size_t i = 0; i < handles.size(); ++i) {
        PdhStatus st = kPdhOk;
        EXPECT_EQ(value(handles[i], &st), 0) << kExpect[i].counter;
    }
    m_.set_io("sdb", plus(base, {200, 800, 300, 100, 1600, 500, 3, 1500, 0}));
    collect_after(2000);
    for (size_t i = 0; i < handles.size(); ++i) {
        PdhStatus st = 1;
        EXPECT_NEAR(value(handles[i], &st), kExpect[i].value, 1e-9) << kExpect[i].counter;
        EXPECT_EQ(st, kPdhOk) << kExpect[i].counter;
    }
}

TEST_F(PdhDisk, FirstCollectReadsZeroWithItsReason) {
    const PdhHandle rate = add("\\PhysicalDisk(0 C: E:)\\Disk Reads/sec");
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(rate, &st), 0);
    EXPECT_EQ(st, kPdhNoData);
    collect_after(0);
    EXPECT_EQ(value(rate, &st), 0);
    EXPECT_EQ(st, kPdhInvalidData);
}

TEST_F(PdhDisk, TimeFieldsWrapAt32Bits) {
    const PdhHandle q = add("\\PhysicalDisk(0 C: E:)\\Avg. Disk Read Queue Length");
    const PdhHandle idle = add("\\PhysicalDisk(0 C: E:)\\% Idle Time");
    m_.set_io("sda", {10, 10, 4294967000ull, 0, 0, 0, 0, 4294966796ull, 0});
    collect_after(0);
    m_.set_io("sda", {20, 20, 200, 0, 0, 0, 0, 200, 0});  // 496 ms read, 700 ms busy
    collect_after(1000);
    EXPECT_NEAR(value(q), 0.496, 1e-12);
    EXPECT_NEAR(value(idle), 30, 1e-9);
}

TEST_F(PdhDisk, ResetOrNewDeviceRestartsTheRate) {
    const PdhHandle h = add("\\PhysicalDisk(1 D:)\\Disk Reads/sec");
    m_.set_io("sdb", {1000, 0, 0, 0, 0, 0, 0, 0, 0});
    collect_after(0);
    m_.set_io("sdb", {5, 0, 0, 0, 0, 0, 0, 0, 0});  // counts went back
    collect_after(1000);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(h, &st), 0);
    EXPECT_EQ(st, kPdhInvalidData);
    m_.set_io("sdb", {105, 0, 0, 0, 0, 0, 0, 0, 0});
    collect_after(1000);
    EXPECT_DOUBLE_EQ(value(h), 100);

    // Re-attached with a new sequence number: counts that happen to grow are not a rate.
    m_.write("/sys/devices/virtual/block/sdb/diskseq", "2\n");
    m_.set_io("sdb", {5000, 0, 0, 0, 0, 0, 0, 0, 0});
    collect_after(1000);
    EXPECT_EQ(value(h, &st), 0);
    EXPECT_EQ(st, kPdhInvalidData);
    m_.set_io("sdb", {5050, 0, 0, 0, 0, 0, 0, 0, 0});
    collect_after(500);
    EXPECT_DOUBLE_EQ(value(h), 100);
}

TEST_F(PdhDisk, VolumesCountTheirOwnDeviceDisksTheWholeDisk) {
    const PdhHandle disk = add("\\PhysicalDisk(0 C: E:)\\Disk Read Bytes/sec");
    const PdhHandle c = add("\\LogicalDisk(C:)\\Disk Read Bytes/sec");
    const PdhHandle e = add("\\LogicalDisk(E:)\\Disk Read Bytes/sec");
    const PdhHandle total = add("\\PhysicalDisk(_Total)\\Disk Read Bytes/sec");
    collect_after(0);
    // The whole disk counts its partitions' I/O; the dm volume over sda2 counts its own.
    m_.set_io("sda1", {1, 10, 0, 0, 0, 0, 0, 0, 0});
    m_.set_io("sda2", {1, 30, 0, 0, 0, 0, 0, 0, 0});
    m_.set_io("dm-0", {1, 30, 0, 0, 0, 0, 0, 0, 0});
    m_.set_io("sda", {2, 40, 0, 0, 0, 0, 0, 0, 0});
    m_.set_io("sdb", {2, 100, 0, 0, 0, 0, 0, 0, 0});
    collect_after(1000);
    EXPECT_DOUBLE_EQ(value(disk), 40 * 512);
    EXPECT_DOUBLE_EQ(value(c), 10 * 512);
    EXPECT_DOUBLE_EQ(value(e), 30 * 512);
    EXPECT_DOUBLE_EQ(value(total), 140 * 512);
}

TEST_F(PdhDisk, FreeSpaceComesFromTheMountedFilesystem) {
    const PdhHandle pct = add("\\LogicalDisk(D:)\\% Free Space");
    const PdhHandle mb = add("\\LogicalDisk(D:)\\Free Megabytes");
    collect_after(0);
    struct statvfs st {};
    ASSERT_EQ(::statvfs((m_.root() / "data").c_str(), &st), 0);
    const double avail = static_cast<double>(st.f_bavail) * st.f_frsize;
    EXPECT_NEAR(value(mb), avail / 1048576.0, 64);  // the tree's filesystem may move a little
    EXPECT_NEAR(value(pct), 100.0 * avail / (static_cast<double>(st.f_blocks) * st.f_frsize), 0.5);
}

TEST_F(PdhDisk, UnknownInstancesAddButReadZero) {
    const PdhHandle h = add("\\LogicalDisk(0)\\% Disk Time");
    collect_after(0);
    collect_after(1000);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(h, &st), 0);
    EXPECT_EQ(st, kPdhNoInstance);
}

TEST_F(PdhDisk, BadPathsAreRefusedWithTheirReason) {
    struct Case {
        const char* path;
        PdhStatus status;
    };
    static constexpr Case kCases[] = {
        {"\\\\OTHER\\Memory\\Available Bytes", kPdhNoMachine},
        {"\\\\BOX\\Memory\\Availble Bytes", kPdhNoCounter},
        {"\\\\BOX\\PhysicalDisk(0 C: E:)\\% Free Space", kPdhNoCounter},  // volumes only
        {"\\\\BOX\\Disk(0)\\x", kPdhNoObject},
        {"Memory", kPdhInvalidPath},
    };
    for (const auto& c : kCases) {
        PdhHandle h = 7;
        EXPECT_EQ(lib_->AddCounter(query_, c.path, &h), c.status) << c.path;
        EXPECT_EQ(h, 0u);
    }
    PdhHandle h = 0;
    EXPECT_EQ(lib_->AddCounter(12345, "\\Memory\\Available Bytes", &h), kPdhInvalidHandle);
    EXPECT_EQ(lib_->GetDoubleCounterValue(999), 0);
}

TEST_F(PdhDisk, SwitchedOffStatisticsRefuseTheDiskObjects) {
    // zram keeps counting with iostats 0: it has no request queue to switch.
    m_.add_disk("zram1", "252:1", {}, false, "0");
    PdhHandle h = 0;
    EXPECT_EQ(lib_->AddCounter(query_, "\\PhysicalDisk(_Total)\\Disk Reads/sec", &h), kPdhOk);
    m_.write("/sys/devices/virtual/block/sdb/queue/iostats", "0\n");
    EXPECT_EQ(lib_->FrozenDisks(), std::vector<std::string>{"sdb"});
    clock_.advance(1000);
    EXPECT_EQ(lib_->AddCounter(query_, "\\LogicalDisk(C:)\\% Disk Read Time", &h),
              kPdhCountersFrozen);
    EXPECT_EQ(lib_->AddCounter(query_, "\\PhysicalDisk(0 C: E:)\\% Disk Time", &h),
              kPdhCountersFrozen);
    EXPECT_EQ(lib_->AddCounter(query_, "\\Memory\\Available Bytes", &h), kPdhOk);
    m_.write("/sys/devices/virtual/block/sdb/queue/iostats", "1\n");
    clock_.advance(1000);
    EXPECT_EQ(lib_->AddCounter(query_, "\\LogicalDisk(C:)\\% Disk Read Time", &h), kPdhOk);
}

TEST_F(PdhDisk, PercentagesAreHeldTo100UnlessAskedNotTo) {
    const PdhHandle h = add("\\PhysicalDisk(1 D:)\\% Disk Time");
    collect_after(0);
    m_.set_io("sdb", {10, 0, 2500, 0, 0, 0, 0, 1000, 0});  // queue length 2.5
    collect_after(1000);
    EXPECT_DOUBLE_EQ(value(h), 100);
    EXPECT_DOUBLE_EQ(value(h, nullptr, false), 250);
}

TEST(PdhDiskMany, MoreThan26DisksAllGetInstances) {
    test::FakeClock clock;
    test::UseClock use(clock);
    CounterMachine m;
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        std::string n =
            i < 26 ? std::string("sd") + char('a' + i) : std::string("sda") + char('a' + i - 26);
        m.add_disk(n, fmt::format("{}:{}", 8 + i / 16, (i % 16) * 16));
        names.push_back(n);
    }
    m.mount("8:0", "/");
    PdhLibrary lib(m.sysroot());
    const auto& map = lib.disk_map();
    ASSERT_EQ(map.disks.size(), 30u);
    EXPECT_EQ(map.disks[25].kernel_name, "sdz");
    EXPECT_EQ(map.disks[26].kernel_name, "sdaa");
    EXPECT_EQ(PhysicalInstanceName(map.disks[0]), "0 C:");
    PdhHandle q = 0, h = 0;
    ASSERT_EQ(lib.OpenQuery(&q), kPdhOk);
    ASSERT_EQ(lib.AddCounter(q, "\\PhysicalDisk(29)\\Disk Writes/sec", &h), kPdhOk);
    lib.CollectQueryData(q);
    m.set_io("sdad", {0, 0, 0, 70, 0, 0, 0, 0, 0});
    clock.advance(1000);
    lib.CollectQueryData(q);
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(h), 70);
}

TEST(PdhNoProc, WithoutProcNothingOpens) {
    test::TempDir empty;
    PdhLibrary lib{Sysroot(empty.path())};
    PdhHandle q = 5;
    EXPECT_EQ(lib.OpenQuery(&q), kPdhNoSource);
    EXPECT_EQ(q, 0u);
    std::string c, i;
    EXPECT_EQ(lib.EnumObjectItems("", "PhysicalDisk", &c, &i), kPdhNoSource);
}

}  // namespace
}  // namespace bw

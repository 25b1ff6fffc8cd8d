// Disk counters against sequences of /proc/diskstats states.
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include "counters/counter_machine.h"

namespace bw {
namespace {

using test::DiskIo;

// The NUL-separated list with its closing NUL.
std::string nul_list(std::initializer_list<std::string> names) {
    std::string out;
    for (const auto& n : names) out += n + '\0';
    return out + '\0';
}

// sda (sda1 "/" = C:, sda2 under dm-0 "/home" = E:), sdb "/data" = D:.
class PdhDisk : public ::testing::Test, public test::PdhRig {
  protected:
    PdhDisk() {
        m_.add_disk("sda", "8:0", {"sda1", "sda2"});
        m_.add_disk("sdb", "8:16");
        m_.add_dm("dm-0", "253:0", {"sda2"});
        m_.mount("8:1", "/");
        m_.mount("253:0", "/home");
        m_.mount("8:16", "/data");
        open();
    }
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
    const DiskIo base{5000, 90000, 7000, 3000, 60000, 9000, 0, 20000, 0};
    m_.set_io("sdb", base);
    collect_after(0);
    for (size_t i = 0; i < handles.size(); ++i)  // the first collect gives no rate
        EXPECT_EQ(value(handles[i]), 0) << kExpect[i].counter;
    m_.set_io("sdb",
              {base.reads + 200, base.read_sectors + 800, base.read_ms + 300, base.writes + 100,
               base.write_sectors + 1600, base.write_ms + 500, 3, base.io_ms + 1500, 0});
    collect_after(2000);
    for (size_t i = 0; i < handles.size(); ++i) {
        PdhStatus st = 1;
        EXPECT_NEAR(value(handles[i], &st), kExpect[i].value, 1e-9) << kExpect[i].counter;
        EXPECT_EQ(st, kPdhOk) << kExpect[i].counter;
    }
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

TEST_F(PdhDisk, RatesStartOverOnFirstCollectResetOrNewDevice) {
    const PdhHandle h = add("\\PhysicalDisk(1 D:)\\Disk Reads/sec");
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(h, &st), 0);
    EXPECT_EQ(st, kPdhNoData);  // nothing collected yet
    struct Step {
        std::uint64_t reads;
        const char* diskseq;
        int ms;
        double value;
        PdhStatus status;
    };
    static constexpr Step kSteps[] = {
        {1000, "1", 0, 0, kPdhInvalidData},  // first collect: no rate yet
        {5, "1", 1000, 0, kPdhInvalidData},  // counts went back
        {105, "1", 1000, 100, kPdhOk},
        {5000, "2", 1000, 0, kPdhInvalidData},  // re-attached: counts that grow are no rate
        {5050, "2", 500, 100, kPdhOk},
    };
    for (const auto& s : kSteps) {
        m_.write("/sys/devices/virtual/block/sdb/diskseq", std::string(s.diskseq) + "\n");
        m_.set_io("sdb", {s.reads});
        collect_after(s.ms);
        st = 1;
        EXPECT_DOUBLE_EQ(value(h, &st), s.value) << s.reads;
        EXPECT_EQ(st, s.status) << s.reads;
    }
}

TEST_F(PdhDisk, VolumesCountTheirOwnDeviceDisksTheWholeDisk) {
    const PdhHandle disk = add("\\PhysicalDisk(0 C: E:)\\Disk Read Bytes/sec");
    const PdhHandle c = add("\\LogicalDisk(C:)\\Disk Read Bytes/sec");
    const PdhHandle e = add("\\LogicalDisk(E:)\\Disk Read Bytes/sec");
    const PdhHandle total = add("\\PhysicalDisk(_Total)\\Disk Read Bytes/sec");
    collect_after(0);
    // The whole disk counts its partitions' I/O; the dm volume over sda2 counts its own.
    for (const auto& [name, sectors] :
         {std::pair{"sda1", 10}, {"sda2", 30}, {"dm-0", 30}, {"sda", 40}, {"sdb", 100}})
        m_.set_io(name, {1, static_cast<std::uint64_t>(sectors)});
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
    ASSERT_EQ(::statvfs(m_.at("/data").c_str(), &st), 0);
    const double avail = static_cast<double>(st.f_bavail) * st.f_frsize;
    EXPECT_NEAR(value(mb), avail / 1048576.0, 64);  // the tree's filesystem may move a little
    EXPECT_NEAR(value(pct), 100.0 * avail / (static_cast<double>(st.f_blocks) * st.f_frsize), 0.5);
}

TEST_F(PdhDisk, PathsAndHandlesAreCheckedWithTheirReason) {
    struct Case {
        const char* path;
        PdhStatus add, read;
    };
    static constexpr Case kCases[] = {
        {"\\\\BOX\\PhysicalDisk(1 D:)\\Disk Reads/sec", kPdhOk, kPdhOk},
        {"\\LogicalDisk(0)\\% Disk Time", kPdhOk, kPdhNoInstance},  // unknown: adds, reads 0
        {"\\\\OTHER\\Memory\\Available Bytes", kPdhNoMachine, kPdhInvalidHandle},
        {"\\\\BOX\\Memory\\Availble Bytes", kPdhNoCounter, kPdhInvalidHandle},
        {"\\PhysicalDisk(0 C: E:)\\% Free Space", kPdhNoCounter, kPdhInvalidHandle},  // volumes
        {"\\Disk(0)\\x", kPdhNoObject, kPdhInvalidHandle},
        {"Memory", kPdhInvalidPath, kPdhInvalidHandle},
    };
    std::vector<PdhHandle> handles;
    for (const auto& c : kCases) {
        PdhHandle h = 7;
        EXPECT_EQ(lib_->AddCounter(query_, c.path, &h), c.add) << c.path;
        EXPECT_EQ(h != 0, c.add == kPdhOk) << c.path;
        handles.push_back(h);
    }
    collect_after(0);
    collect_after(1000);
    for (size_t i = 0; i < handles.size(); ++i) {
        PdhStatus st = 1;
        EXPECT_EQ(value(handles[i], &st), 0) << kCases[i].path;
        EXPECT_EQ(st, kCases[i].read) << kCases[i].path;
    }
    // A closed query takes its counters with it.
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhOk);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(handles[0], &st), 0);
    EXPECT_EQ(st, kPdhInvalidHandle);
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhInvalidHandle);
    EXPECT_EQ(lib_->CollectQueryData(query_), kPdhInvalidHandle);
    PdhHandle h = 0;
    EXPECT_EQ(lib_->AddCounter(12345, "\\Memory\\Available Bytes", &h), kPdhInvalidHandle);
}

TEST_F(PdhDisk, SwitchedOffStatisticsRefuseTheDiskObjects) {
    // zram keeps counting with iostats 0: it has no request queue to switch.
    m_.add_disk("zram1", "252:1", {}, false, "0");
    PdhHandle h = 0;
    EXPECT_EQ(lib_->AddCounter(query_, "\\PhysicalDisk(_Total)\\Disk Reads/sec", &h), kPdhOk);
    m_.set_iostats("sdb", false);
    EXPECT_EQ(lib_->FrozenDisks(), std::vector<std::string>{"sdb"});
    clock_.advance(1000);
    for (const char* path :
         {"\\LogicalDisk(C:)\\% Disk Read Time", "\\PhysicalDisk(0 C: E:)\\% Disk Time"})
        EXPECT_EQ(lib_->AddCounter(query_, path, &h), kPdhCountersFrozen) << path;
    EXPECT_EQ(lib_->AddCounter(query_, "\\Memory\\Available Bytes", &h), kPdhOk);
    m_.set_iostats("sdb", true);
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

TEST(PdhDiskMany, DisksPast26AreNumberedInNaturalOrder) {
    test::PdhRig r;
    for (int i = 0; i < 30; ++i)
        r.m_.add_disk(
            i < 26 ? fmt::format("sd{}", char('a' + i)) : fmt::format("sda{}", char('a' + i - 26)),
            fmt::format("{}:{}", 8 + i / 16, (i % 16) * 16));
    r.m_.mount("8:0", "/");
    r.open();
    ASSERT_EQ(r.lib_->disk_map().disks.size(), 30u);
    const PdhHandle h = r.add("\\PhysicalDisk(29)\\Disk Writes/sec");  // sdad, after sdz
    r.collect_after(0);
    r.m_.set_io("sdad", {0, 0, 0, 70});
    r.collect_after(1000);
    EXPECT_DOUBLE_EQ(r.value(h), 70);
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

// Disk counters against sequences of /proc/diskstats states.
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

using test::DiskIo;
using Read = std::pair<double, PdhStatus>;

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
    // A counter's value with the status it came with.
    Read read(PdhHandle h) {
        PdhStatus st = 1;
        const double v = value(h, &st);
        return {v, st};
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
    // 200 reads of 800 sectors in 300 ms, 100 writes of 1600 sectors in 500 ms, busy 1500 ms, over
    // two seconds, three requests in flight at the end.
    static constexpr std::pair<const char*, double> kExpect[] = {
        {"Disk Read Bytes/sec", 204800},          {"Disk Write Bytes/sec", 409600},
        {"Disk Bytes/sec", 614400},               {"Disk Reads/sec", 100},
        {"Disk Writes/sec", 50},                  {"Disk Transfers/sec", 150},
        {"Avg. Disk sec/Read", 0.0015},           {"Avg. Disk sec/Write", 0.005},
        {"Avg. Disk sec/Transfer", 0.8 / 300},    {"Avg. Disk Read Queue Length", 0.15},
        {"Avg. Disk Write Queue Length", 0.25},   {"Avg. Disk Queue Length", 0.4},
        {"% Disk Read Time", 15},                 {"% Disk Write Time", 25},
        {"% Disk Time", 40},                      {"% Idle Time", 25},
        {"Current Disk Queue Length", 3},         {"Avg. Disk Bytes/Read", 2048},
        {"Avg. Disk Bytes/Write", 8192},          {"Avg. Disk Bytes/Transfer", 4096},
        {"Split IO/Sec", 0},
    };
    std::vector<PdhHandle> handles;
    for (const auto& [counter, v] : kExpect)
        handles.push_back(add(std::string("\\PhysicalDisk(1 D:)\\") + counter));
    const DiskIo base{5000, 90000, 7000, 3000, 60000, 9000, 0, 20000, 0};
    m_.set_io("sdb", base);
    collect_after(0);
    m_.set_io("sdb",
              {base.reads + 200, base.read_sectors + 800, base.read_ms + 300, base.writes + 100,
               base.write_sectors + 1600, base.write_ms + 500, 3, base.io_ms + 1500, 0});
    collect_after(2000);
    for (size_t i = 0; i < handles.size(); ++i) {
        const auto [v, st] = read(handles[i]);
        EXPECT_NEAR(v, kExpect[i].second, 1e-9) << kExpect[i].first;
        EXPECT_EQ(st, kPdhOk) << kExpect[i].first;
    }
}

TEST_F(PdhDisk, TimeFieldsWrapAt32BitsAndPercentagesStopAt100) {
    const PdhHandle q = add("\\PhysicalDisk(0 C: E:)\\Avg. Disk Read Queue Length");
    const PdhHandle idle = add("\\PhysicalDisk(0 C: E:)\\% Idle Time");
    const PdhHandle busy = add("\\PhysicalDisk(1 D:)\\% Disk Time");
    m_.set_io("sda", {10, 10, 4294967000ull, 0, 0, 0, 0, 4294966796ull, 0});
    collect_after(0);
    m_.set_io("sda", {20, 20, 200, 0, 0, 0, 0, 200, 0});   // 496 ms read, 700 ms busy
    m_.set_io("sdb", {10, 0, 2500, 0, 0, 0, 0, 1000, 0});  // queue length 2.5
    collect_after(1000);
    EXPECT_NEAR(value(q), 0.496, 1e-12);
    EXPECT_NEAR(value(idle), 30, 1e-9);
    EXPECT_DOUBLE_EQ(value(busy), 100);
    EXPECT_DOUBLE_EQ(value(busy, nullptr, false), 250);  // unless asked not to
}

TEST_F(PdhDisk, RatesStartOverOnFirstCollectResetVanishingOrNewDevice) {
    const PdhHandle h = add("\\PhysicalDisk(1 D:)\\Disk Reads/sec");
    EXPECT_EQ(read(h), Read(0, kPdhNoData));  // nothing collected yet
    struct Step {
        std::uint64_t reads;
        const char* diskseq;
        bool listed;  // false: gone from /proc/diskstats
        int ms;
        Read read;
    };
    static constexpr Step kSteps[] = {
        {1000, "1", true, 0, {0, kPdhInvalidData}},  // first collect: no rate yet
        {5, "1", true, 1000, {0, kPdhInvalidData}},  // counts went back
        {105, "1", true, 1000, {100, kPdhOk}},
        {105, "1", false, 1000, {0, kPdhNoInstance}},
        {205, "1", true, 1000, {0, kPdhInvalidData}},   // back: nothing to compare with
        {5000, "2", true, 1000, {0, kPdhInvalidData}},  // re-attached: counts that grow are no rate
        {5050, "2", true, 500, {100, kPdhOk}},
    };
    for (const auto& s : kSteps) {
        SCOPED_TRACE(s.reads);
        m_.write("/sys/devices/virtual/block/sdb/diskseq", std::string(s.diskseq) + "\n");
        m_.set_io("sdb", {s.reads});
        if (!s.listed) m_.write("/proc/diskstats", "");
        collect_after(s.ms);
        EXPECT_EQ(read(h), s.read);
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
    EXPECT_EQ((std::array{value(disk), value(c), value(e), value(total)}),
              (std::array{40 * 512.0, 10 * 512.0, 30 * 512.0, 140 * 512.0}));
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
    for (size_t i = 0; i < handles.size(); ++i)
        EXPECT_EQ(read(handles[i]), Read(0, kCases[i].read)) << kCases[i].path;
    // A closed query takes its counters with it.
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhOk);
    EXPECT_EQ(read(handles[0]), Read(0, kPdhInvalidHandle));
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhInvalidHandle);
    EXPECT_EQ(lib_->CollectQueryData(query_), kPdhInvalidHandle);
    PdhHandle h = 0;
    EXPECT_EQ(lib_->AddCounter(12345, "\\Memory\\Available Bytes", &h), kPdhInvalidHandle);
}

// Statistics switched off on any disk refuse every disk counter until they are back on. zram
// counts with iostats 0 (it has no request queue to switch) and refuses nothing.
TEST_F(PdhDisk, SwitchedOffStatisticsRefuseTheDiskObjects) {
    m_.add_disk("zram1", "252:1", {}, false, "0");
    const auto try_add = [&](const char* path) {
        PdhHandle h = 0;
        return lib_->AddCounter(query_, path, &h);
    };
    EXPECT_EQ(try_add("\\PhysicalDisk(_Total)\\Disk Reads/sec"), kPdhOk);
    m_.set_iostats("sdb", false);
    EXPECT_EQ(lib_->FrozenDisks(), std::vector<std::string>{"sdb"});
    clock_.advance(1000);
    EXPECT_EQ(try_add("\\LogicalDisk(C:)\\% Disk Read Time"), kPdhCountersFrozen);
    EXPECT_EQ(try_add("\\PhysicalDisk(0 C: E:)\\% Disk Time"), kPdhCountersFrozen);
    EXPECT_EQ(try_add("\\Memory\\Available Bytes"), kPdhOk);
    m_.set_iostats("sdb", true);
    clock_.advance(1000);
    EXPECT_EQ(try_add("\\LogicalDisk(C:)\\% Disk Read Time"), kPdhOk);
}

}  // namespace
}  // namespace bw

// The inventory of the real machine against lsblk, with a zram RAM disk and a loop disk with two
// partitions made for the test; the dirty check on a real ext4 before and after an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "drives/DosApp.h"
#include "drives/DriveStartup.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

using nlohmann::json;

struct LsblkDevice {
    std::string name, type, model;
    std::uint64_t size = 0;
    std::vector<std::string> mountpoints;
    std::vector<LsblkDevice> children;
};

std::string text_of(const json& j) {
    return j.is_string() ? j.get<std::string>() : std::string();
}

LsblkDevice parse_lsblk(const json& j) {
    LsblkDevice d;
    d.name = text_of(j.value("name", json()));
    d.type = text_of(j.value("type", json()));
    d.model = text_of(j.value("model", json()));
    if (j.contains("size") && j["size"].is_number()) d.size = j["size"].get<std::uint64_t>();
    if (j.contains("mountpoint") && j["mountpoint"].is_string())
        d.mountpoints.push_back(j["mountpoint"]);
    if (j.contains("children"))
        for (const auto& c : j["children"]) d.children.push_back(parse_lsblk(c));
    return d;
}

std::vector<LsblkDevice> lsblk() {
    std::string out;
    const int rc = test::run_shell("lsblk -J -b -o NAME,SIZE,TYPE,MOUNTPOINT,MODEL", &out);
    EXPECT_EQ(0, rc) << out;
    if (rc != 0) return {};
    std::vector<LsblkDevice> devices;
    const json parsed = json::parse(out);
    for (const auto& j : parsed["blockdevices"]) devices.push_back(parse_lsblk(j));
    return devices;
}

std::string trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return s;
}

class InventoryE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    }
};

TEST_F(InventoryE2E, AgreesWithLsblk) {
    test::ScratchZram zram({128, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    test::ScratchLoop loop({64, 512, {24, 24}, "ext4", true});
    ASSERT_TRUE(loop.ok()) << loop.error();

    // Other processes on the machine may add or remove devices meanwhile: take the inventory
    // between two lsblk runs that agree.
    auto signature = [](const std::vector<LsblkDevice>& ds) {
        std::string s;
        for (const auto& d : ds) s += d.name + ":" + std::to_string(d.size) + ",";
        return s;
    };
    SystemQuery query;
    InventoryRun run;
    std::vector<LsblkDevice> devices;
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto before = lsblk();
        run = TakeInventory(query, {});
        devices = lsblk();
        if (signature(before) == signature(devices)) break;
    }
    ASSERT_FALSE(devices.empty());

    // Every disk lsblk shows (set-up loop and zram devices included) is a disk of ours, with the
    // same size; its number follows the natural order of the names.
    std::vector<std::string> expected_names;
    for (const auto& d : devices) {
        if ((d.type != "disk" && d.type != "loop") || d.size == 0) continue;
        expected_names.push_back(d.name);
        auto it = std::find_if(run.disks.begin(), run.disks.end(),
                               [&](const DiskInfo& x) { return x.name == d.name; });
        ASSERT_NE(run.disks.end(), it) << d.name << " missing";
        ASSERT_TRUE(it->size_bytes.has_value()) << d.name;
        EXPECT_EQ(d.size, *it->size_bytes) << d.name;
        if (!trim(d.model).empty())
            EXPECT_NE(std::string::npos, it->caption.find(trim(d.model)))
                << d.name << ": " << it->caption;
    }
    std::sort(expected_names.begin(), expected_names.end(), disk_name_less);
    std::vector<std::string> ours;
    for (const auto& d : run.disks) ours.push_back(d.name);
    EXPECT_EQ(expected_names, ours);
    for (size_t i = 0; i < run.disks.size(); ++i)
        EXPECT_EQ(static_cast<int>(i), run.disks[i].index);

    // Every mounted filesystem lsblk shows that got a letter sits on the same device and disk.
    std::function<void(const LsblkDevice&, const std::string&)> check =
        [&](const LsblkDevice& d, const std::string& disk) {
            for (const auto& mp : d.mountpoints) {
                auto v = std::find_if(run.map.volumes.begin(), run.map.volumes.end(),
                                      [&](const Volume& x) { return x.device_name == d.name; });
                ASSERT_NE(run.map.volumes.end(), v) << d.name << " at " << mp;
                if (v->mount_point == mp)
                    EXPECT_NE(v->disks.end(), std::find(v->disks.begin(), v->disks.end(), disk))
                        << d.name;
            }
            for (const auto& c : d.children) check(c, disk);
        };
    for (const auto& d : devices) check(d, d.name);

    // The zram volume is a RAM drive; both loop partitions are partitions of one disk.
    auto entry_of = [&](const std::string& mount) -> std::string {
        for (const auto& v : run.map.volumes)
            if (v.mount_point == mount && v.letter)
                for (const auto& e : run.inv.DriveList)
                    if (e[0] == v.letter) return e;
        return {};
    };
    const std::string ram = entry_of(zram.mount_point().string());
    ASSERT_FALSE(ram.empty());
    EXPECT_NE(std::string::npos, ram.find(" RAM ")) << ram;
    ASSERT_EQ(2u, loop.mounts().size());
    for (const auto& m : loop.mounts()) {
        const std::string e = entry_of(m.string());
        ASSERT_FALSE(e.empty()) << m;
        EXPECT_NE(std::string::npos, e.find("(Partition)]  Loop Device")) << e;
    }
    EXPECT_EQ(entry_of(loop.mounts()[0].string()).substr(2),
              entry_of(loop.mounts()[1].string()).substr(2));
}

TEST_F(InventoryE2E, DirtyCheckReadsTheRealSuperblock) {
    test::ScratchZram zram({64, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    SystemQuery query;
    auto map = BuildVolumeMap(query, {});
    const Volume* v = map.volume_of_path(zram.mount_point().string());
    ASSERT_NE(nullptr, v);
    ASSERT_EQ(zram.name(), v->device_name);

    CheckDirty(v->letter, query, map);
    EXPECT_TRUE(LastDirtyCheck().checked) << LastDirtyCheck().reason;
    EXPECT_FALSE(DirtyFlag()) << LastDirtyCheck().detail;

    // The kernel records an error in the superblock of our own scratch filesystem.
    test::write_file("/sys/fs/ext4/" + zram.name() + "/trigger_fs_error", "brantwell test\n");
    bool dirty = false;
    for (int i = 0; i < 50 && !dirty; ++i) {
        CheckDirty(v->letter, query, map);
        dirty = DirtyFlag();
        if (!dirty) test::run_shell("sync; sleep 0.1");
    }
    EXPECT_TRUE(dirty) << LastDirtyCheck().detail << " " << LastDirtyCheck().reason;
}

TEST_F(InventoryE2E, DirtyCheckAsksTheXfsDriver) {
    test::ScratchLoop loop({320, 512, {}, "xfs", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    SystemQuery query;
    auto map = BuildVolumeMap(query, {});
    const Volume* v = map.volume_of_path(loop.mounts().at(0).string());
    ASSERT_NE(nullptr, v);
    ASSERT_EQ("xfs", v->fstype);
    CheckDirty(v->letter, query, map);
    EXPECT_TRUE(LastDirtyCheck().checked) << LastDirtyCheck().reason;
    EXPECT_FALSE(DirtyFlag());
}

TEST_F(InventoryE2E, CapturedMachineShowsTheSameDriveList) {
    test::ScratchLoop loop({32, 512, {12, 12}, "ext4", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    test::TempDir dir;
    const auto dest = dir / "machine";
    std::string out;
    ASSERT_EQ(0, test::run_shell((test::source_dir() / "scripts/capture-sysroot.sh").string() +
                                     " " + dest.string(),
                                 &out))
        << out;
    auto live = TakeInventory(SystemQuery(), {});
    auto captured = TakeInventory(SystemQuery(Sysroot(dest)), {});
    EXPECT_EQ(live.inv.DriveList, captured.inv.DriveList);
    EXPECT_EQ(live.inv.PhysicalList, captured.inv.PhysicalList);
    ASSERT_EQ(live.disks.size(), captured.disks.size());
    for (size_t i = 0; i < live.disks.size(); ++i) {
        EXPECT_EQ(live.disks[i].caption, captured.disks[i].caption);
        EXPECT_EQ(live.disks[i].size_bytes, captured.disks[i].size_bytes);
    }
}

TEST_F(InventoryE2E, CommandLineListsThisMachine) {
    std::string out;
    const auto cli = test::binary_dir() / "src/cli/brantwell-cli";
    ASSERT_EQ(0, test::run_shell(cli.string() + " drives --json", &out)) << out;
    auto j = json::parse(out.substr(out.find('{')));
    ASSERT_FALSE(j["drive_list"].empty());
    EXPECT_EQ("C:", j["drive_list"][0].get<std::string>().substr(0, 2));
    ASSERT_EQ(0, test::run_shell(cli.string() + " sysinfo --json </dev/null", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("\"Win Ver\""));
    ASSERT_EQ(0, test::run_shell(cli.string() + " drives --dirty --json", &out)) << out;
    j = json::parse(out.substr(out.find('{')));
    EXPECT_EQ(j["drive_list"].size(), j["dirty_check"].size());
    ASSERT_EQ(0, test::run_shell(cli.string() + " sysinfo --drive C", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("***** Drive Size *****"));
    EXPECT_NE(0, test::run_shell(cli.string() + " sysinfo --drive Q", &out)) << out;
}

}  // namespace
}  // namespace bw

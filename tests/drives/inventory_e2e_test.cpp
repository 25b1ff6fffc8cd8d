// The inventory of the real machine against lsblk, with a zram RAM disk and a loop disk with two
// partitions made for the test; the dirty check on a real ext4 before and after an error, and on
// an XFS; a captured copy of this machine (the command line is in tests/cli).
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "drives/DosApp.h"
#include "drives/DiskNumbers.h"
#include "drives/DriveStartup.h"
#include "platform/SystemQueryText.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

using nlohmann::json;

// lsblk's own view: disks with their partitions as "children", sizes in bytes.
json lsblk() {
    std::string out;
    EXPECT_EQ(0, test::run_shell("lsblk -J -b -o NAME,SIZE,TYPE,MOUNTPOINT,MODEL", &out)) << out;
    return json::parse(out, nullptr, false).value("blockdevices", json::array());
}

std::string text_of(const json& j, const char* key) {
    return j.contains(key) && j[key].is_string() ? text::trim(j[key].get<std::string>()) : "";
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
    // between two lsblk runs that agree on names and sizes.
    auto signature = [](const json& ds) {
        std::string s;
        for (const auto& d : ds) s += text_of(d, "name") + ":" + d.value("size", json()).dump() + ",";
        return s;
    };
    InventoryRun run;
    json devices;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const json before = lsblk();
        run = TakeInventory(SystemQuery(), {});
        devices = lsblk();
        if (signature(before) == signature(devices)) break;
    }
    ASSERT_FALSE(devices.empty());

    // Every disk lsblk shows (set-up loop and zram devices included) is a disk of ours, with the
    // same size and model; its number follows the groups (real disks, removable ones, then loop
    // and zram), by the natural order of the names within a group.
    std::vector<std::string> expected_names, ours;
    for (const auto& d : devices) {
        const std::string name = text_of(d, "name"), type = text_of(d, "type");
        const auto size = d.value("size", json()).is_number() ? d["size"].get<std::uint64_t>() : 0;
        if ((type != "disk" && type != "loop") || size == 0) continue;
        expected_names.push_back(name);
        auto it = std::find_if(run.disks.begin(), run.disks.end(),
                               [&](const DiskInfo& x) { return x.name == name; });
        ASSERT_NE(run.disks.end(), it) << name << " missing";
        EXPECT_EQ(size, it->size_bytes.value_or(0)) << name;
        EXPECT_NE(std::string::npos, it->caption.find(text_of(d, "model"))) << it->caption;
    }
    auto group_of = [&](const std::string& name) {
        for (const auto& d : run.disks)
            if (d.name == name) return disk_group(d);
        return DiskGroup::Virtual;
    };
    std::sort(expected_names.begin(), expected_names.end(),
              [&](const std::string& a, const std::string& b) {
                  return group_of(a) != group_of(b) ? group_of(a) < group_of(b)
                                                    : disk_name_less(a, b);
              });
    for (const auto& d : run.disks) ours.push_back(d.name);
    EXPECT_EQ(expected_names, ours);
    for (size_t i = 0; i < run.disks.size(); ++i) EXPECT_EQ(int(i), run.disks[i].index);

    // Every mounted filesystem lsblk shows sits on a volume of ours of the same device, and when
    // that volume is represented by this mount, on the same disk.
    std::function<void(const json&, const std::string&)> check = [&](const json& d,
                                                                     const std::string& disk) {
        const std::string name = text_of(d, "name"), mp = text_of(d, "mountpoint");
        if (!mp.empty()) {
            auto v = std::find_if(run.map.volumes.begin(), run.map.volumes.end(),
                                  [&](const Volume& x) { return x.device_name == name; });
            ASSERT_NE(run.map.volumes.end(), v) << name << " at " << mp;
            if (v->mount_point == mp) {
                EXPECT_NE(v->disks.end(), std::find(v->disks.begin(), v->disks.end(), disk)) << name;
            }
        }
        for (const auto& c : d.value("children", json::array())) check(c, disk);
    };
    for (const auto& d : devices) check(d, text_of(d, "name"));

    // The zram volume is a RAM drive; both loop partitions are partitions of one disk.
    auto entry_of = [&](const std::string& mount) -> std::string {
        for (const auto& v : run.map.volumes)
            if (v.mount_point == mount && v.letter)
                for (const auto& e : run.inv.DriveList)
                    if (e[0] == v.letter) return e;
        return {};
    };
    const std::string ram = entry_of(zram.mount_point().string());
    EXPECT_NE(std::string::npos, ram.find(" RAM ")) << ram;
    ASSERT_EQ(2u, loop.mounts().size());
    const std::string first = entry_of(loop.mounts()[0].string());
    ASSERT_NE(std::string::npos, first.find("(Partition)]  Loop Device")) << first;
    EXPECT_EQ(first.substr(2), entry_of(loop.mounts()[1].string()).substr(2));
}

// An ext4 whose superblock is read and an XFS whose driver is asked: both clean, then the ext4
// after an error.
TEST_F(InventoryE2E, DirtyCheckOnRealFilesystems) {
    test::ScratchZram zram({64, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    test::ScratchLoop loop({320, 512, {}, "xfs", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    SystemQuery query;
    auto map = BuildVolumeMap(query, {});
    const Volume* v = map.volume_of_path(zram.mount_point().string());
    const Volume* xfs = map.volume_of_path(loop.mounts().at(0).string());
    ASSERT_TRUE(v && v->device_name == zram.name());
    ASSERT_TRUE(xfs && xfs->fstype == "xfs");
    for (char letter : {xfs->letter, v->letter}) {
        CheckDirty(letter, query, map);
        EXPECT_TRUE(LastDirtyCheck().checked) << letter << " " << LastDirtyCheck().reason;
        EXPECT_FALSE(DirtyFlag()) << letter << " " << LastDirtyCheck().detail;
    }

    // The kernel records an error in the superblock of our own scratch filesystem.
    test::write_file("/sys/fs/ext4/" + zram.name() + "/trigger_fs_error", "brantwell test\n");
    for (int i = 0; i < 50 && (CheckDirty(v->letter, query, map), !DirtyFlag()); ++i)
        test::run_shell("sync; sleep 0.1");
    EXPECT_TRUE(DirtyFlag()) << LastDirtyCheck().detail << " " << LastDirtyCheck().reason;
}

TEST_F(InventoryE2E, CapturedMachineShowsTheSameDriveList) {
    test::ScratchLoop loop({32, 512, {12, 12}, "ext4", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    test::TempDir dir;
    const auto dest = dir / "machine";
    std::string out;
    const auto script = test::source_dir() / "scripts/capture-sysroot.sh";
    ASSERT_EQ(0, test::run_shell(script.string() + " " + dest.string(), &out)) << out;
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

}  // namespace
}  // namespace bw
